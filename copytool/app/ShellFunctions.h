// Shell exports that not every system has, held once per process. The copy tool resolves
// them at start-up from the already loaded "Shell32.dll"; until then, or where an export
// is missing, they stay empty and the display-name operations fall back or give nothing.
#pragma once

#include <windows.h>
#include <shobjidl.h>

#include "DynamicFunctionObject.h"

namespace Marlin {

using SHCreateItemFromParsingNameFunction = decltype(::SHCreateItemFromParsingName);

// Looks the exports up the first time it is called (GetModuleHandleW, so shell32 is not
// loaded for this); later calls, from any thread, change nothing. Returns whether
// SHCreateItemFromParsingName is present.
bool ResolveShellFunctions();

// The process-wide SHCreateItemFromParsingName; empty until ResolveShellFunctions found it.
const DynamicFunctionObject<SHCreateItemFromParsingNameFunction>& ShellCreateItemFromParsingName();

}  // namespace Marlin
