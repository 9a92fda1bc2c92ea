// One job as the notice library keeps it between its start and end calls: when the job
// began, what it copies or moves, where to, and whether it moves. Platform-free, so the
// message it becomes is also checked natively.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Marlin {

class NoticeRecord {
public:
    // What BeaconryStart was given, with the start time it took. No record for a null
    // path array, a count of 0 or a null destination. A negative count copies no path; a
    // null entry among the paths is kept as an empty path, so the count the service sees
    // is still the count the caller gave. Each string is copied up to its first NUL.
    static std::unique_ptr<NoticeRecord> FromCall(const wchar_t* const* paths, int count, const wchar_t* destination,
                                                  int operation, int64_t startTime);

    int64_t startTime = 0;  // seconds since 1970-01-01 00:00 UTC
    std::vector<std::wstring> sources;
    std::wstring destination;
    int32_t operation = 0;  // 0 copy, 1 move
};

}  // namespace Marlin
