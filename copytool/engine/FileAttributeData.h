// The attribute block an exception carries about a file. On Windows it is the platform's
// own WIN32_FILE_ATTRIBUTE_DATA, which the dialogs read field by field; elsewhere (the
// native build that tests and fuzzes the pipe records) it is the mirror record with the
// same fields in the same order, so the exception family builds without <windows.h>.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include "FileAttributeBlock.h"
#endif

namespace Marlin {

#ifdef _WIN32
using FileAttributeData = WIN32_FILE_ATTRIBUTE_DATA;
#else
using FileAttributeData = FileAttributeBlock;
#endif

}  // namespace Marlin
