#include "TestUser.h"

#include <windows.h>
#include <lmcons.h>

#include <cstdio>

namespace quaytest {

TestUser::TestUser() {
    char name[UNLEN + 1] = {};
    DWORD size = sizeof name;
    if (GetUserNameA(name, &size)) name_ = name;
    if (name_.compare(0, 8, "quaytest") != 0)
        std::printf("note: running as user \"%s\", not a test's own user: another program of this user may "
                    "report to this test's logging service\n",
                    name_.c_str());
}

}  // namespace quaytest
