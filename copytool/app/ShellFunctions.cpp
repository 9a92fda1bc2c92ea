#include "ShellFunctions.h"

#include <mutex>

#include "ShellLibraryFunctions.h"

namespace Marlin {

namespace {

std::once_flag g_resolved;
DynamicFunctionObject<SHCreateItemFromParsingNameFunction> g_createItemFromParsingName;

}  // namespace

bool ResolveShellFunctions() {
    std::call_once(g_resolved, [] {
        g_createItemFromParsingName =
            DynamicFunctionObject<SHCreateItemFromParsingNameFunction>(Shell32Module(), "SHCreateItemFromParsingName");
    });
    return static_cast<bool>(g_createItemFromParsingName);
}

const DynamicFunctionObject<SHCreateItemFromParsingNameFunction>& ShellCreateItemFromParsingName() {
    return g_createItemFromParsingName;
}

}  // namespace Marlin
