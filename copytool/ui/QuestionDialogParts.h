// Pieces that the question dialogs share: the words and item lines they fill in, and
// their warning icon.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "ResourceText.h"

namespace Marlin::QuestionDialogParts {

// String id formatted with args; empty when it cannot be loaded or formatted, so a line
// never shows its bare placeholder.
template <typename... Args>
std::wstring Line(uint32_t id, const Args&... args) {
    std::wstring text;
    if (FAILED(Marlin::FormatResource(text, id, args...))) return {};
    return text;
}
// The text of a string that has no placeholder; empty when it cannot be loaded.
std::wstring Word(uint32_t id);

bool IsFolder(const WIN32_FILE_ATTRIBUTE_DATA& attributes);
uint64_t FileSize(const WIN32_FILE_ATTRIBUTE_DATA& attributes);

// Puts the system's warning icon into icon control id of dialog. The icon is the
// system's shared one: it is never destroyed, so it needs no owner here.
void SetWarningIcon(HWND dialog, int id);

}  // namespace Marlin::QuestionDialogParts
