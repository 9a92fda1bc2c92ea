// Registration of the real Quaydrop.dll in the test prefix, by the platform's regsvr32:
// the keys and values read back (for the machine, and with DllInstall "user" for the
// current user alone), the type library registered with them, the class created through
// the registry with every interface it answers for, and unregistration removing what
// registration made and nothing else, also when nothing was registered.
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "BuildFiles.h"
#include "DropHost.h"
#include "TestFiles.h"
#include "TestHarness.h"

using quaytest::TempDir;

namespace {

const wchar_t kClass[] = L"{08AD79C1-121F-4e72-BDB5-94CBDAB00571}";
const wchar_t kLibrary[] = L"{9D18C8F5-8642-4810-815A-36EBC8A7C6CC}";
const wchar_t kInterface[] = L"{0B59718F-1D7A-4DA2-8F6A-25695C83DA57}";
const CLSID kClassId = {0x08AD79C1, 0x121F, 0x4e72, {0xBD, 0xB5, 0x94, 0xCB, 0xDA, 0xB0, 0x05, 0x71}};
const IID kInterfaceId = {0x0B59718F, 0x1D7A, 0x4DA2, {0x8F, 0x6A, 0x25, 0x69, 0x5C, 0x83, 0xDA, 0x57}};
// A neighbour's handler, which unregistration must leave alone.
const wchar_t kNeighbour[] = L"Folder\\ShellEx\\DragDropHandlers\\{11111111-2222-3333-4444-555555555555}";

// regsvr32 with the arguments; its exit code.
long Regsvr32(const std::wstring& arguments) {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring program = std::wstring(system) + L"\\regsvr32.exe";
    std::wstring line = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        FAIL("cannot start regsvr32: error " + std::to_string(GetLastError()));
    Marlin::KernelHandle thread(info.hThread);
    return quaytest::WaitExit(Marlin::KernelHandle(info.hProcess), 120000);
}

bool KeyExists(HKEY root, const std::wstring& path) {
    Marlin::RegistryKey key;
    return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

// A text value, or "(missing)".
std::wstring Text(HKEY root, const std::wstring& path, const wchar_t* name = nullptr) {
    wchar_t value[1024] = {};
    DWORD size = sizeof value - sizeof(wchar_t);
    DWORD type = 0;
    Marlin::RegistryKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return L"(missing)";
    if (RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS)
        return L"(missing)";
    if (type != REG_SZ) return L"(not a text)";
    return value;
}

struct Module {
    TempDir dir{L'C'};
    std::wstring folder = dir / L"program files\\Quaydrop";
    std::wstring dll = folder + L"\\Quaydrop.dll";
    Module() {
        quaytest::MakeDir(folder);
        if (!CopyFileW(quaytest::BuildFile(QUAYTEST_QUAYDROP_DLL).c_str(), dll.c_str(), FALSE))
            FAIL("cannot copy Quaydrop.dll: error " + std::to_string(GetLastError()));
    }
    ~Module() {
        // Nothing registered may point into the folder that goes now.
        Regsvr32(L"/s /u \"" + dll + L"\"");
        Regsvr32(L"/s /u /n /i:user \"" + dll + L"\"");
    }
};

// Everything registration makes, under classes (HKCR's machine or user part).
void CheckRegistered(HKEY classes, const Module& module) {
    const std::wstring clsid = std::wstring(L"CLSID\\") + kClass;
    CHECK(Text(classes, clsid) == L"");
    CHECK(Text(classes, clsid + L"\\InprocServer32") == module.dll);
    CHECK(Text(classes, clsid + L"\\InprocServer32", L"ThreadingModel") == L"Apartment");
    CHECK(Text(classes, std::wstring(L"Folder\\ShellEx\\DragDropHandlers\\") + kClass) == L"");
}

void CheckGone(HKEY classes) {
    CHECK(!KeyExists(classes, std::wstring(L"CLSID\\") + kClass));
    CHECK(!KeyExists(classes, std::wstring(L"Folder\\ShellEx\\DragDropHandlers\\") + kClass));
    // The shared keys above ours stay.
    CHECK(KeyExists(classes, L"CLSID"));
    CHECK(KeyExists(classes, L"Folder\\ShellEx\\DragDropHandlers"));
}

void CheckTypeLibrary(const Module& module) {
    const std::wstring library = std::wstring(L"TypeLib\\") + kLibrary + L"\\1.0";
    CHECK(Text(HKEY_CLASSES_ROOT, library) == L"Quaydrop 1.0 タイプ ライブラリ");
    CHECK(Text(HKEY_CLASSES_ROOT, library + L"\\0\\win64") == module.dll);
    CHECK(Text(HKEY_CLASSES_ROOT, library + L"\\HELPDIR") == module.folder);
    CHECK(Text(HKEY_CLASSES_ROOT, std::wstring(L"Interface\\") + kInterface) == L"IShellExDragDropHandlers");
}

void CheckTypeLibraryGone() {
    CHECK(!KeyExists(HKEY_CLASSES_ROOT, std::wstring(L"TypeLib\\") + kLibrary));
    CHECK(!KeyExists(HKEY_CLASSES_ROOT, std::wstring(L"Interface\\") + kInterface));
}

// An aggregating object that counts the references the handler passes on to it.
struct Outer final : IUnknown {
    LONG references = 1;
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        *out = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown)) return E_NOINTERFACE;
        *out = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override { return --references; }
};

}  // namespace

