// Shell exports that not every system has, held once per process. The copy tool resolves
// them at start-up from "Shell32.dll" (Shell32Module, loaded then if it is not loaded yet);
// until then, or where an export is missing, they stay empty and the display-name
// operations fall back or give nothing.
#pragma once

#include <windows.h>
#include <shobjidl.h>

#include "DynamicFunctionObject.h"

namespace Marlin {

using SHCreateItemFromParsingNameFunction = decltype(::SHCreateItemFromParsingName);

// Looks the exports up the first time it is called; later calls, from any thread, change
// nothing. Returns whether SHCreateItemFromParsingName is present.
bool ResolveShellFunctions();

// The process-wide SHCreateItemFromParsingName; empty until ResolveShellFunctions found it.
const DynamicFunctionObject<SHCreateItemFromParsingNameFunction>& ShellCreateItemFromParsingName();

}  // namespace Marlin
