// What the enumeration needs to know about a folder before it walks into it: whether it is
// a link (a junction or a directory symbolic link, whose entries belong to its target) and
// which folder it really is (to notice a link back to a folder the walk is already in).
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "FileIdentity.h"

namespace Marlin::Sluice {

struct FolderFacts {
    bool link = false;                        // carries the reparse-point attribute itself
    std::optional<Marlin::FileIdentity> identity;  // of the folder it shows; none when unknown
};

// Asks the file system. A test replaces it where the platform cannot make the case (Wine
// shows a Linux link as a plain folder, without the reparse-point attribute).
using FolderInspector = std::function<FolderFacts(const std::wstring& path)>;
FolderFacts InspectFolder(const std::wstring& path);

}  // namespace Marlin::Sluice
