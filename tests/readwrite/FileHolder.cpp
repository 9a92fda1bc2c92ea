#include "FileHolder.h"

#include <windows.h>

#include "UniqueHandle.h"
#include "TestFiles.h"
#include "TestHarness.h"

namespace rwtest {

// The child: args are the path and the names of the two events.
TEST_CHILD("hold-file") {
    Marlin::FileHandle file(CreateFileW(quaytest::Widen(args.at(0)).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    if (!file) return 2;
    Marlin::KernelHandle ready(OpenEventW(EVENT_MODIFY_STATE, FALSE, quaytest::Widen(args.at(1)).c_str()));
    Marlin::KernelHandle quit(OpenEventW(SYNCHRONIZE, FALSE, quaytest::Widen(args.at(2)).c_str()));
    if (!ready || !quit) return 3;
    SetEvent(ready.get());
    return WaitForSingleObject(quit.get(), 60000) == WAIT_OBJECT_0 ? 0 : 4;
}

FileHolder::FileHolder(const std::wstring& path) {
    static int serial = 0;
    const std::string tag = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    ready_ = Marlin::KernelHandle(CreateEventW(nullptr, TRUE, FALSE, quaytest::Widen("hold-ready-" + tag).c_str()));
    quit_ = Marlin::KernelHandle(CreateEventW(nullptr, TRUE, FALSE, quaytest::Widen("hold-quit-" + tag).c_str()));
    REQUIRE(ready_ && quit_);
    process_ = quaytest::StartChild("hold-file", {quaytest::Utf8(path), "hold-ready-" + tag, "hold-quit-" + tag});
    HANDLE both[] = {ready_.get(), process_.get()};
    if (WaitForMultipleObjects(2, both, FALSE, 30000) != WAIT_OBJECT_0) FAIL("the holding process did not start");
}

FileHolder::~FileHolder() {
    SetEvent(quit_.get());
    CHECK_EQ(quaytest::WaitExit(process_), 0);
}

}  // namespace rwtest
