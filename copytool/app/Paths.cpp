#include "Paths.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>  // the character classes; the functions come from ShellLibraryFunctions
#include <shobjidl.h>
#include <wrl/client.h>

#include <cstdio>
#include <limits>
#include <memory>
#include <stdexcept>

#include "ShellFunctions.h"
#include "ShellLibraryFunctions.h"

namespace Marlin {

using Microsoft::WRL::ComPtr;

namespace {

constexpr wchar_t kCopySuffix[] = L" - コピー";

wchar_t FoldAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool EndsWithBackslash(const std::wstring& path) { return !path.empty() && path.back() == L'\\'; }

bool Exists(const std::wstring& path) { return GetFileAttributesW(ToLongPath(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

// Runs a call that fills a caller's buffer and returns the length it wrote, or a size
// (at least the buffer's) when the buffer was too small, or 0 on failure; the buffer
// doubles until the result fits.
template <typename Call>
std::wstring CallWithGrowingBuffer(uint64_t initialSize, Call call) {
    if (initialSize > std::numeric_limits<DWORD>::max())
        throw std::invalid_argument("path buffer size beyond the platform's limit");
    DWORD size = static_cast<DWORD>(initialSize);
    std::wstring buffer;
    for (;;) {
        buffer.resize(size);
        DWORD length = call(buffer.data(), size);
        if (length == 0) return {};
        if (length < size) {
            buffer.resize(length);
            return buffer;
        }
        size = DoublePathBufferSize(size);
    }
}

std::wstring CoTaskText(wchar_t* text) {
    std::unique_ptr<wchar_t, decltype(&ShellTaskMemFree)> owned(text, &ShellTaskMemFree);
    return owned ? std::wstring(owned.get()) : std::wstring();
}

}  // namespace

bool IsDriveRoot(const std::wstring& path) { return path.size() == 3 && path[1] == L':' && path[2] == L'\\'; }

bool PathEquals(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    return true;
}

bool PathStartsWith(const std::wstring& path, const std::wstring& prefix) {
    return path.size() >= prefix.size() && PathEquals(path.substr(0, prefix.size()), prefix);
}

uint32_t DoublePathBufferSize(uint64_t size) {
    if (size == 0) return 1;
    if (size > std::numeric_limits<DWORD>::max() / 2)
        throw std::invalid_argument("path buffer size beyond the platform's limit");
    return static_cast<uint32_t>(size * 2);
}

std::wstring RemoveTrailingBackslash(const std::wstring& path) {
    return EndsWithBackslash(path) ? path.substr(0, path.size() - 1) : path;
}

std::wstring ToLongPath(const std::wstring& path) {
    if (ShellPathIsUNC(path.c_str()) || path.compare(0, 4, L"\\\\?\\") == 0) return path;
    return L"\\\\?\\" + path;
}

std::wstring GetFullPath(const std::wstring& path) {
    return CallWithGrowingBuffer(uint64_t{path.size()} * 2, [&](wchar_t* buffer, DWORD size) {
        return GetFullPathNameW(path.c_str(), size, buffer, nullptr);
    });
}

std::wstring GetLongPath(const std::wstring& path) {
    return CallWithGrowingBuffer(uint64_t{path.size()} * 2, [&](wchar_t* buffer, DWORD size) {
        return GetLongPathNameW(path.c_str(), buffer, size);
    });
}

std::wstring RemoveLongPathPrefix(const std::wstring& path) {
    if (PathStartsWith(path, L"\\\\?\\UNC\\")) return L"\\\\" + path.substr(8);
    if (path.compare(0, 4, L"\\\\?\\") == 0) return path.substr(4);
    return path;
}

bool IsAbsolutePath(const std::wstring& path) {
    if (path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) return true;
    return path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\';
}

std::wstring MakeAbsolutePath(const std::wstring& path) {
    const std::wstring plain = RemoveLongPathPrefix(path);
    if (plain.empty()) return plain;
    // Only the plain form resolves "." and ".." on Windows, and a relative path given the
    // "\\?\" form is taken as a literal name ("\\?\sub" stays "\\?\sub"). The prefix is
    // needed only to lift the length limit of an absolute path.
    const bool needsPrefix = IsAbsolutePath(plain) && plain.size() >= MAX_PATH;
    std::wstring full = needsPrefix ? RemoveLongPathPrefix(GetFullPath(ToLongPath(plain))) : GetFullPath(plain);
    return full.empty() ? plain : full;
}

std::wstring NormalizeSourcePath(const std::wstring& source) {
    const auto withoutTrailingBackslash = [](const std::wstring& path) {
        return IsDriveRoot(path) ? path : RemoveTrailingBackslash(path);
    };
    const std::wstring full = withoutTrailingBackslash(MakeAbsolutePath(source));
    if (full.empty()) return full;
    // Wine's GetLongPathNameW leaves 8.3 elements of a "\\?\" path as they are, so the plain
    // form is used wherever the length allows it. Longer paths need the prefix, with which
    // Windows still expands short elements.
    std::wstring longForm =
        full.size() < MAX_PATH ? GetLongPath(full) : RemoveLongPathPrefix(GetLongPath(ToLongPath(full)));
    // A missing path has no long form; it keeps its full form and fails when it is listed.
    if (longForm.empty()) return full;
    return withoutTrailingBackslash(longForm);
}

void SplitPath(const std::wstring& path, std::wstring* drive, std::wstring* folder, std::wstring* baseName,
               std::wstring* extension) {
    // The C runtime's rules, without its component length limits (long paths pass here):
    // "X:" is the drive, everything up to the last slash or backslash the folder, and the
    // name's last dot starts the extension.
    size_t start = 0;
    if (path.size() >= 2 && path[1] == L':') start = 2;
    if (drive) *drive = path.substr(0, start);

    size_t lastSeparator = path.find_last_of(L"\\/");
    size_t nameStart = (lastSeparator == std::wstring::npos || lastSeparator < start) ? start : lastSeparator + 1;
    if (folder) *folder = path.substr(start, nameStart - start);

    size_t dot = path.find_last_of(L'.');
    if (dot == std::wstring::npos || dot < nameStart) dot = path.size();
    if (baseName) *baseName = path.substr(nameStart, dot - nameStart);
    if (extension) *extension = path.substr(dot);
}

std::wstring GetFileNamePart(const std::wstring& path) {
    std::wstring baseName, extension;
    SplitPath(path, nullptr, nullptr, &baseName, &extension);
    return baseName + extension;
}

std::wstring RemoveStreamName(const std::wstring& path) {
    std::wstring drive, folder, baseName, extension;
    SplitPath(path, &drive, &folder, &baseName, &extension);
    std::wstring name = baseName + extension;
    return drive + folder + name.substr(0, name.find(L':'));
}

std::wstring GetParentFolder(const std::wstring& path, int levels) {
    std::wstring result = RemoveTrailingBackslash(path);
    for (int i = 0; i < levels && !result.empty(); ++i) {
        std::wstring drive, folder;
        SplitPath(result, &drive, &folder, nullptr, nullptr);
        result = RemoveTrailingBackslash(drive + folder);
    }
    if (result.size() == 2 && result[1] == L':') result += L'\\';
    return result;
}

std::wstring GetModuleFilePath() {
    return CallWithGrowingBuffer(512, [](wchar_t* buffer, DWORD size) {
        // A too small buffer gets a cut path and the full size back.
        return GetModuleFileNameW(nullptr, buffer, size);
    });
}

std::wstring GetModuleFolder() { return GetParentFolder(GetModuleFilePath(), 1); }

std::wstring GetShellItemDisplayName(const std::wstring& path, unsigned long sigdn) {
    const auto& createItem = ShellCreateItemFromParsingName();
    if (!createItem) return {};
    ComPtr<IShellItem> item;
    if (FAILED(createItem(path.c_str(), nullptr, IID_IShellItem, reinterpret_cast<void**>(item.GetAddressOf()))) ||
        !item)
        return {};
    wchar_t* name = nullptr;
    HRESULT named = item->GetDisplayName(static_cast<SIGDN>(sigdn), &name);
    std::wstring text = CoTaskText(name);
    return SUCCEEDED(named) ? text : std::wstring();
}

std::wstring GetShellFolderDisplayName(const std::wstring& path, unsigned long flags) {
    ComPtr<IShellFolder> desktop;
    if (FAILED(ShellGetDesktopFolder(desktop.GetAddressOf())) || !desktop) return {};
    std::wstring parseName = path;  // ParseDisplayName takes a writable string
    PIDLIST_RELATIVE rawList = nullptr;
    HRESULT parsed = desktop->ParseDisplayName(nullptr, nullptr, parseName.data(), nullptr, &rawList, nullptr);
    std::unique_ptr<ITEMIDLIST, decltype(&ShellTaskMemFree)> list(rawList, &ShellTaskMemFree);
    if (FAILED(parsed) || !list) return {};
    STRRET text{};
    if (FAILED(desktop->GetDisplayNameOf(list.get(), static_cast<SHGDNF>(flags), &text))) return {};
    wchar_t* name = nullptr;
    // StrRetToStrW frees what the STRRET owns, also when it fails.
    if (FAILED(ShellStrRetToStr(&text, list.get(), &name))) return {};
    return CoTaskText(name);
}

bool MakeValidFileName(std::wstring& name) {
    std::wstring valid;
    valid.reserve(name.size());
    for (wchar_t c : name) {
        UINT type = ShellPathGetCharType(c);
        if (type == GCT_INVALID || (type & (GCT_WILD | GCT_SEPARATOR))) continue;
        valid += c;
    }
    while (!valid.empty() && (valid.back() == L' ' || valid.back() == L'.')) valid.pop_back();
    name = std::move(valid);
    return !name.empty();
}

std::wstring MakeDestinationName(const std::wstring& source, size_t rootItemCount,
                                 const std::wstring& destinationFolder) {
    const std::wstring folder = EndsWithBackslash(destinationFolder) ? destinationFolder : destinationFolder + L'\\';

    std::wstring name, extension, sourceFolder;
    if (IsDriveRoot(source)) {
        // A lone drive gets the name the user would edit; one of several its full
        // display name, which tells the drives apart.
        name = GetShellItemDisplayName(source, rootItemCount == 1 ? 0x80031001UL /* SIGDN_PARENTRELATIVEEDITING */
                                                                 : 0UL /* SIGDN_NORMALDISPLAY */);
        if (!MakeValidFileName(name)) {
            name = GetShellFolderDisplayName(source, rootItemCount == 1 ? 0x1001UL /* SHGDN_INFOLDER|FOREDITING */
                                                                      : 0UL /* SHGDN_NORMAL */);
            if (!MakeValidFileName(name)) {
                wchar_t fallback[16];
                swprintf(fallback, 16, L"Drive(%c)", source[0]);
                name = fallback;
            }
        }
        sourceFolder = source;
    } else {
        std::wstring drive, sourceSubfolder;
        SplitPath(source, &drive, &sourceSubfolder, &name, &extension);
        sourceFolder = drive + sourceSubfolder;
    }

    std::wstring candidate = folder + name + extension;
    if (!PathEquals(sourceFolder, folder)) return candidate;

    // Into its own folder: the item itself is candidate 0, so it always needs a new name.
    const DWORD attributes = GetFileAttributesW(ToLongPath(candidate).c_str());
    const bool isFolder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    for (int i = 1; Exists(candidate); ++i) {
        std::wstring suffix = kCopySuffix;
        if (i >= 2) {
            wchar_t number[24];
            swprintf(number, 24, L" (%d)", i);
            suffix += number;
        }
        candidate = isFolder ? folder + name + extension + suffix : folder + name + suffix + extension;
    }
    return candidate;
}

}  // namespace Marlin
