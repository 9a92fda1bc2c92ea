#include "Registrar.h"

#include <oleauto.h>

#include "QuaydropIds.h"
#include "QuaydropModule.h"
#include "UniqueHandle.h"

namespace Marlin {

namespace {

constexpr wchar_t kAppId[] = L"{E3CD639E-0745-4baa-829E-87E7C519AD54}";
constexpr REGSAM kAccess = KEY_READ | KEY_WRITE;

HRESULT FromStatus(LSTATUS status) { return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status); }

bool IsMissing(LSTATUS status) { return status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND; }

bool SameNoCase(const std::wstring& a, const wchar_t* b) { return _wcsicmp(a.c_str(), b) == 0; }

// The key a script's root names, opened (or made) for this registration.
HRESULT OpenRoot(const std::wstring& name, bool perUser, RegistryKey& root) {
    if (SameNoCase(name, L"HKCR") || SameNoCase(name, L"HKEY_CLASSES_ROOT")) {
        if (perUser) {
            return FromStatus(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0, kAccess,
                                              nullptr, root.put(), nullptr));
        }
        return FromStatus(RegOpenKeyExW(HKEY_CLASSES_ROOT, nullptr, 0, kAccess, root.put()));
    }
    if (SameNoCase(name, L"HKCU") || SameNoCase(name, L"HKEY_CURRENT_USER"))
        return FromStatus(RegOpenKeyExW(HKEY_CURRENT_USER, nullptr, 0, kAccess, root.put()));
    if (SameNoCase(name, L"HKLM") || SameNoCase(name, L"HKEY_LOCAL_MACHINE"))
        return FromStatus(RegOpenKeyExW(HKEY_LOCAL_MACHINE, nullptr, 0, kAccess, root.put()));
    return E_INVALIDARG;
}

LSTATUS SetValue(HKEY key, const RegistryScript::Value& value) {
    const wchar_t* name = value.name.empty() ? nullptr : value.name.c_str();
    if (value.isNumber) {
        const DWORD number = value.number;
        return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    }
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.text.c_str()),
                          static_cast<DWORD>((value.text.size() + 1) * sizeof(wchar_t)));
}

HRESULT Install(HKEY parent, const RegistryScript::Key& key) {
    if (key.removal == RegistryScript::Removal::ForceRemove) {
        const LSTATUS status = RegDeleteTreeW(parent, key.name.c_str());
        if (status != ERROR_SUCCESS && !IsMissing(status)) return FromStatus(status);
    }
    RegistryKey made;
    HRESULT hr = FromStatus(
        RegCreateKeyExW(parent, key.name.c_str(), 0, nullptr, 0, kAccess, nullptr, made.put(), nullptr));
    if (FAILED(hr)) return hr;
    for (const auto& value : key.values) {
        hr = FromStatus(SetValue(made.get(), value));
        if (FAILED(hr)) return hr;
    }
    for (const auto& sub : key.keys) {
        hr = Install(made.get(), sub);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT Remove(HKEY parent, const RegistryScript::Key& key) {
    if (key.removal == RegistryScript::Removal::ForceRemove) {
        const LSTATUS status = RegDeleteTreeW(parent, key.name.c_str());
        return IsMissing(status) ? S_OK : FromStatus(status);
    }
    RegistryKey opened;
    const LSTATUS status = RegOpenKeyExW(parent, key.name.c_str(), 0, kAccess, opened.put());
    if (IsMissing(status)) return S_OK;
    if (status != ERROR_SUCCESS) return FromStatus(status);
    for (const auto& sub : key.keys) {
        const HRESULT hr = Remove(opened.get(), sub);
        if (FAILED(hr)) return hr;
    }
    if (key.removal == RegistryScript::Removal::NoRemove) return S_OK;
    // A plain key: our values go, and the key too unless someone else keeps things in it.
    for (const auto& value : key.values) {
        const LSTATUS removed = RegDeleteValueW(opened.get(), value.name.empty() ? nullptr : value.name.c_str());
        if (removed != ERROR_SUCCESS && !IsMissing(removed)) return FromStatus(removed);
    }
    DWORD subkeys = 0, values = 0;
    if (RegQueryInfoKeyW(opened.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return S_OK;
    opened.reset();
    if (subkeys != 0 || values != 0) return S_OK;
    const LSTATUS removed = RegDeleteKeyW(parent, key.name.c_str());
    return IsMissing(removed) ? S_OK : FromStatus(removed);
}

// A registry script resource of the module, as text.
bool LoadScript(UINT resource, std::wstring& text) {
    const HINSTANCE module = QuaydropModule::Instance();
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(resource), L"REGISTRY");
    if (!found) return false;
    const HGLOBAL loaded = LoadResource(module, found);
    const DWORD size = SizeofResource(module, found);
    const auto* bytes = static_cast<const char*>(loaded ? LockResource(loaded) : nullptr);
    if (!bytes) return false;
    if (size == 0) {
        text.clear();
        return true;
    }
    const int length = MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(size), nullptr, 0);
    if (length <= 0) return false;
    text.assign(static_cast<size_t>(length), L'\0');
    return MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(size), text.data(), length) == length;
}

// The per-user type-library calls exist from Vista on; looked up, so the module still
// loads where they do not.
using RegisterForUser = HRESULT(WINAPI*)(ITypeLib*, OLECHAR*, OLECHAR*);
using UnregisterForUser = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);

