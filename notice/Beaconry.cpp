// The notice library: it records a job at its start and, at its end, reports it to the
// file-operation logging service of the current user when one runs. A missing service
// costs one mutex lookup; a service that announces itself but has not opened its pipe yet
// is waited for, for as long as it keeps announcing itself.
#include "BeaconryExports.h"

#include <windows.h>

#include <ctime>
#include <memory>
#include <mutex>
#include <set>

#include "CTallyhallCommandClient_FileOpe.h"
#include "NoticeRecord.h"

namespace {

using Marlin::NoticeRecord;

// The records handed out and not yet ended. A handle that is not among them (ended
// already, or never ours) is ignored, so a second end call cannot free a record twice.
class LiveRecords {
public:
    void* Add(std::unique_ptr<NoticeRecord> record) {
        std::lock_guard<std::mutex> lock(mutex_);
        records_.insert(record.get());
        return record.release();
    }
    std::unique_ptr<NoticeRecord> Take(void* handle) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto found = records_.find(static_cast<NoticeRecord*>(handle));
        if (found == records_.end()) return nullptr;
        std::unique_ptr<NoticeRecord> record(*found);
        records_.erase(found);
        return record;
    }

private:
    std::mutex mutex_;
    std::set<NoticeRecord*> records_;
};

LiveRecords& Live() {
    static LiveRecords live;
    return live;
}

void Report(const NoticeRecord& record) {
    Marlin::CTallyhallCommandClient_FileOpe client;
    // No presence mutex: no logging service runs for this user, and none is waited for.
    if (!client.ServicePresent()) return;
    if (client.OpenWait(Marlin::CTallyhallCommandClient_FileOpe::Infinite) != 1) return;
    client.SendFileOperation(record);  // a failed write is not reported and not retried
    client.Close();
}

}  // namespace

extern "C" void* __cdecl BeaconryStart(const wchar_t* const* paths, int count, const wchar_t* destination,
                                       int operation) {
    try {
        auto record = NoticeRecord::FromCall(paths, count, destination, operation, _time64(nullptr));
        if (!record) return nullptr;
        return Live().Add(std::move(record));
    } catch (...) {
        OutputDebugStringW(L"Beaconry: BeaconryStart could not record the job; it will not be reported\n");
        return nullptr;
    }
}

extern "C" void __cdecl BeaconryEnd(void* handle) {
    if (handle == nullptr) return;
    try {
        std::unique_ptr<NoticeRecord> record = Live().Take(handle);
        if (record) Report(*record);
    } catch (...) {
        OutputDebugStringW(L"Beaconry: BeaconryEnd could not report the job\n");
    }
}
