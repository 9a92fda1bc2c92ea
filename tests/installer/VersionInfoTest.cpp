// The version information of every file the setup program installs, and of the setup
// program itself: each carries the build's one version number as file and product version
// (in the fixed record and in its texts), the product name, its own file name and a
// description, so Explorer's properties and the list of installed programs agree.
#include <windows.h>

#include <string>
#include <vector>

#include "BuildFiles.h"
#include "TestFiles.h"
#include "TestHarness.h"

namespace {

struct VersionInfo {
    std::vector<BYTE> data;
    std::wstring block;  // "\StringFileInfo\<language><code page>\"

    const VS_FIXEDFILEINFO* Fixed() const {
        void* p = nullptr;
        UINT size = 0;
        if (!VerQueryValueW(data.data(), L"\\", &p, &size) || size < sizeof(VS_FIXEDFILEINFO)) return nullptr;
        return static_cast<const VS_FIXEDFILEINFO*>(p);
    }
    std::wstring Text(const wchar_t* name) const {
        void* p = nullptr;
        UINT size = 0;
        if (!VerQueryValueW(data.data(), (block + name).c_str(), &p, &size) || size == 0) return L"<missing>";
        return std::wstring(static_cast<const wchar_t*>(p));
    }
};

VersionInfo Read(const std::wstring& file) {
    VersionInfo info;
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0) FAIL("no version information: error " + std::to_string(GetLastError()));
    info.data.resize(size);
    REQUIRE(GetFileVersionInfoW(file.c_str(), 0, size, info.data.data()));
    struct Translation {
        WORD language, codePage;
    }* translation = nullptr;
    UINT length = 0;
    REQUIRE(VerQueryValueW(info.data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                           &length));
    REQUIRE(length >= sizeof(Translation));
    wchar_t block[64];
    wsprintfW(block, L"\\StringFileInfo\\%04x%04x\\", translation->language, translation->codePage);
    info.block = block;
    return info;
}

std::wstring FourParts(DWORD high, DWORD low) {
    return std::to_wstring(HIWORD(high)) + L"." + std::to_wstring(LOWORD(high)) + L"." +
           std::to_wstring(HIWORD(low)) + L"." + std::to_wstring(LOWORD(low));
}

}  // namespace

// The expected version (four parts) and the files ('|' between their Linux paths) come from
// the build.
TEST_CASE("every installed binary and the setup program carry the build's version and names") {
    const std::wstring version = quaytest::Widen(QUAYTEST_VERSION);
    std::vector<std::string> files;
    std::string list = QUAYTEST_VERSIONED_FILES;
    for (size_t start = 0, end; start <= list.size(); start = end + 1) {
        end = list.find('|', start);
        if (end == std::string::npos) end = list.size();
        files.push_back(list.substr(start, end - start));
    }
    REQUIRE(files.size() >= 4);
    for (const std::string& linuxPath : files) {
        CONTEXT(linuxPath);
        const std::wstring file = quaytest::BuildFile(linuxPath.c_str());
        const std::wstring name = file.substr(file.find_last_of(L'\\') + 1);
        VersionInfo info = Read(file);
        const VS_FIXEDFILEINFO* fixed = info.Fixed();
        REQUIRE(fixed != nullptr);
        CHECK_EQ(FourParts(fixed->dwFileVersionMS, fixed->dwFileVersionLS), version);
        CHECK_EQ(FourParts(fixed->dwProductVersionMS, fixed->dwProductVersionLS), version);
        CHECK_EQ(info.Text(L"FileVersion"), version);
        CHECK_EQ(info.Text(L"ProductVersion"), version);
        CHECK_EQ(info.Text(L"ProductName"), std::wstring(L"Quaysail"));
        CHECK_EQ(info.Text(L"CompanyName"), std::wstring(L"Tidewell"));
        // The 32-bit shell extension is installed renamed, beside the 64-bit one.
        CHECK_EQ(info.Text(L"OriginalFilename"), name == L"Quaydrop32.dll" ? std::wstring(L"Quaydrop.dll") : name);
        const std::wstring description = info.Text(L"FileDescription");
        CHECK(description.rfind(L"Tidewell 高速ファイルコピー", 0) == 0);
    }
}
