// Takes the read-only attribute off a file for as long as it stands in the way of replacing
// or deleting the file, and puts it back unless the way was taken: a file that was not
// replaced or deleted (held by someone, say) keeps its protection. A replacement renamed
// over a file is refused by hidden and system as well: those are cleared the same way.
#pragma once

#include <windows.h>

#include <string>

namespace Marlin::Sluice {

class ReadOnlyClearance {
public:
    // Clears the attribute of longPath (a path for file-system calls) when it is set; with
    // bits, whichever of those attributes are set.
    explicit ReadOnlyClearance(std::wstring longPath, DWORD bits = FILE_ATTRIBUTE_READONLY);
    // Puts the attribute back unless Keep was called.
    ~ReadOnlyClearance();
    ReadOnlyClearance(const ReadOnlyClearance&) = delete;
    ReadOnlyClearance& operator=(const ReadOnlyClearance&) = delete;

    // The file was replaced or deleted: there is nothing to put back.
    void Keep() { attributes_ = INVALID_FILE_ATTRIBUTES; }

private:
    std::wstring path_;
    DWORD attributes_ = INVALID_FILE_ATTRIBUTES;  // to put back; INVALID: nothing was cleared
};

}  // namespace Marlin::Sluice
