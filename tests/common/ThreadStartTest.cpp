// The one thread starter: a thread sees what was published before it runs, and a thread
// that cannot be resumed is ended before it ran a single instruction of its body.
#include <windows.h>

#include <atomic>

#include "TestHarness.h"
#include "ThreadStart.h"
#include "UniqueHandle.h"

using Marlin::KernelHandle;

namespace {

struct Shared {
    std::atomic<HANDLE> published{nullptr};
    std::atomic<bool> ran{false};
    HANDLE seenByThread = nullptr;
};

unsigned __stdcall RecordPublished(void* argument) {
    auto* shared = static_cast<Shared*>(argument);
    shared->seenByThread = shared->published.load();
    shared->ran.store(true);
    return 7;
}

DWORD ExitCode(HANDLE thread) {
    DWORD code = 0;
    return GetExitCodeThread(thread, &code) ? code : 0xFFFFFFFF;
}

}  // namespace

TEST_CASE("a started thread runs only after its handle was published") {
    Shared shared;
    std::atomic<int> publishCalls{0};
    KernelHandle thread = Marlin::StartThread(&RecordPublished, &shared, [&](HANDLE handle) {
        ++publishCalls;
        // Still suspended here: a running thread would have recorded null.
        CHECK(!shared.ran.load());
        shared.published.store(handle);
    });
    REQUIRE(thread.valid());
    REQUIRE_EQ(WaitForSingleObject(thread.get(), 30000), static_cast<DWORD>(WAIT_OBJECT_0));
    CHECK(shared.ran.load());
    CHECK_EQ(shared.seenByThread, thread.get());
    CHECK_EQ(publishCalls.load(), 1);
    CHECK_EQ(ExitCode(thread.get()), 7ul);
}

TEST_CASE("a made thread waits until it is resumed") {
    Shared shared;
    KernelHandle thread = Marlin::CreateSuspendedThread(&RecordPublished, &shared);
    REQUIRE(thread.valid());
    CHECK_EQ(WaitForSingleObject(thread.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    shared.published.store(thread.get());
    REQUIRE(Marlin::ResumeOrEnd(thread.get()));
    REQUIRE_EQ(WaitForSingleObject(thread.get(), 30000), static_cast<DWORD>(WAIT_OBJECT_0));
    CHECK_EQ(shared.seenByThread, thread.get());
}

TEST_CASE("a thread that cannot be resumed is ended before its body ran") {
    Shared shared;
    KernelHandle thread = Marlin::CreateSuspendedThread(&RecordPublished, &shared);
    REQUIRE(thread.valid());
    // A handle that may end and wait for the thread but not resume it makes the resume fail
    // the way a real failure would.
    KernelHandle limited;
    REQUIRE(DuplicateHandle(GetCurrentProcess(), thread.get(), GetCurrentProcess(), limited.put(),
                            SYNCHRONIZE | THREAD_TERMINATE | THREAD_QUERY_LIMITED_INFORMATION, FALSE, 0));
    const bool resumed = Marlin::ResumeOrEnd(limited.get());
    if (resumed) {
        WaitForSingleObject(thread.get(), 30000);
        SKIP("the system resumed a thread through a handle without the right to resume it");
    }
    // Ended when the call returns, and never ran: the argument was not touched.
    CHECK_EQ(WaitForSingleObject(thread.get(), 0), static_cast<DWORD>(WAIT_OBJECT_0));
    CHECK(!shared.ran.load());
    CHECK(shared.seenByThread == nullptr);
    CHECK(ExitCode(thread.get()) != 7ul);
}
