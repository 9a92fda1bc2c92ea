#include "RegistryScript.h"

#include <cstddef>

namespace Marlin {

namespace {

struct Token {
    std::wstring text;
    bool quoted = false;
};

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

wchar_t Lower(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool SameNoCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

bool Tokenize(const std::wstring& text, std::vector<Token>& tokens, std::wstring& error) {
    size_t i = 0;
    while (i < text.size()) {
        if (IsBlank(text[i])) {
            ++i;
            continue;
        }
        Token token;
        if (text[i] == L'\'') {
            token.quoted = true;
            ++i;
            for (;;) {
                if (i >= text.size()) {
                    error = L"a quoted text has no end";
                    return false;
                }
                if (text[i] == L'\'') {
                    if (i + 1 < text.size() && text[i + 1] == L'\'') {
                        token.text += L'\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                token.text += text[i++];
            }
        } else {
            while (i < text.size() && !IsBlank(text[i])) token.text += text[i++];
        }
        tokens.push_back(std::move(token));
    }
    return true;
}

// Fills in %name% inside one token.
bool Substitute(std::wstring& text, const RegistryScript::Variables& variables, std::wstring& error) {
    std::wstring out;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] != L'%') {
            out += text[i++];
            continue;
        }
        const size_t end = text.find(L'%', i + 1);
        if (end == std::wstring::npos) {
            error = L"a variable has no closing %";
            return false;
        }
        const std::wstring name = text.substr(i + 1, end - i - 1);
        if (name.empty()) {
            out += L'%';
        } else {
            bool found = false;
            for (const auto& variable : variables) {
                if (SameNoCase(variable.first, name)) {
                    out += variable.second;
                    found = true;
                    break;
                }
            }
            if (!found) {
                error = L"unknown variable " + name;
                return false;
            }
        }
        i = end + 1;
    }
    text = std::move(out);
    return true;
}

class Reader {
public:
    Reader(std::vector<Token> tokens, std::wstring& error) : tokens_(std::move(tokens)), error_(error) {}

    bool Script(std::vector<RegistryScript::Root>& roots) {
        while (!AtEnd()) {
            RegistryScript::Root root;
            if (!Name(root.name) || !Body(root.keys, nullptr)) return false;
            roots.push_back(std::move(root));
        }
        return true;
    }

private:
    bool AtEnd() const { return at_ >= tokens_.size(); }
    bool Is(const wchar_t* word) const {
        return !AtEnd() && !tokens_[at_].quoted && SameNoCase(tokens_[at_].text, word);
    }
    bool Fail(const std::wstring& why) {
        error_ = why;
        return false;
    }
    bool Name(std::wstring& name) {
        if (AtEnd()) return Fail(L"a name is missing");
        if (!tokens_[at_].quoted && (tokens_[at_].text == L"{" || tokens_[at_].text == L"}" || tokens_[at_].text == L"="))
            return Fail(L"a name is missing before " + tokens_[at_].text);
        name = tokens_[at_++].text;
        return true;
    }
    // "= s 'text'" or "= d 'number'", the "=" already taken.
    bool Data(RegistryScript::Value& value) {
        if (Is(L"s")) {
            ++at_;
            if (AtEnd()) return Fail(L"a text value is missing");
            value.text = tokens_[at_++].text;
            return true;
        }
        if (Is(L"d")) {
            ++at_;
            if (AtEnd()) return Fail(L"a number value is missing");
            const std::wstring& digits = tokens_[at_++].text;
            uint64_t number = 0;
            if (digits.empty() || digits.size() > 10) return Fail(L"not a number: " + digits);
            for (wchar_t c : digits) {
                if (c < L'0' || c > L'9') return Fail(L"not a number: " + digits);
                number = number * 10 + static_cast<uint64_t>(c - L'0');
            }
            if (number > 0xFFFFFFFFull) return Fail(L"a number beyond 32 bits: " + digits);
            value.isNumber = true;
            value.number = static_cast<uint32_t>(number);
            return true;
        }
        return Fail(L"a value type other than s or d");
    }
    // "{ ... }": keys and values until the closing brace. values is null for a root,
    // which holds keys only.
    bool Body(std::vector<RegistryScript::Key>& keys, std::vector<RegistryScript::Value>* values) {
        if (!Is(L"{")) return Fail(L"{ is missing");
        ++at_;
        for (;;) {
            if (AtEnd()) return Fail(L"} is missing");
            if (Is(L"}")) {
                ++at_;
                return true;
            }
            if (Is(L"val")) {
                if (!values) return Fail(L"a value directly under a root");
                ++at_;
                RegistryScript::Value value;
                if (!Name(value.name)) return false;
                if (!Is(L"=")) return Fail(L"= is missing after val " + value.name);
                ++at_;
                if (!Data(value)) return false;
                values->push_back(std::move(value));
                continue;
            }
            RegistryScript::Key key;
            if (Is(L"NoRemove")) {
                key.removal = RegistryScript::Removal::NoRemove;
                ++at_;
            } else if (Is(L"ForceRemove")) {
                key.removal = RegistryScript::Removal::ForceRemove;
                ++at_;
            }
            if (!Name(key.name)) return false;
            if (key.name.empty() || key.name.find(L'\\') != std::wstring::npos)
                return Fail(L"a key name that is empty or holds a backslash");
            if (Is(L"=")) {
                ++at_;
                RegistryScript::Value value;
                if (!Data(value)) return false;
                key.values.push_back(std::move(value));
            }
            if (Is(L"{") && !Body(key.keys, &key.values)) return false;
            keys.push_back(std::move(key));
        }
    }

    std::vector<Token> tokens_;
    size_t at_ = 0;
    std::wstring& error_;
};

}  // namespace

bool RegistryScript::Parse(const std::wstring& text, const Variables& variables) {
    roots_.clear();
    error_.clear();
    std::vector<Token> tokens;
    if (!Tokenize(text, tokens, error_)) return false;
    for (Token& token : tokens) {
        const std::wstring before = token.text;
        if (!Substitute(token.text, variables, error_)) return false;
        // What a variable brought in is text, never a brace, an "=" or a keyword.
        if (token.text != before) token.quoted = true;
    }
    std::vector<Root> roots;
    if (!Reader(std::move(tokens), error_).Script(roots)) return false;
    roots_ = std::move(roots);
    return true;
}

}  // namespace Marlin
