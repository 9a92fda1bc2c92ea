// The notice library's client of the logging service of the current user. The service
// runs per user: its pipe and its presence mutex carry the user's name, which this class
// puts into the formats it is given.
#pragma once

#include <string>

#include "CPipeCommandClient.h"

namespace Marlin {

class CTallyhallCommandClient : public CPipeCommandClient {
public:
    // The logging service's names; %s is the user name.
    static constexpr const char* kPipeNameFormat = "\\\\.\\pipe\\%s{1F1D5CAF-06F2-44b3-9078-50CC6A1034F3}";
    static constexpr const char* kMutexNameFormat = "p-m%s{1F1D5CAF-06F2-44b3-9078-50CC6A1034F3}";
    // Names are built in buffers of this many bytes, terminator included.
    static constexpr size_t kNameBufferSize = 512;

    CTallyhallCommandClient(const char* pipeNameFormat, const char* mutexNameFormat);
    ~CTallyhallCommandClient() override;

    // Whether the logging service announces itself: its presence mutex exists.
    bool ServicePresent() const;

    // The name GetUserNameA gives this process's user; empty when it cannot be read.
    static std::string CurrentUserName();
    // format with the user name for its %s. Empty when the result would not fit the
    // name buffer, so an overlong name opens nothing instead of a cut one.
    static std::string NameFor(const char* format, const std::string& user);

private:
    CTallyhallCommandClient(const char* pipeNameFormat, const char* mutexNameFormat, const std::string& user);
};

}  // namespace Marlin
