// Sets the C runtime locale for one test and puts the previous one back afterwards, so
// that a test of another locale cannot leak into the next test case.
#pragma once

#include <clocale>
#include <string>

namespace quaytest {

class CrtLocale {
public:
    explicit CrtLocale(const char* name) {
        const char* previous = std::setlocale(LC_ALL, nullptr);
        previous_ = previous != nullptr ? previous : "C";
        const char* now = std::setlocale(LC_ALL, name);
        active_ = now != nullptr ? now : "";
    }
    ~CrtLocale() { std::setlocale(LC_ALL, previous_.c_str()); }
    CrtLocale(const CrtLocale&) = delete;
    CrtLocale& operator=(const CrtLocale&) = delete;

    // The locale's name as the runtime reports it; empty when it could not be set.
    const std::string& active() const { return active_; }

private:
    std::string previous_;
    std::string active_;
};

}  // namespace quaytest
