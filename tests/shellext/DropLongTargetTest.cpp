// A drop on a folder deeper than MAX_PATH: the handler takes the folder's whole path from
// its ID list and hands it over. Wine's shell folders parse no path beyond MAX_PATH, so no
// such ID list can be made here and the case skips visibly; on Windows it runs.
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "DropHost.h"
#include "HandOffRecorder.h"
#include "TestFiles.h"
#include "TestHarness.h"

using droptest::HandOffRecorder;
using droptest::Handler;

namespace {

const char* Offset(UINT offset) { return MAKEINTRESOURCEA(offset); }

}  // namespace

TEST_CASE("a target folder beyond MAX_PATH is handed over whole") {
    HandOffRecorder recorder(L"open w:02000000 r w:03000000 r w:04000000 r");
    const std::wstring deepTarget = recorder.c / (std::wstring(130, L'a') + L"\\" + std::wstring(130, L'b'));
    const std::wstring source = recorder.c / L"a.txt";
    quaytest::MakeDir(deepTarget);
    quaytest::WriteBytes(source, "a");
    auto target = droptest::TryFolderIdList(deepTarget);
    // Wine's shell folders parse no path beyond MAX_PATH, so no ID list of such a folder
    // can be made here; Windows makes them.
    if (!target) SKIP("the shell cannot make the ID list of a folder beyond MAX_PATH (Wine)");
    droptest::HandlerModule module(recorder.program + L"\\Quaydrop.dll");
    Handler handler(module);
    auto data = droptest::ShellDataObject({source});
    REQUIRE_EQ(handler.init->Initialize(target.get(), data.get(), nullptr), S_OK);
    CHECK_EQ(handler.Invoke(Offset(0)), S_OK);
    CHECK_EQ(recorder.Recorded(), HandOffRecorder::Expected({source}, deepTarget, 0));
}

