// The reader of the module's registry scripts: the keys, values and removal marks of the
// class script as registration applies them, variables filled in after the text is cut
// into tokens (so a path with quotes or braces stays one value), and the scripts it must
// refuse rather than apply half. Platform-free, so it runs natively under the sanitizers.
#include <string>
#include <vector>

#include "RegistryScript.h"
#include "TestHarness.h"

using Marlin::RegistryScript;

namespace {

const wchar_t kClassScript[] =
    L"HKCR\n{\n\tNoRemove CLSID\n\t{\n\t\tForceRemove {08AD79C1-121F-4e72-BDB5-94CBDAB00571} = s ''\n\t\t{\n"
    L"\t\t\tInprocServer32 = s '%MODULE%'\n\t\t\t{\n\t\t\t\tval ThreadingModel = s 'Apartment'\n\t\t\t}\n"
    L"\t\t}\n\t}\n}\n";

// One line per key: its depth, mark, name, and values.
std::string Outline(const std::vector<RegistryScript::Key>& keys, int depth = 0) {
    std::string out;
    for (const auto& key : keys) {
        out += std::string(static_cast<size_t>(depth), ' ');
        if (key.removal == RegistryScript::Removal::NoRemove) out += "NoRemove ";
        if (key.removal == RegistryScript::Removal::ForceRemove) out += "ForceRemove ";
        out += quaytest::Utf8(key.name);
        for (const auto& value : key.values) {
            out += " [" + quaytest::Utf8(value.name) + "=";
            out += value.isNumber ? std::to_string(value.number) : "'" + quaytest::Utf8(value.text) + "'";
            out += "]";
        }
        out += "\n" + Outline(key.keys, depth + 1);
    }
    return out;
}

}  // namespace

TEST_CASE("the class script reads as its keys, marks and values") {
    RegistryScript script;
    REQUIRE(script.Parse(kClassScript, {{L"Module", L"C:\\p\\Quaydrop.dll"}}));
    REQUIRE_EQ(script.Roots().size(), size_t{1});
    CHECK(script.Roots()[0].name == L"HKCR");
    CHECK_EQ(Outline(script.Roots()[0].keys),
             std::string("NoRemove CLSID\n"
                         " ForceRemove {08AD79C1-121F-4e72-BDB5-94CBDAB00571} [='']\n"
                         "  InprocServer32 [='C:\\p\\Quaydrop.dll'] [ThreadingModel='Apartment']\n"));
}

TEST_CASE("variables are filled in after the text is cut, so their values cannot change the shape") {
    const struct {
        const char* what;
        std::wstring module;
    } rows[] = {
        {"a quote", L"C:\\it's\\Quaydrop.dll"},
        {"two quotes", L"C:\\a''b\\Quaydrop.dll"},
        {"braces and an equals sign", L"C:\\{x} = s 'y'\\Quaydrop.dll"},
        {"blanks and a percent sign", L"C:\\Program Files\\100%\\Quaydrop.dll"},
        {"Japanese", L"C:\\ツール\\Quaydrop.dll"},
        {"a long path", L"\\\\?\\C:\\" + std::wstring(300, L'd') + L"\\Quaydrop.dll"},
    };
    for (const auto& row : rows) {
        CONTEXT(row.what);
        RegistryScript script;
        REQUIRE(script.Parse(kClassScript, {{L"module", row.module}}));
        const auto& server = script.Roots()[0].keys[0].keys[0].keys[0];
        CHECK(server.name == L"InprocServer32");
        REQUIRE_EQ(server.values.size(), size_t{2});
        CHECK(server.values[0].text == row.module);
        CHECK(server.keys.empty());
    }
    // A brace brought in where a key name goes is that key's name, not a new body.
    RegistryScript script;
    REQUIRE(script.Parse(L"HKCR { %MODULE% }", {{L"MODULE", L"{"}}));
    CHECK_EQ(Outline(script.Roots()[0].keys), std::string("{\n"));
}

TEST_CASE("values, marks and names in the forms the scripts use") {
    const struct {
        const char* what;
        const wchar_t* text;
        const char* outline;
    } rows[] = {
        {"an empty root", L"HKCR\n{\n}\n", ""},
        {"a quoted key name and a number", L"HKCR { 'a b' { val n = d '42' } }", "a b [n=42]\n"},
        {"a doubled quote inside a text", L"HKCR { k = s 'it''s' }", "k [='it's']\n"},
        {"%% is a percent sign", L"HKCR { k = s '100%%' }", "k [='100%']\n"},
        {"marks in any case", L"HKCR { noremove A { forceremove B } }", "NoRemove A\n ForceRemove B\n"},
        {"a variable as a key name", L"HKCR { NoRemove AppID { '%APPID%' = s 'x' } }",
         "NoRemove AppID\n {E3CD639E-0745-4baa-829E-87E7C519AD54} [='x']\n"},
    };
    for (const auto& row : rows) {
        CONTEXT(row.what);
        RegistryScript script;
        REQUIRE(script.Parse(row.text, {{L"APPID", L"{E3CD639E-0745-4baa-829E-87E7C519AD54}"}}));
        REQUIRE_EQ(script.Roots().size(), size_t{1});
        CHECK_EQ(Outline(script.Roots()[0].keys), std::string(row.outline));
    }
}

TEST_CASE("a broken script is refused whole, with a reason") {
    const struct {
        const char* what;
        const wchar_t* text;
    } rows[] = {
        {"an unknown variable", L"HKCR { k = s '%NOPE%' }"},
        {"a variable without its closing %", L"HKCR { k = s '%MODULE' }"},
        {"a quote without its end", L"HKCR { k = s 'abc }"},
        {"a missing closing brace", L"HKCR { k { val a = s 'b' }"},
        {"a root without a body", L"HKCR"},
        {"a value type that is neither s nor d", L"HKCR { k = b '00' }"},
        {"a number that is no number", L"HKCR { k = d 'x1' }"},
        {"a number beyond 32 bits", L"HKCR { k = d '4294967296' }"},
        {"a value straight under the root", L"HKCR { val a = s 'b' }"},
        {"a key name with a backslash", L"HKCR { 'a\\b' }"},
    };
    for (const auto& row : rows) {
        CONTEXT(row.what);
        RegistryScript script;
        CHECK(!script.Parse(row.text, {{L"MODULE", L"m"}}));
        CHECK(!script.Error().empty());
        CHECK(script.Roots().empty());
    }
}
