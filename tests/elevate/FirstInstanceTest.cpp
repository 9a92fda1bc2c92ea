// The elevation pipe's name is predictable, so the normal instance creates its pipe as the
// first instance of that name: a name that another process took first means no pipe and
// no launch. Wine does not honour FILE_FLAG_FIRST_PIPE_INSTANCE; this test finds that out
// and then skips visibly (the pid checks that also guard the hand-over are tested in
// elevate_protocol).
#include <windows.h>

#include <string>

#include "ElevateFixtures.h"
#include "PeerProcess.h"
#include "SluiceCopyAlgorithmMultiThreadElevateClient.h"
#include "TestFiles.h"
#include "TestHarness.h"

using Marlin::KernelHandle;
using namespace elevatetest;
using pipetest::PeerProcess;

TEST_CHILD("squatter") {
    PeerProcess::LimitLifetime();
    return SquatElevationPipe(args.at(0));
}

TEST_CASE("a pipe name another process created first: the server's pipe cannot be created, nothing is launched") {
    KernelHandle ready = MakeSignal("squat-ready");
    REQUIRE(ready);
    PeerProcess squatter("squatter", {std::to_string(::GetCurrentProcessId())});
    REQUIRE(::WaitForSingleObject(ready.get(), 30000) == WAIT_OBJECT_0);
    const auto releaseSquatter = [&squatter] {
        // A client that says nothing lets the squatter go.
        Marlin::Sluice::SluiceCopyAlgorithmMultiThreadElevateClient nobody(OwnPipeName());
        nobody.OpenWait(5000);
        nobody.Close();
        squatter.Wait();
    };
    // The same request as the squatter's, but as a first instance: only the flag can refuse it.
    HANDLE probe = ::CreateNamedPipeW(OwnPipeName().c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                      PIPE_TYPE_BYTE | PIPE_WAIT, PIPE_UNLIMITED_INSTANCES, 1024, 1024, 0, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        KernelHandle owned(probe);
        releaseSquatter();
        SKIP("Wine creates a pipe with FILE_FLAG_FIRST_PIPE_INSTANCE beside an existing instance of its name, "
             "so a taken name cannot be told from a free one here (the pid checks are tested in elevate_protocol)");
    }
    NormalSide normal;
    CountingLauncher launcher("idle");
    RecordingServer server(normal.option, normal.event, normal.cancel.get(), normal.status, normal.total, normal.copy,
                           &launcher);
    server.HandOver();
    CHECK_EQ(launcher.launches.load(), 0);
    releaseSquatter();
}
