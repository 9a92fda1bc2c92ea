// What a copy item stands for. The values travel to the elevated instance, so they are fixed.
#pragma once

#include <cstdint>

#ifdef _WIN32
// <windows.h> defines DeleteFile as a macro. Taking it in before the enum makes every
// translation unit see the same (macro-expanded) enumerator, whatever it includes first.
#include <windows.h>
#endif

namespace Marlin::Sluice {

enum class CopyItemKind : int32_t {
    None = 0,          // an empty record, e.g. a cursor that holds nothing
    Root = 1,          // a tree's head; its path is the source as the job lists it
    File = 2,
    Folder = 3,        // also a drive root or a \\server\share root
    Stream = 4,        // a named data stream of its parent file; the name keeps its leading colon
    DeleteFile = 5,    // move only: delete the parent file's source once it is copied
    RemoveFolder = 6,  // move only: remove the parent folder's source once it is emptied
};

}  // namespace Marlin::Sluice