template <typename Function>
Function OleAutomation(const char* name) {
    const HMODULE library = GetModuleHandleW(L"oleaut32.dll");
    return library ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name))) : nullptr;
}

// Whether the classes root still knows the type library (the merged view of the user's
// and the machine's classes).
bool TypeLibraryKnown(const GUID& library) {
    wchar_t text[64] = {};
    if (!StringFromGUID2(library, text, 64)) return true;
    RegistryKey key;
    return RegOpenKeyExW(HKEY_CLASSES_ROOT, (std::wstring(L"TypeLib\\") + text).c_str(), 0, KEY_READ, key.put()) ==
           ERROR_SUCCESS;
}

}  // namespace

Registrar::Registrar(bool perUser) : perUser_(perUser) {}

HRESULT Registrar::Apply(const RegistryScript& script, bool install) {
    for (const auto& root : script.Roots()) {
        RegistryKey opened;
        HRESULT hr = OpenRoot(root.name, perUser_, opened);
        if (FAILED(hr)) return hr;
        for (const auto& key : root.keys) {
            hr = install ? Install(opened.get(), key) : Remove(opened.get(), key);
            if (FAILED(hr)) return hr;
        }
    }
    return S_OK;
}

HRESULT Registrar::RunScript(UINT resource, const RegistryScript::Variables& variables, bool install) {
    std::wstring text;
    if (!LoadScript(resource, text)) return HRESULT_FROM_WIN32(ERROR_RESOURCE_DATA_NOT_FOUND);
    RegistryScript script;
    if (!script.Parse(text, variables)) return E_UNEXPECTED;
    return Apply(script, install);
}

HRESULT Registrar::RegisterTypeLibrary() {
    std::wstring module = QuaydropModule::ModulePath();
    std::wstring folder = QuaydropModule::ModuleFolder();
    ComPointer<ITypeLib> library;
    HRESULT hr = LoadTypeLibEx(module.c_str(), REGKIND_NONE, library.put());
    if (FAILED(hr)) return hr;
    if (perUser_) {
        if (const auto forUser = OleAutomation<RegisterForUser>("RegisterTypeLibForUser"))
            return forUser(library.get(), module.data(), folder.data());
    }
    return RegisterTypeLib(library.get(), module.data(), folder.data());
}

HRESULT Registrar::UnregisterTypeLibrary() {
    const std::wstring module = QuaydropModule::ModulePath();
    ComPointer<ITypeLib> library;
    HRESULT hr = LoadTypeLibEx(module.c_str(), REGKIND_NONE, library.put());
    if (FAILED(hr)) return hr;
    TLIBATTR* attributes = nullptr;
    hr = library->GetLibAttr(&attributes);
    if (FAILED(hr)) return hr;
    const TLIBATTR a = *attributes;
    library->ReleaseTLibAttr(attributes);
    const auto forUser = perUser_ ? OleAutomation<UnregisterForUser>("UnRegisterTypeLibForUser") : nullptr;
    hr = forUser ? forUser(a.guid, a.wMajorVerNum, a.wMinorVerNum, a.lcid, a.syskind)
                 : UnRegisterTypeLib(a.guid, a.wMajorVerNum, a.wMinorVerNum, a.lcid, a.syskind);
    // Removing what is not there is done.
    if (FAILED(hr) && !TypeLibraryKnown(a.guid)) return S_OK;
    return hr;
}

HRESULT Registrar::Register() {
    const LCID locale = GetThreadLocale();
    SetThreadLocale(MAKELCID(MAKELANGID(LANG_NEUTRAL, SUBLANG_SYS_DEFAULT), SORT_DEFAULT));
    const std::wstring module = QuaydropModule::ModulePath();
    HRESULT hr = RunScript(IDR_MODULE_SCRIPT, {{L"APPID", kAppId}}, true);
    if (SUCCEEDED(hr)) hr = RunScript(IDR_CLASS_SCRIPT, {{L"Module", module}, {L"Module_Raw", module}}, true);
    if (SUCCEEDED(hr)) hr = RegisterTypeLibrary();
    SetThreadLocale(locale);
    return hr;
}

HRESULT Registrar::Unregister() {
    const LCID locale = GetThreadLocale();
    SetThreadLocale(MAKELCID(MAKELANGID(LANG_NEUTRAL, SUBLANG_SYS_DEFAULT), SORT_DEFAULT));
    const std::wstring module = QuaydropModule::ModulePath();
    HRESULT hr = RunScript(IDR_CLASS_SCRIPT, {{L"Module", module}, {L"Module_Raw", module}}, false);
    if (SUCCEEDED(hr)) hr = UnregisterTypeLibrary();
    if (SUCCEEDED(hr)) hr = RunScript(IDR_MODULE_SCRIPT, {{L"APPID", kAppId}}, false);
    SetThreadLocale(locale);
    return hr;
}

}  // namespace Marlin
