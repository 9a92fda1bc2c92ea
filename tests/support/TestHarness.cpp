#include "TestHarness.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>

namespace quaytest {
namespace {

struct Case {
    const char* name;
    const char* file;
    int line;
    void (*fn)();
};

std::vector<Case>& Cases() {
    static std::vector<Case> cases;
    return cases;
}
std::vector<std::pair<std::string, int (*)(const std::vector<std::string>&)>>& Children() {
    static std::vector<std::pair<std::string, int (*)(const std::vector<std::string>&)>> children;
    return children;
}
std::vector<std::string>& ContextStack() {
    static std::vector<std::string> stack;
    return stack;
}
std::vector<std::string> g_args;
std::string g_program;
bool g_caseFailed = false;

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

template <typename Str>
std::string ToUtf8(const Str& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        uint32_t c = static_cast<uint32_t>(s[i]);
        if (sizeof(s[0]) == 2 && c >= 0xD800 && c < 0xDC00 && i + 1 < s.size()) {
            uint32_t lo = static_cast<uint32_t>(s[i + 1]);
            if (lo >= 0xDC00 && lo < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (lo - 0xDC00);
                ++i;
            }
        }
        AppendUtf8(out, c);
    }
    return out;
}

}  // namespace

void Register(const char* name, const char* file, int line, void (*fn)()) {
    Cases().push_back({name, file, line, fn});
}
void RegisterChild(const char* name, int (*fn)(const std::vector<std::string>&)) {
    Children().emplace_back(name, fn);
}
void ReportFailure(const char* file, int line, const std::string& what) {
    g_caseFailed = true;
    std::string ctx = ContextText();
    std::fprintf(stdout, "  %s:%d: %s%s\n", file, line, what.c_str(), ctx.c_str());
    std::fflush(stdout);
}
bool CurrentCaseFailed() { return g_caseFailed; }
const std::vector<std::string>& ProgramArguments() { return g_args; }
const std::string& ProgramPath() { return g_program; }
std::string Utf8(const std::wstring& s) { return ToUtf8(s); }
std::string Utf8(const std::u16string& s) { return ToUtf8(s); }

Context::Context(std::string text) { ContextStack().push_back(std::move(text)); }
Context::~Context() { ContextStack().pop_back(); }
std::string ContextText() {
    std::string out;
    for (const auto& c : ContextStack()) out += "\n    with: " + c;
    return out;
}

}  // namespace quaytest

int main(int argc, char** argv) {
    using namespace quaytest;
    g_program = argc > 0 ? argv[0] : "";
    for (int i = 1; i < argc; ++i) g_args.emplace_back(argv[i]);
    std::setvbuf(stdout, nullptr, _IONBF, 0);

    if (g_args.size() >= 2 && g_args[0] == "--child") {
        for (auto& [name, fn] : Children()) {
            if (name == g_args[1]) {
                std::vector<std::string> rest(g_args.begin() + 2, g_args.end());
                try {
                    return fn(rest);
                } catch (...) {
                    std::fprintf(stderr, "child %s threw\n", name.c_str());
                    return 99;
                }
            }
        }
        std::fprintf(stderr, "no child named %s\n", g_args[1].c_str());
        return 98;
    }
    if (!g_args.empty() && g_args[0] == "--list") {
        for (auto& c : Cases()) std::printf("%s\n", c.name);
        return 0;
    }
    const char* filter = g_args.empty() ? nullptr : g_args[0].c_str();

    int passed = 0, failed = 0, skipped = 0;
    for (auto& c : Cases()) {
        if (filter && !std::strstr(c.name, filter)) continue;
        g_caseFailed = false;
        bool caseSkipped = false;
        auto t0 = std::chrono::steady_clock::now();
        try {
            c.fn();
        } catch (const Skipped& skip) {
            // A check that failed before the case found it could not go on still counts.
            caseSkipped = !g_caseFailed;
            std::printf("  skipped: %s\n", skip.reason.c_str());
        } catch (const Failure&) {
        } catch (const std::exception& e) {
            ReportFailure(c.file, c.line, std::string("unexpected exception: ") + e.what());
        } catch (...) {
            ReportFailure(c.file, c.line, "unexpected exception");
        }
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
        std::printf("%s %s (%lld ms)\n", g_caseFailed ? "FAIL" : caseSkipped ? "skip" : "ok  ", c.name,
                    static_cast<long long>(ms));
        (g_caseFailed ? failed : caseSkipped ? skipped : passed)++;
    }
    std::printf("%d passed, %d failed, %d skipped\n", passed, failed, skipped);
    // A run that checked nothing (a filter that matched no case) is a failure.
    if (failed != 0 || passed + skipped == 0) return 1;
    // One skipped case makes the whole executable count as skipped, so it cannot hide
    // behind the cases that passed; the output says which ones did.
    return skipped != 0 ? kSkipExitCode : 0;
}
