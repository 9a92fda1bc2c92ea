// What a folder holds, as one line per entry below it ("sub\" for a folder, "sub\a.bin
// 5" for a file of 5 bytes), sorted. The logging service stand-in notes the destination
// of each notice with it, so a test can tell whether the copy was complete by then.
#pragma once

#include <string>

namespace quaytest {

// Empty when the folder cannot be listed.
std::string TreeListing(const std::wstring& folder);

}  // namespace quaytest
