// One argument of a printf-style text, with its kind kept, so that the formatter can
// check it against the placeholder it fills instead of trusting a variable argument
// list. Holds a string by pointer: it lives only for the call it is made for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>

namespace Marlin {
namespace detail {

template <typename T>
inline constexpr bool kIsCharacterLike =
    std::is_same_v<std::remove_cv_t<T>, bool> || std::is_same_v<std::remove_cv_t<T>, char> ||
    std::is_same_v<std::remove_cv_t<T>, signed char> || std::is_same_v<std::remove_cv_t<T>, unsigned char> ||
    std::is_same_v<std::remove_cv_t<T>, wchar_t> || std::is_same_v<std::remove_cv_t<T>, char16_t> ||
    std::is_same_v<std::remove_cv_t<T>, char32_t>;

}  // namespace detail

class FormatArgument {
public:
    enum class Kind { String, Signed, Unsigned, Floating };

    FormatArgument(const wchar_t* text) noexcept;  // null is taken as an empty text
    FormatArgument(const std::wstring& text) noexcept;
    FormatArgument(double value) noexcept;

    template <typename T, std::enable_if_t<std::is_integral_v<T> && !detail::kIsCharacterLike<T>, int> = 0>
    FormatArgument(T value) noexcept
        : kind_(std::is_signed_v<T> ? Kind::Signed : Kind::Unsigned),
          signed_(static_cast<int64_t>(value)),
          unsigned_(static_cast<uint64_t>(value)) {}

    // An enumerator fills a number placeholder with its value; without this it would
    // reach the double constructor and then fail to match "%d".
    template <typename T, std::enable_if_t<std::is_enum_v<T>, int> = 0>
    FormatArgument(T value) noexcept : FormatArgument(static_cast<std::underlying_type_t<T>>(value)) {}

    // Narrow texts, single characters and truth values have no placeholder of their own
    // in these texts; passing one is a mistake the compiler should report (a bool or a
    // character would otherwise pass silently as a number).
    template <typename T, std::enable_if_t<detail::kIsCharacterLike<T>, int> = 0>
    FormatArgument(T) = delete;
    FormatArgument(const char*) = delete;
    FormatArgument(const std::string&) = delete;
    FormatArgument(std::nullptr_t) = delete;

    Kind kind() const noexcept { return kind_; }
    const wchar_t* text() const noexcept { return text_; }
    int64_t signedValue() const noexcept { return signed_; }
    uint64_t unsignedValue() const noexcept { return unsigned_; }
    double floatingValue() const noexcept { return floating_; }

private:
    Kind kind_;
    const wchar_t* text_ = L"";
    int64_t signed_ = 0;
    uint64_t unsigned_ = 0;
    double floating_ = 0.0;
};

}  // namespace Marlin
