// The user a test's processes run as, which names the logging service's pipe and mutex.
// Each test that starts a logging service stand-in runs under a user name of its own, so
// no other test's copy tool can report to its stand-in while both run: the test is
// registered with the environment USER=quaytest-<test>, and Wine answers GetUserNameA
// from the USER of the process's Linux environment, which every process the test starts
// inherits (measured with Wine 8; a name set with SetEnvironmentVariable is not passed on,
// as each process sets its own from USER).
#pragma once

#include <string>

namespace quaytest {

class TestUser {
public:
    // Reads the name; run outside its test registration (without such a USER) it notes
    // that the test shares the service's names with every other program of this user.
    TestUser();

    const std::string& Name() const { return name_; }

private:
    std::string name_;
};

}  // namespace quaytest
