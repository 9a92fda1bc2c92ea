// Questions of the engine as the dialogs receive them, made field by field so that a
// test chooses exactly what the dialog has to show (paths that need not exist, times
// that differ per field).
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "SluiceExceptionEncrypted.h"
#include "SluiceExceptionOverwrite.h"
#include "SluiceExceptionRetryFile.h"
#include "TestFiles.h"

namespace quaytest {

// A time that has no calendar form (beyond the system's range).
FILETIME TimeBeyondCalendar();

struct Item {
    DWORD attributes = FILE_ATTRIBUTE_ARCHIVE;
    FILETIME created{};
    FILETIME accessed{};
    FILETIME written{};
    uint64_t size = 0;
};
WIN32_FILE_ATTRIBUTE_DATA Attributes(const Item& item);
Item FileItem(uint64_t size, const FILETIME& created, const FILETIME& written);
Item FolderItem(const FILETIME& created, const FILETIME& written);

// A retry question for a failed platform call with error on path (owning its inner
// exception); attributesValid 0 when item is null.
std::unique_ptr<Marlin::Sluice::SluiceExceptionRetryFile> RetryQuestion(uint32_t error, const std::wstring& path,
                                                                        const Item* item, int32_t elevated);
std::unique_ptr<Marlin::Sluice::SluiceExceptionOverwrite> OverwriteQuestion(const std::wstring& source,
                                                                            const Item& sourceItem,
                                                                            const std::wstring& destination,
                                                                            const Item& destinationItem);
std::unique_ptr<Marlin::Sluice::SluiceExceptionEncrypted> EncryptedQuestion(const std::wstring& path,
                                                                            const Item& item);

}  // namespace quaytest
