// A small test harness: named test cases, checks that report both values,
// and a child-process mode so a test executable can start itself as the peer
// of a multi-process test. Free of <windows.h> so native builds can use it.
#pragma once

#include <cstdint>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace quaytest {

struct Failure {};  // thrown by REQUIRE to end the current test case

// Thrown by SKIP: the case cannot check what it is for on this machine (a disk too small,
// a file system that could not be made). It is neither a pass nor a failure: a test
// executable with a skipped case and no failed one exits with kSkipExitCode, which CTest
// counts as skipped (SKIP_RETURN_CODE), so the summary names it.
struct Skipped {
    std::string reason;
};
constexpr int kSkipExitCode = 77;

void Register(const char* name, const char* file, int line, void (*fn)());
void RegisterChild(const char* name, int (*fn)(const std::vector<std::string>& args));
void ReportFailure(const char* file, int line, const std::string& what);
bool CurrentCaseFailed();

// The arguments the test executable was started with (after the program name).
const std::vector<std::string>& ProgramArguments();
// The executable's own path as argv[0] gave it.
const std::string& ProgramPath();

std::string Utf8(const std::wstring& s);
std::string Utf8(const std::u16string& s);

template <typename T>
std::string Show(const T& v) {
    std::ostringstream os;
    if constexpr (std::is_same_v<T, std::wstring> || std::is_same_v<T, std::u16string>) {
        os << '"' << Utf8(v) << '"';
    } else if constexpr (std::is_convertible_v<T, const wchar_t*>) {
        os << '"' << Utf8(std::wstring(v)) << '"';
    } else if constexpr (std::is_same_v<T, std::string> || std::is_convertible_v<T, const char*>) {
        os << '"' << v << '"';
    } else if constexpr (std::is_same_v<T, bool>) {
        os << (v ? "true" : "false");
    } else if constexpr (std::is_enum_v<T>) {
        os << static_cast<long long>(v);
    } else if constexpr (std::is_integral_v<T>) {
        if constexpr (sizeof(T) == 1) os << static_cast<int>(v); else os << v;
    } else if constexpr (std::is_pointer_v<T>) {
        os << static_cast<const void*>(v);
    } else {
        os << v;
    }
    return os.str();
}

// A context line shown with every failure inside its scope (for table rows).
class Context {
public:
    explicit Context(std::string text);
    ~Context();
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;
};
std::string ContextText();

template <typename A, typename B>
bool CheckEq(const A& a, const B& b, const char* ea, const char* eb, const char* file, int line) {
    if (a == b) return true;
    ReportFailure(file, line, std::string(ea) + " == " + eb + "\n    left:  " + Show(a) + "\n    right: " + Show(b));
    return false;
}

struct Registrar {
    Registrar(const char* name, const char* file, int line, void (*fn)()) { Register(name, file, line, fn); }
};
struct ChildRegistrar {
    ChildRegistrar(const char* name, int (*fn)(const std::vector<std::string>&)) { RegisterChild(name, fn); }
};

}  // namespace quaytest

#define QT_CAT2(a, b) a##b
#define QT_CAT(a, b) QT_CAT2(a, b)

#define TEST_CASE(name)                                                                     \
    static void QT_CAT(qt_case_, __LINE__)();                                                \
    static ::quaytest::Registrar QT_CAT(qt_reg_, __LINE__)(name, __FILE__, __LINE__,         \
                                                          &QT_CAT(qt_case_, __LINE__));      \
    static void QT_CAT(qt_case_, __LINE__)()

// A child entry point: the test executable started with "--child NAME args..." runs it
// instead of the test cases and exits with its return value.
#define TEST_CHILD(name)                                                                    \
    static int QT_CAT(qt_child_, __LINE__)(const std::vector<std::string>& args);          \
    static ::quaytest::ChildRegistrar QT_CAT(qt_creg_, __LINE__)(name,                       \
                                                                 &QT_CAT(qt_child_, __LINE__)); \
    static int QT_CAT(qt_child_, __LINE__)([[maybe_unused]] const std::vector<std::string>& args)

#define CHECK(cond) \
    ((cond) ? true : (::quaytest::ReportFailure(__FILE__, __LINE__, "CHECK(" #cond ")"), false))
#define REQUIRE(cond)                                                            \
    do {                                                                         \
        if (!(cond)) {                                                           \
            ::quaytest::ReportFailure(__FILE__, __LINE__, "REQUIRE(" #cond ")"); \
            throw ::quaytest::Failure{};                                         \
        }                                                                        \
    } while (0)
#define CHECK_EQ(a, b) ::quaytest::CheckEq((a), (b), #a, #b, __FILE__, __LINE__)
#define REQUIRE_EQ(a, b)                                                         \
    do {                                                                         \
        if (!::quaytest::CheckEq((a), (b), #a, #b, __FILE__, __LINE__))          \
            throw ::quaytest::Failure{};                                         \
    } while (0)
#define FAIL(msg)                                                                \
    do {                                                                         \
        ::quaytest::ReportFailure(__FILE__, __LINE__, std::string("FAIL: ") + (msg)); \
        throw ::quaytest::Failure{};                                             \
    } while (0)
// Ends the current case as skipped, with the reason shown in the test's output.
#define SKIP(reason) throw ::quaytest::Skipped{(reason)}
#define CONTEXT(text) ::quaytest::Context QT_CAT(qt_ctx_, __LINE__)(text)
