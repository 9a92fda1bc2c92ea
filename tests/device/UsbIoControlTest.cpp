// The hub driver's I/O controls: the two-step name queries, the connection record with
// its fallback for older drivers, and the string descriptors. Every length in an answer
// comes from a driver or a device and is checked before anything is sized or read by it.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "CUSBIoControl.h"
#include "FakeMachine.h"
#include "TestHarness.h"

using devicetest::FakeMachine;
using Marlin::CUSBIoControl;

namespace {

const wchar_t* const kDevice = L"\\\\.\\SCRIPTED";

template <class T>
void Put(uint8_t* at, T value) {
    std::memcpy(at, &value, sizeof(value));
}

template <class T>
T Get(const uint8_t* at) {
    T value{};
    std::memcpy(&value, at, sizeof(value));
    return value;
}

// How a driver answers the two calls of a name query.
struct NameAnswer {
    bool firstSucceeds = true;
    ULONG actualLength = 0;
    DWORD firstReturned = 0;           // 0: the short record's size
    std::vector<uint8_t> secondBytes;  // written after the head
    DWORD secondReturned = 0;          // 0: head + secondBytes
};

std::vector<uint8_t> Utf16(const std::wstring& text, bool terminate) {
    std::vector<uint8_t> bytes((text.size() + (terminate ? 1 : 0)) * 2, 0);
    std::memcpy(bytes.data(), text.c_str(), text.size() * 2);
    return bytes;
}

// Scripts code on kDevice; nameOffset 4 for the records without ConnectionIndex, 8 with.
void ScriptName(FakeMachine& machine, DWORD code, DWORD nameOffset, const NameAnswer& answer,
                std::vector<DWORD>* inputSizes = nullptr, std::vector<ULONG>* indexes = nullptr) {
    machine.ScriptControl(kDevice,
                          [=, calls = 0](DWORD c, const uint8_t* in, DWORD inSize, uint8_t* out, DWORD outSize,
                                         DWORD& returned) mutable -> std::optional<bool> {
                              if (c != code) return false;
                              if (inputSizes) inputSizes->push_back(inSize);
                              if (indexes && inSize >= 4) indexes->push_back(Get<ULONG>(in));
                              ++calls;
                              std::memset(out, 0, outSize);
                              if (nameOffset == 8 && inSize >= 4) std::memcpy(out, in, 4);
                              Put<ULONG>(out + nameOffset - 4, answer.actualLength);
                              if (calls == 1) {
                                  if (!answer.firstSucceeds) return false;
                                  returned = answer.firstReturned ? answer.firstReturned : outSize;
                                  return true;
                              }
                              const size_t n = std::min<size_t>(answer.secondBytes.size(), outSize - nameOffset);
                              std::memcpy(out + nameOffset, answer.secondBytes.data(), n);
                              returned =
                                  answer.secondReturned ? answer.secondReturned : static_cast<DWORD>(nameOffset + n);
                              return true;
                          });
}

// A string descriptor answer: the 12-byte request head echoed, then bytes.
void ScriptDescriptor(FakeMachine& machine, std::vector<uint8_t> bytes, DWORD returnedOverride = 0,
                      bool succeeds = true) {
    machine.ScriptControl(kDevice,
                          [=](DWORD code, const uint8_t* in, DWORD inSize, uint8_t* out, DWORD outSize,
                              DWORD& returned) -> std::optional<bool> {
                              if (code != CUSBIoControl::kGetDescriptorFromNodeConnection || !succeeds) return false;
                              std::memcpy(out, in, 12);
                              std::memcpy(out + 12, bytes.data(), std::min<size_t>(bytes.size(), outSize - 12));
                              returned = returnedOverride ? returnedOverride : static_cast<DWORD>(12 + bytes.size());
                              return true;
                          });
}

}  // namespace

