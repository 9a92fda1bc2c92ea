// The copy tool's side of the notice library: one object per job, which reports the job
// before it runs (NotifyStart) and after it (NotifyEnd). It only looks the library up
// among the modules already loaded (the application loads it at start-up from the
// program's folder); without the library, or without either export, both calls do
// nothing and the job runs as usual.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "BeaconryExports.h"
#include "DynamicFunctionObject.h"

namespace Marlin {

class MarlinFileCopyBeaconry {
public:
    static constexpr const wchar_t* kLibraryName = L"Beaconry.dll";

    MarlinFileCopyBeaconry();
    // Makes the end call if a notice is still held, so it happens at most once.
    virtual ~MarlinFileCopyBeaconry();
    MarlinFileCopyBeaconry(const MarlinFileCopyBeaconry&) = delete;
    MarlinFileCopyBeaconry& operator=(const MarlinFileCopyBeaconry&) = delete;

    // Records the job with the library: the sources in order, the destination, and the
    // move flag as the operation (0 copy, 1 move). No sources: a null array and a count of
    // 0, for which the library returns no notice. A notice still held from an earlier
    // call is ended first.
    void NotifyStart(const std::vector<std::wstring>& sources, const std::wstring& destination, int32_t move);
    // Reports the recorded job and forgets its notice; nothing when none is held.
    void NotifyEnd();

    bool HasLibrary() const { return m_start && m_end; }
    bool HoldsNotice() const { return m_notice != nullptr; }

private:
    DynamicFunctionObject<decltype(::BeaconryStart)> m_start;
    DynamicFunctionObject<decltype(::BeaconryEnd)> m_end;
    void* m_notice = nullptr;
};

}  // namespace Marlin
