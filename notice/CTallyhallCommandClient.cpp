#include "CTallyhallCommandClient.h"

#include <windows.h>
#include <lmcons.h>

#include <cstdio>

#include "UniqueHandle.h"

namespace Marlin {

namespace {

constexpr int32_t kChunkSize = 1024;

}  // namespace

CTallyhallCommandClient::CTallyhallCommandClient(const char* pipeNameFormat, const char* mutexNameFormat)
    : CTallyhallCommandClient(pipeNameFormat, mutexNameFormat, CurrentUserName()) {}

CTallyhallCommandClient::CTallyhallCommandClient(const char* pipeNameFormat, const char* mutexNameFormat,
                                                 const std::string& user)
    : CPipeCommandClient(NameFor(pipeNameFormat, user), NameFor(mutexNameFormat, user), kChunkSize) {}

CTallyhallCommandClient::~CTallyhallCommandClient() = default;

bool CTallyhallCommandClient::ServicePresent() const {
    if (MutexName().empty()) return false;
    KernelHandle mutex(OpenMutexA(MUTEX_ALL_ACCESS, FALSE, MutexName().c_str()));
    return mutex.valid();
}

std::string CTallyhallCommandClient::CurrentUserName() {
    char name[UNLEN + 1] = {};
    DWORD size = sizeof name;
    if (!GetUserNameA(name, &size)) return std::string();
    return std::string(name);
}

std::string CTallyhallCommandClient::NameFor(const char* format, const std::string& user) {
    if (format == nullptr) return std::string();
    char name[kNameBufferSize];
    const int length = std::snprintf(name, sizeof name, format, user.c_str());
    if (length < 0 || static_cast<size_t>(length) >= sizeof name) return std::string();
    return std::string(name, static_cast<size_t>(length));
}

}  // namespace Marlin