TEST_CASE("a name query takes the name only from what the driver wrote, within the size it announced") {
    const std::wstring key = L"{36FC9E60-C465-11CF-8056-444553540000}\\0000";
    const ULONG fullRecord = static_cast<ULONG>(4 + (key.size() + 1) * 2);
    struct Row {
        const char* what;
        NameAnswer answer;
        bool succeeds;
        std::wstring name;
        int calls;  // how many controls reached the driver
    } rows[] = {
        {"a well-formed answer", {true, fullRecord, 0, Utf16(key, true)}, true, key, 2},
        {"the first call fails", {false, fullRecord, 0, {}}, false, L"", 1},
        {"ActualLength 0", {true, 0, 0, {}}, false, L"", 1},
        {"ActualLength no longer than the short record", {true, 6, 0, Utf16(L"A", true)}, false, L"", 1},
        {"ActualLength far beyond any name", {true, 0xFFFFFFF0u, 0, {}}, false, L"", 1},
        {"ActualLength just beyond the limit", {true, CUSBIoControl::kMaxNameBytes + 1, 0, {}}, false, L"", 1},
        {"the first answer too short to hold ActualLength", {true, fullRecord, 2, {}}, false, L"", 1},
        {"fewer bytes written than announced", {true, fullRecord, 0, Utf16(L"HCD", false)}, true, L"HCD", 2},
        {"no terminator in a full buffer", {true, 4 + 6, 0, Utf16(L"ABC", false)}, true, L"ABC", 2},
        {"an odd ActualLength", {true, 4 + 7, 0, Utf16(L"ABC", false)}, true, L"ABC", 2},
        {"a count beyond the buffer", {true, fullRecord, 0, Utf16(key, true), fullRecord + 100}, false, L"", 2},
        {"an empty name", {true, 8, 0, Utf16(L"", true)}, false, L"", 2},
        {"nothing after the head", {true, fullRecord, 0, {}, 4}, false, L"", 2},
    };
    for (const Row& row : rows) {
        CONTEXT(row.what);
        FakeMachine machine;
        ScriptName(machine, CUSBIoControl::kGetHcdDriverKeyName, 4, row.answer);
        CUSBIoControl controller(machine);
        REQUIRE(controller.Open(kDevice));
        std::wstring name = L"unchanged";
        CHECK_EQ(controller.GetHcdDriverKeyName(name), row.succeeds ? 1 : 0);
        CHECK_EQ(name, row.succeeds ? row.name : std::wstring(L"unchanged"));
        CHECK_EQ(machine.ControlCount(kDevice, CUSBIoControl::kGetHcdDriverKeyName), row.calls);
    }
}

TEST_CASE("each name query sends its own record shape") {
    struct Row {
        const char* what;
        DWORD code;
        DWORD nameOffset;
        int (*query)(CUSBIoControl&, std::wstring&);
        std::vector<DWORD> inputSizes;  // of the two calls
        bool sendsPort;
    } rows[] = {
        {"host controller driver key",
         CUSBIoControl::kGetHcdDriverKeyName,
         4,
         [](CUSBIoControl& c, std::wstring& n) { return c.GetHcdDriverKeyName(n); },
         {6, 12},
         false},
        {"root hub name (no input)",
         CUSBIoControl::kGetRootHubName,
         4,
         [](CUSBIoControl& c, std::wstring& n) { return c.GetRootHubName(n); },
         {0, 0},
         false},
        {"connection driver key",
         CUSBIoControl::kGetNodeConnectionDriverKeyName,
         8,
         [](CUSBIoControl& c, std::wstring& n) { return c.GetNodeConnectionDriverKeyName(7, n); },
         {10, 16},
         true},
        {"connection name",
         CUSBIoControl::kGetNodeConnectionName,
         8,
         [](CUSBIoControl& c, std::wstring& n) { return c.GetNodeConnectionName(7, n); },
         {10, 16},
         true},
    };
    for (const Row& row : rows) {
        CONTEXT(row.what);
        FakeMachine machine;
        std::vector<DWORD> sizes;
        std::vector<ULONG> indexes;
        NameAnswer answer{true, row.nameOffset + 8, 0, Utf16(L"ABC", true)};
        ScriptName(machine, row.code, row.nameOffset, answer, &sizes, &indexes);
        CUSBIoControl device(machine);
        REQUIRE(device.Open(kDevice));
        std::wstring name;
        CHECK_EQ(row.query(device, name), 1);
        CHECK_EQ(name, std::wstring(L"ABC"));
        CHECK(sizes == row.inputSizes);
        if (row.sendsPort) CHECK(indexes == std::vector<ULONG>({7, 7}));
    }

    // The connection records hold ConnectionIndex before ActualLength, so only lengths
    // above their 10-byte short form lead to a second call.
    FakeMachine machine;
    ScriptName(machine, CUSBIoControl::kGetNodeConnectionDriverKeyName, 8, {true, 10, 0, Utf16(L"A", true)});
    CUSBIoControl hub(machine);
    REQUIRE(hub.Open(kDevice));
    std::wstring name;
    CHECK_EQ(hub.GetNodeConnectionDriverKeyName(1, name), 0);
    CHECK_EQ(machine.ControlCount(kDevice, CUSBIoControl::kGetNodeConnectionDriverKeyName), 1);
}

