// The volume list: one record per drive letter A to Y that names a volume, completed with
// the interface path and device ID of the volume interface that leads to the same volume.
#include <windows.h>

#include <string>
#include <vector>

#include "CVolumeEnumerate.h"
#include "StandardMachine.h"
#include "TestHarness.h"

using devicetest::StandardMachine;
using Marlin::CVolumeEnumerate;
using Marlin::CVolumeEnumerateData;

namespace {

const CVolumeEnumerateData* ByLetter(const std::vector<CVolumeEnumerateData>& volumes, wchar_t letter) {
    for (const CVolumeEnumerateData& v : volumes) {
        if (v.driveLetter == letter) return &v;
    }
    return nullptr;
}

}  // namespace

TEST_CASE("the drive letters A to Y are probed in order, and Z never") {
    StandardMachine machine;
    std::vector<CVolumeEnumerateData> volumes;
    CVolumeEnumerate enumerate(&volumes, machine.Platform());
    enumerate.EnumerateByDriveLetter();

    std::vector<std::wstring> probed;
    for (const std::wstring& q : machine.MountPointQueries()) probed.push_back(q);
    std::vector<std::wstring> expected;
    for (wchar_t c = L'A'; c <= L'Y'; ++c) expected.push_back(std::wstring(1, c) + L":\\");
    CHECK(probed == expected);

    // The machine has volumes on C, D, E, F, G and Z.
    std::wstring letters;
    for (const CVolumeEnumerateData& v : volumes) letters += v.driveLetter;
    CHECK_EQ(letters, std::wstring(L"CDEFG"));
    const CVolumeEnumerateData* e = ByLetter(volumes, L'E');
    REQUIRE(e);
    CHECK_EQ(e->volumeName, std::wstring(L"\\\\?\\Volume{e0000000-0000-0000-0000-000000000000}\\"));
    CHECK(e->interfacePath.empty());
    CHECK(e->deviceId.empty());
}

TEST_CASE("the interface pass gives each volume its interface path and device ID") {
    StandardMachine machine;
    std::vector<CVolumeEnumerateData> volumes;
    CVolumeEnumerate enumerate(&volumes, machine.Platform());
    enumerate.Enumerate();

    struct Row {
        wchar_t letter;
        std::wstring interfacePath;
        std::wstring deviceId;
    } rows[] = {
        {L'C', L"\\\\?\\STORAGE#Volume#{disk0}#0000000000100000#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}\\",
         L"STORAGE\\VOLUME\\{disk0}#0000000000100000"},
        // The interface has no device node: the path is known, the ID is not.
        {L'D', L"\\\\?\\STORAGE#Volume#{net}#0#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}\\", L""},
        {L'E', L"\\\\?\\STORAGE#Volume#{usbdisk}#0000000000007E00#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}\\",
         L"STORAGE\\VOLUME\\{usbdisk}#0000000000007E00"},
        {L'F', L"\\\\?\\STORAGE#Volume#{usbdisk}#0000000040007E00#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}\\",
         L"STORAGE\\VOLUME\\{usbdisk}#0000000040007E00"},
        {L'G', L"\\\\?\\STORAGE#Volume#{card}#0000000000002000#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}\\",
         L"STORAGE\\VOLUME\\{card}#0000000000002000"},
    };
    REQUIRE_EQ(volumes.size(), std::size(rows));
    for (const Row& row : rows) {
        CONTEXT(std::string(1, static_cast<char>(row.letter)) + ":");
        const CVolumeEnumerateData* v = ByLetter(volumes, row.letter);
        REQUIRE(v);
        CHECK_EQ(v->interfacePath, row.interfacePath);
        CHECK_EQ(v->deviceId, row.deviceId);
    }
}

TEST_CASE("an interface whose volume cannot be named completes no record") {
    // The volume without a mount point follows E's interface; had its failed query been
    // taken for an answer, E would have got its device ID.
    StandardMachine machine;
    std::vector<CVolumeEnumerateData> volumes;
    CVolumeEnumerate enumerate(&volumes, machine.Platform());
    enumerate.Enumerate();
    const CVolumeEnumerateData* e = ByLetter(volumes, L'E');
    REQUIRE(e);
    CHECK_EQ(e->deviceId, std::wstring(L"STORAGE\\VOLUME\\{usbdisk}#0000000000007E00"));
    for (const CVolumeEnumerateData& v : volumes) CHECK(v.deviceId.find(L"{shadow}") == std::wstring::npos);
}

TEST_CASE("a second enumeration starts from an empty list") {
    StandardMachine machine;
    std::vector<CVolumeEnumerateData> volumes(3, CVolumeEnumerateData(L'Q', L"stale"));
    CVolumeEnumerate enumerate(&volumes, machine.Platform());
    enumerate.Enumerate();
    enumerate.Enumerate();
    std::wstring letters;
    for (const CVolumeEnumerateData& v : volumes) letters += v.driveLetter;
    CHECK_EQ(letters, std::wstring(L"CDEFG"));

    CVolumeEnumerate without(nullptr, machine.Platform());
    without.Enumerate();  // no list: nothing to fill, nothing to break
}