TEST_CASE("regsvr32 registers the handler for the machine, and /u removes it and nothing else") {
    Module module;
    HKEY machine = HKEY_LOCAL_MACHINE;
    Marlin::RegistryKey classes;
    REQUIRE(RegOpenKeyExW(machine, L"Software\\Classes", 0, KEY_ALL_ACCESS, classes.put()) == ERROR_SUCCESS);
    Marlin::RegistryKey neighbour;
    REQUIRE(RegCreateKeyExW(classes.get(), kNeighbour, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, neighbour.put(),
                            nullptr) == ERROR_SUCCESS);
    neighbour.reset();

    CHECK_EQ(Regsvr32(L"/s /u \"" + module.dll + L"\""), 0L);  // nothing registered yet: still a success
    REQUIRE_EQ(Regsvr32(L"/s \"" + module.dll + L"\""), 0L);
    CheckRegistered(classes.get(), module);
    CheckTypeLibrary(module);
    CHECK_EQ(Regsvr32(L"/s \"" + module.dll + L"\""), 0L);  // again: the same keys, once
    CheckRegistered(classes.get(), module);

    CHECK_EQ(Regsvr32(L"/s /u \"" + module.dll + L"\""), 0L);
    CheckGone(classes.get());
    CheckTypeLibraryGone();
    CHECK(KeyExists(classes.get(), kNeighbour));
    CHECK_EQ(Regsvr32(L"/s /u \"" + module.dll + L"\""), 0L);
    RegDeleteKeyW(classes.get(), kNeighbour);
}

TEST_CASE("DllInstall with \"user\" in any case registers for the current user alone") {
    Module module;
    Marlin::RegistryKey user, machine;
    REQUIRE(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            user.put(), nullptr) == ERROR_SUCCESS);
    REQUIRE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes", 0, KEY_READ, machine.put()) == ERROR_SUCCESS);
    for (const wchar_t* word : {L"user", L"USER", L"User"}) {
        CONTEXT(quaytest::Utf8(word));
        const std::wstring quoted = L"\"" + module.dll + L"\"";
        REQUIRE_EQ(Regsvr32(std::wstring(L"/s /n /i:") + word + L" " + quoted), 0L);
        CheckRegistered(user.get(), module);
        CHECK(!KeyExists(machine.get(), std::wstring(L"CLSID\\") + kClass));
        CHECK_EQ(Regsvr32(std::wstring(L"/s /u /n /i:") + word + L" " + quoted), 0L);
        CHECK(!KeyExists(user.get(), std::wstring(L"CLSID\\") + kClass));
        CHECK(!KeyExists(user.get(), std::wstring(L"Folder\\ShellEx\\DragDropHandlers\\") + kClass));
        CheckTypeLibraryGone();
    }
}

