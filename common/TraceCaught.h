// The trace of an exception that is caught and deliberately not passed on: one line for a
// debugger (OutputDebugStringW), never a file, since the system keeps no log. Call it
// inside the catch block; where names the place, and what a standard exception says
// about itself is added.
#pragma once

#include <windows.h>

#include <exception>
#include <string>

namespace Marlin {

inline void TraceCaught(const wchar_t* where) noexcept {
    try {
        std::wstring line = L"exception caught and ignored in ";
        line += where;
        try {
            if (std::current_exception()) throw;
        } catch (const std::exception& failure) {
            line += L": ";
            for (const char* c = failure.what(); c && *c; ++c) line += static_cast<wchar_t>(static_cast<unsigned char>(*c));
        } catch (...) {
            // Not a standard exception: the place is all there is to tell.
        }
        line += L'\n';
        ::OutputDebugStringW(line.c_str());
    } catch (...) {
        // No memory for the line: the debugger gets the place alone.
        ::OutputDebugStringW(where);
    }
}

}  // namespace Marlin
