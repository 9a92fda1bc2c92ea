#include "FolderFacts.h"

#include <windows.h>

#include "Paths.h"

namespace Marlin::Sluice {

FolderFacts InspectFolder(const std::wstring& path) {
    FolderFacts facts;
    // The attributes of the entry itself (a link is not followed here); the identity of
    // what it leads to, which is what a walk through it would see.
    const DWORD attributes = GetFileAttributesW(ToLongPath(path).c_str());
    facts.link = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    facts.identity = Marlin::FileIdentity::Of(path);
    return facts;
}

}  // namespace Marlin::Sluice
