// A swallowed exception leaves one line for a debugger. The line is caught on its way to
// the debugger: OutputDebugStringW raises a first-chance exception that carries the text,
// which a vectored handler of this process sees before the system handles it.
#include <windows.h>

#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "TestHarness.h"
#include "TraceCaught.h"

namespace {

constexpr DWORD kPrintException = 0x40010006;      // DBG_PRINTEXCEPTION_C: length, narrow text
constexpr DWORD kPrintExceptionWide = 0x4001000A;  // DBG_PRINTEXCEPTION_WIDE_C: length, wide text

std::mutex g_lock;
std::vector<std::wstring> g_lines;

LONG CALLBACK CatchDebugText(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
    if (record.NumberParameters < 2) return EXCEPTION_CONTINUE_SEARCH;
    std::wstring line;
    if (record.ExceptionCode == kPrintExceptionWide) {
        line = reinterpret_cast<const wchar_t*>(record.ExceptionInformation[1]);
    } else if (record.ExceptionCode == kPrintException) {
        for (const char* c = reinterpret_cast<const char*>(record.ExceptionInformation[1]); *c; ++c)
            line += static_cast<wchar_t>(static_cast<unsigned char>(*c));
    } else {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    std::lock_guard<std::mutex> guard(g_lock);
    g_lines.push_back(line);
    return EXCEPTION_CONTINUE_SEARCH;
}

// What reached the debugger while body ran; a wide text may arrive in both forms.
std::vector<std::wstring> DebugLinesOf(void (*body)()) {
    {
        std::lock_guard<std::mutex> guard(g_lock);
        g_lines.clear();
    }
    PVOID handler = AddVectoredExceptionHandler(1, &CatchDebugText);
    REQUIRE(handler != nullptr);
    body();
    RemoveVectoredExceptionHandler(handler);
    std::lock_guard<std::mutex> guard(g_lock);
    return g_lines;
}

bool AnyLineIs(const std::vector<std::wstring>& lines, const std::wstring& wanted) {
    for (const std::wstring& line : lines)
        if (line == wanted) return true;
    return false;
}

}  // namespace

TEST_CASE("a swallowed exception leaves one line with the place and what a standard exception says") {
    // The route itself first: without it no line can be seen.
    const std::vector<std::wstring> probe = DebugLinesOf([] { OutputDebugStringW(L"probe\n"); });
    if (!AnyLineIs(probe, L"probe\n")) SKIP("debug output does not pass through the process's exception handlers");

    const struct {
        const char* name;
        void (*body)();
        const wchar_t* line;
    } rows[] = {
        {"a standard exception",
         [] {
             try {
                 throw std::runtime_error("disk on fire");
             } catch (...) {
                 Marlin::TraceCaught(L"Somewhere::Else");
             }
         },
         L"exception caught and ignored in Somewhere::Else: disk on fire\n"},
        {"anything else",
         [] {
             try {
                 throw 42;
             } catch (...) {
                 Marlin::TraceCaught(L"Here");
             }
         },
         L"exception caught and ignored in Here\n"},
    };
    for (const auto& row : rows) {
        CONTEXT(row.name);
        const std::vector<std::wstring> lines = DebugLinesOf(row.body);
        std::string seen;
        for (const std::wstring& line : lines) seen += "[" + quaytest::Utf8(line) + "]";
        CONTEXT("lines seen: " + seen);
        CHECK(AnyLineIs(lines, row.line));
    }
}