TEST_CASE("the connection record reports the speed also from hub drivers that only know the plain record") {
    struct Row {
        const char* what;
        bool onlyPlain;
        UCHAR speed;
        ULONG expectedSpeed;
    } rows[] = {
        {"extended, high speed", false, UsbHighSpeed, UsbHighSpeed},
        {"extended, low speed", false, UsbLowSpeed, UsbLowSpeed},
        {"plain, low speed", true, UsbLowSpeed, UsbLowSpeed},
        {"plain, not low speed", true, UsbHighSpeed, UsbFullSpeed},
    };
    for (const Row& row : rows) {
        CONTEXT(row.what);
        FakeMachine machine;
        devicetest::FakeHub& hub = machine.AddHub(L"HUB");
        hub.ports.resize(3);
        devicetest::FakePort& port = hub.ports[2];
        port.status = DeviceConnected;
        port.onlyPlainInformation = row.onlyPlain;
        port.speed = row.speed;
        port.descriptor.idVendor = 0x1234;
        port.descriptor.bcdUSB = 0x0200;
        CUSBIoControl control(machine);
        REQUIRE(control.Open(L"\\\\.\\HUB"));
        CUSBIoControl::ConnectionInformation info;
        REQUIRE_EQ(control.GetNodeConnectionInformation(3, info), 1);
        CHECK_EQ(static_cast<ULONG>(info.header.Speed), row.expectedSpeed);
        CHECK_EQ(info.header.ConnectionIndex, 3ul);
        CHECK_EQ(info.header.DeviceDescriptor.idVendor, 0x1234);
        CHECK_EQ(static_cast<int>(info.header.ConnectionStatus), static_cast<int>(DeviceConnected));
    }

    FakeMachine machine;
    machine.AddHub(L"HUB").ports.resize(1);
    CUSBIoControl control(machine);
    REQUIRE(control.Open(L"\\\\.\\HUB"));
    CUSBIoControl::ConnectionInformation info;
    CHECK_EQ(control.GetNodeConnectionInformation(2, info), 0);  // no such port: both calls fail
}

TEST_CASE("an extended connection answer too short for its head falls back to the plain record") {
    FakeMachine machine;
    machine.ScriptControl(
        kDevice,
        [](DWORD code, const uint8_t* in, DWORD, uint8_t* out, DWORD outSize, DWORD& returned) -> std::optional<bool> {
            std::memset(out, 0, outSize);
            std::memcpy(out, in, 4);
            if (code == CUSBIoControl::kGetNodeConnectionInformationEx) {
                out[23] = UsbHighSpeed;
                returned = 10;
                return true;
            }
            if (code == CUSBIoControl::kGetNodeConnectionInformation) {
                out[23] = 1;  // LowSpeed
                Put<ULONG>(out + 31, DeviceConnected);
                returned = 35;
                return true;
            }
            return false;
        });
    CUSBIoControl control(machine);
    REQUIRE(control.Open(kDevice));
    CUSBIoControl::ConnectionInformation info;
    REQUIRE_EQ(control.GetNodeConnectionInformation(1, info), 1);
    CHECK_EQ(static_cast<int>(info.header.Speed), static_cast<int>(UsbLowSpeed));
    CHECK_EQ(static_cast<int>(info.header.ConnectionStatus), static_cast<int>(DeviceConnected));
}

TEST_CASE("a string descriptor is accepted only when its own length agrees with what came back") {
    std::vector<uint8_t> longest{254, 3};
    for (int i = 0; i < 126; ++i) longest.insert(longest.end(), {'x', 0});
    struct Row {
        const char* what;
        std::vector<uint8_t> bytes;
        DWORD returned;  // 0: 12 + bytes
        bool callSucceeds;
        bool accepted;
        std::wstring text;
    } rows[] = {
        {"two characters", {6, 3, 'A', 0, 'B', 0}, 0, true, true, L"AB"},
        {"an empty string", {2, 3}, 0, true, true, L""},
        {"the longest even descriptor", longest, 0, true, true, std::wstring(126, L'x')},
        {"the call fails", {6, 3, 'A', 0, 'B', 0}, 0, false, false, L""},
        {"only one byte came back", {6}, 13, true, false, L""},
        {"nothing came back", {}, 12, true, false, L""},
        {"not a string descriptor", {6, 1, 'A', 0, 'B', 0}, 0, true, false, L""},
        {"an odd length", {5, 3, 'A', 0, 'B'}, 0, true, false, L""},
        {"a length larger than what came back", {200, 3, 'A', 0, 'B', 0}, 0, true, false, L""},
        {"a length smaller than what came back", {4, 3, 'A', 0, 'B', 0}, 0, true, false, L""},
        {"a count beyond the request buffer", {6, 3, 'A', 0, 'B', 0}, 300, true, false, L""},
    };
    for (const Row& row : rows) {
        CONTEXT(row.what);
        FakeMachine machine;
        ScriptDescriptor(machine, row.bytes, row.returned, row.callSucceeds);
        CUSBIoControl hub(machine);
        REQUIRE(hub.Open(kDevice));
        std::wstring text = L"unchanged";
        CHECK_EQ(hub.GetString(2, 1, 0x0409, text), row.accepted ? 1 : 0);
        CHECK_EQ(text, row.accepted ? row.text : std::wstring(L"unchanged"));
    }
}

