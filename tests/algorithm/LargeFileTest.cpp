// A file beyond 4 GiB, so every size and offset needs more than 32 bits, copied to another
// drive and compared by a streamed checksum.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "UniqueHandle.h"
#include "JobFiles.h"
#include "JobObserver.h"
#include "JobRun.h"
#include "SluiceCoreEvent.h"
#include "TestFiles.h"
#include "TestHarness.h"

using namespace algotest;
using Marlin::Sluice::SluiceCoreEvent;

namespace {

// Each mebibyte starts with its own number, so a piece written to the wrong place (a
// 32-bit offset wrapping at 4 GiB, say) changes the checksum.
void WriteLargeFile(const std::wstring& path, uint64_t size) {
    Marlin::FileHandle file(CreateFileW((L"\\\\?\\" + path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    REQUIRE(file);
    std::string block = quaytest::PatternBytes(16 * MiB, 77);
    for (uint64_t done = 0; done < size;) {
        for (uint64_t mib = 0; mib < 16; ++mib) {
            const uint64_t number = done / MiB + mib;
            std::memcpy(&block[mib * MiB], &number, sizeof number);
        }
        const DWORD part = static_cast<DWORD>(std::min<uint64_t>(block.size(), size - done));
        DWORD wrote = 0;
        REQUIRE(WriteFile(file.get(), block.data(), part, &wrote, nullptr) && wrote == part);
        done += part;
    }
    SetLastWriteTime(path, Moment(2012, 12, 21, 10, 20, 30));
}

}  // namespace

TEST_CASE("a file of 4.5 GiB is copied whole, its size and time kept") {
    const uint64_t size = 4 * GiB + GiB / 2 + 12345;
    quaytest::TempDir source(L'C'), target(L'D');
    ULARGE_INTEGER free{};
    REQUIRE(GetDiskFreeSpaceExW(source.path().c_str(), &free, nullptr, nullptr));
    if (free.QuadPart < 2 * size + GiB) {
        SKIP("only " + std::to_string(free.QuadPart) + " bytes free for a source and its copy of " +
             std::to_string(size) + " bytes each");
    }
    quaytest::MakeDir(source / L"s");
    WriteLargeFile(source / L"s\\huge.bin", size);
    const FileFacts facts = Facts(source / L"s\\huge.bin");
    REQUIRE_EQ(facts.size, size);

    JobObserver observer;
    RunJob(JobOption({source / L"s"}, target.path(), false), observer);

    RequireNoComplaints(observer);
    CheckFrame(observer);
    CHECK_EQ(observer.With(SluiceCoreEvent::Enumerated).at(0).bytesTotal, size);
    CheckFile(facts, target / L"s\\huge.bin");
}