TEST_CASE("the class is created through the registry and answers for its interfaces") {
    Module module;
    REQUIRE_EQ(Regsvr32(L"/s \"" + module.dll + L"\""), 0L);
    REQUIRE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    {
        Marlin::ComPointer<IUnknown> handler;
        REQUIRE_EQ(CoCreateInstance(kClassId, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                    reinterpret_cast<void**>(handler.put())),
                   S_OK);
        CHECK(droptest::Query<IShellExtInit>(handler.get()));
        CHECK(droptest::Query<IContextMenu>(handler.get()));
        Marlin::ComPointer<IUnknown> own;
        CHECK_EQ(handler->QueryInterface(kInterfaceId, reinterpret_cast<void**>(own.put())), S_OK);
        CHECK(!droptest::Query<IShellFolder>(handler.get()));

        // IDispatch from the type library in the module.
        auto dispatch = droptest::Query<IDispatch>(handler.get());
        REQUIRE(dispatch);
        UINT count = 0;
        CHECK_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
        CHECK_EQ(count, 1u);
        Marlin::ComPointer<ITypeInfo> info;
        REQUIRE_EQ(dispatch->GetTypeInfo(0, 0, info.put()), S_OK);
        TYPEATTR* attributes = nullptr;
        REQUIRE_EQ(info->GetTypeAttr(&attributes), S_OK);
        CHECK(IsEqualIID(attributes->guid, kInterfaceId));
        CHECK_EQ(static_cast<int>(attributes->typekind), static_cast<int>(TKIND_DISPATCH));
        info->ReleaseTypeAttr(attributes);
        wchar_t unknownName[] = L"NoSuchMember";
        LPOLESTR names[] = {unknownName};
        DISPID id = 0;
        CHECK_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &id), DISP_E_UNKNOWNNAME);

        // Aggregated: the IUnknown alone may be asked for, and the other interfaces'
        // references go to the outer object.
        Outer outer;
        Marlin::ComPointer<IUnknown> refused;
        CHECK_EQ(CoCreateInstance(kClassId, &outer, CLSCTX_INPROC_SERVER, IID_IContextMenu,
                                  reinterpret_cast<void**>(refused.put())),
                 CLASS_E_NOAGGREGATION);
        Marlin::ComPointer<IUnknown> inner;
        REQUIRE_EQ(CoCreateInstance(kClassId, &outer, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                    reinterpret_cast<void**>(inner.put())),
                   S_OK);
        Marlin::ComPointer<IContextMenu> menu;
        REQUIRE_EQ(inner->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(menu.put())), S_OK);
        const LONG before = outer.references;
        menu->AddRef();
        CHECK_EQ(outer.references, before + 1);
        menu->Release();
        Marlin::ComPointer<IUnknown> identity;
        CHECK_EQ(menu->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(identity.put())), S_OK);
        CHECK(identity.get() == static_cast<IUnknown*>(&outer));
    }
    CoUninitialize();
}

TEST_CASE("the exports: the class object, other classes, and DllCanUnloadNow while objects and locks live") {
    Module module;
    droptest::HandlerModule loaded(module.dll);
    using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    using CanUnloadNow = HRESULT(WINAPI*)();
    const auto get = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void*>(GetProcAddress(loaded.Module(), "DllGetClassObject")));
    const auto canUnload = reinterpret_cast<CanUnloadNow>(
        reinterpret_cast<void*>(GetProcAddress(loaded.Module(), "DllCanUnloadNow")));
    REQUIRE(get && canUnload);
    for (const char* name : {"DllRegisterServer", "DllUnregisterServer", "DllInstall"}) {
        CONTEXT(name);
        CHECK(GetProcAddress(loaded.Module(), name) != nullptr);
    }

    Marlin::ComPointer<IClassFactory> factory;
    CHECK_EQ(get(IID_IShellFolder, IID_IClassFactory, reinterpret_cast<void**>(factory.put())),
             CLASS_E_CLASSNOTAVAILABLE);
    CHECK_EQ(get(kClassId, IID_IClassFactory, nullptr), E_POINTER);
    REQUIRE_EQ(get(kClassId, IID_IClassFactory, reinterpret_cast<void**>(factory.put())), S_OK);
    Marlin::ComPointer<IClassFactory> again;
    REQUIRE_EQ(get(kClassId, IID_IClassFactory, reinterpret_cast<void**>(again.put())), S_OK);
    CHECK(again.get() == factory.get());  // made once

    CHECK_EQ(canUnload(), S_OK);
    {
        auto handler = loaded.Create();
        CHECK_EQ(canUnload(), S_FALSE);
    }
    CHECK_EQ(canUnload(), S_OK);
    CHECK_EQ(factory->LockServer(TRUE), S_OK);
    CHECK_EQ(canUnload(), S_FALSE);
    CHECK_EQ(factory->LockServer(FALSE), S_OK);
    CHECK_EQ(canUnload(), S_OK);
}
