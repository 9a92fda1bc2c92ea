#include "COSVersion.h"

#include "UniqueHandle.h"

namespace Marlin {

COSVersion::COSVersion() {
    // GetVersionExW is deprecated in the headers but is exactly what is wanted here:
    // the version the system reports to this program (manifest included).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    version_.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    if (GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version_))) {
        version_.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
        if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version_)))
            version_.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    }
#pragma GCC diagnostic pop

    Marlin::ModuleHandle kernel(LoadLibraryW(L"Kernel32.dll"));
    if (!kernel) return;

    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    using GetProductInfoFn = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, PDWORD);
    using GetSystemInfoFn = void(WINAPI*)(LPSYSTEM_INFO);

    if (auto isWow64 = reinterpret_cast<IsWow64ProcessFn>(GetProcAddress(kernel.get(), "IsWow64Process")))
        isWow64(GetCurrentProcess(), &isWow64_);
    if (auto productInfo = reinterpret_cast<GetProductInfoFn>(GetProcAddress(kernel.get(), "GetProductInfo")))
        productInfo(version_.dwMajorVersion, version_.dwMinorVersion, version_.wServicePackMajor,
                    version_.wServicePackMinor, &productType_);
    auto nativeInfo = reinterpret_cast<GetSystemInfoFn>(GetProcAddress(kernel.get(), "GetNativeSystemInfo"));
    if (!nativeInfo) nativeInfo = reinterpret_cast<GetSystemInfoFn>(GetProcAddress(kernel.get(), "GetSystemInfo"));
    if (nativeInfo) nativeInfo(&systemInfo_);
}

COSVersion::COSVersion(DWORD majorVersion, DWORD minorVersion) : COSVersion() {
    version_.dwMajorVersion = majorVersion;
    version_.dwMinorVersion = minorVersion;
}

}  // namespace Marlin