TEST_CASE("a string descriptor request names the port, the string, the language and the full data size") {
    FakeMachine machine;
    std::vector<uint8_t> request;
    DWORD inSize = 0, outSize = 0;
    machine.ScriptControl(kDevice,
                          [&](DWORD code, const uint8_t* in, DWORD inLength, uint8_t* out, DWORD outLength,
                              DWORD& returned) -> std::optional<bool> {
                              if (code != CUSBIoControl::kGetDescriptorFromNodeConnection) return false;
                              request.assign(in, in + inLength);
                              inSize = inLength;
                              outSize = outLength;
                              std::memcpy(out, in, 12);
                              const uint8_t descriptor[] = {4, 3, 'Q', 0};
                              std::memcpy(out + 12, descriptor, 4);
                              returned = 16;
                              return true;
                          });
    CUSBIoControl hub(machine);
    REQUIRE(hub.Open(kDevice));
    std::wstring text;
    REQUIRE_EQ(hub.GetString(5, 3, 0x0411, text), 1);
    CHECK_EQ(text, std::wstring(L"Q"));
    CHECK_EQ(inSize, 267ul);
    CHECK_EQ(outSize, 267ul);
    REQUIRE_EQ(request.size(), size_t(267));
    CHECK_EQ(Get<ULONG>(&request[0]), 5ul);
    CHECK_EQ(Get<USHORT>(&request[6]), 0x0303);
    CHECK_EQ(Get<USHORT>(&request[8]), 0x0411);
    CHECK_EQ(Get<USHORT>(&request[10]), 255);
    CHECK(std::all_of(request.begin() + 12, request.end(), [](uint8_t b) { return b == 0; }));
}

TEST_CASE("the language list is the descriptor's 16-bit entries after its head") {
    struct Row {
        const char* what;
        std::vector<uint8_t> bytes;
        std::vector<USHORT> ids;
    } rows[] = {
        {"two languages", {6, 3, 0x09, 0x04, 0x11, 0x04}, {0x0409, 0x0411}},
        {"no language", {2, 3}, {}},
    };
    for (const Row& row : rows) {
        CONTEXT(row.what);
        FakeMachine machine;
        ScriptDescriptor(machine, row.bytes);
        CUSBIoControl hub(machine);
        REQUIRE(hub.Open(kDevice));
        std::vector<USHORT> ids{0xFFFF};
        REQUIRE_EQ(hub.GetLanguageIds(1, ids), 1);
        CHECK(ids == row.ids);
    }
}

TEST_CASE("a closed or unopenable device answers nothing and holds no handle") {
    FakeMachine machine;
    machine.AddHub(L"HUB").ports.resize(1);
    CUSBIoControl control(machine);
    CHECK_EQ(control.Open(L"\\\\.\\NOWHERE"), 0);
    CHECK(!control.IsOpen());
    std::wstring name;
    CHECK_EQ(control.GetRootHubName(name), 0);

    REQUIRE(control.Open(L"\\\\.\\HUB"));
    CHECK_EQ(control.GetPath(), std::wstring(L"\\\\.\\HUB"));
    CHECK_EQ(machine.OpenHandles(), 1);
    control.Close();
    CHECK_EQ(machine.OpenHandles(), 0);
    CUSBIoControl::ConnectionInformation info;
    CHECK_EQ(control.GetNodeConnectionInformation(1, info), 0);
    {
        CUSBIoControl scoped(machine);
        REQUIRE(scoped.Open(L"\\\\.\\HUB"));
    }
    CHECK_EQ(machine.OpenHandles(), 0);
}
