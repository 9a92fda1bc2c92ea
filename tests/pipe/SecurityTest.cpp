// The access list a server puts on its pipe. Wine does not enforce it (any client gets
// in), so what can be checked here is the list itself as the system stores it.
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <string>

#include "EchoServer.h"
#include "PipePeers.h"
#include "TestHarness.h"
#include "UniqueHandle.h"

namespace {

std::string SidText(PSID sid) {
    Marlin::LocalMemory<char> text;
    if (!ConvertSidToStringSidA(sid, text.put())) {
        text.release();  // not ours after a failed call
        return "?";
    }
    return text.get();
}

}  // namespace

TEST_CASE("the pipe's DACL gives the four trustees their rights and inheritance flags") {
    pipetest::EchoServer server(pipetest::UniquePipeName("dacl"));
    REQUIRE_EQ(server.Create(), 1);

    PACL dacl = nullptr;
    Marlin::LocalMemory<> sd;
    REQUIRE_EQ(GetSecurityInfo(server.Handle(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                               &dacl, nullptr, sd.put()),
               static_cast<DWORD>(ERROR_SUCCESS));
    REQUIRE(dacl != nullptr);

    struct Row {
        const char* sid;
        DWORD mask;
        BYTE flags;
    } const expected[] = {
        {"S-1-3-0", 0x1F01FF, 0xF},       // CREATOR OWNER
        {"S-1-5-18", 0x1F01FF, 0x3},      // SYSTEM
        {"S-1-5-32-544", 0x1F01FF, 0x3},  // Administrators
        {"S-1-5-4", 0x1301FF, 0x3},       // INTERACTIVE
    };
    REQUIRE_EQ(dacl->AceCount, static_cast<WORD>(4));
    for (const auto& row : expected) {
        CONTEXT(row.sid);
        bool found = false;
        for (WORD i = 0; i < dacl->AceCount; ++i) {
            void* ace = nullptr;
            REQUIRE(GetAce(dacl, i, &ace));
            auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
            if (SidText(&allowed->SidStart) != row.sid) continue;
            found = true;
            CHECK_EQ(allowed->Header.AceType, static_cast<BYTE>(ACCESS_ALLOWED_ACE_TYPE));
            CHECK_EQ(allowed->Mask, row.mask);
            CHECK_EQ(allowed->Header.AceFlags, row.flags);
        }
        CHECK(found);
    }
}
