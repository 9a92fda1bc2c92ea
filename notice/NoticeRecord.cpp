#include "NoticeRecord.h"

namespace Marlin {

std::unique_ptr<NoticeRecord> NoticeRecord::FromCall(const wchar_t* const* paths, int count,
                                                     const wchar_t* destination, int operation, int64_t startTime) {
    if (paths == nullptr || count == 0 || destination == nullptr) return nullptr;
    auto record = std::make_unique<NoticeRecord>();
    record->startTime = startTime;
    for (int i = 0; i < count; ++i) record->sources.emplace_back(paths[i] ? paths[i] : L"");
    record->destination = destination;
    record->operation = operation;
    return record;
}

}  // namespace Marlin
