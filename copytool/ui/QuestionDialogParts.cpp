#include "QuestionDialogParts.h"

#include "ResourceText.h"

namespace Marlin::QuestionDialogParts {

std::wstring Word(uint32_t id) {
    std::wstring text;
    LoadResourceString(text, id);
    return text;
}

bool IsFolder(const WIN32_FILE_ATTRIBUTE_DATA& attributes) {
    return (attributes.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

uint64_t FileSize(const WIN32_FILE_ATTRIBUTE_DATA& attributes) {
    return (static_cast<uint64_t>(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow;
}

void SetWarningIcon(HWND dialog, int id) {
    HICON icon = LoadIconW(nullptr, IDI_WARNING);
    if (icon) SendDlgItemMessageW(dialog, id, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
}

}  // namespace Marlin::QuestionDialogParts
