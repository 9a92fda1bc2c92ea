// Which argument types Put and Get accept as plain integers. Only 2-, 4- and 8-byte
// integers have a wire form; character types are left out on purpose, because wchar_t is
// 2 bytes on Windows and 4 elsewhere, and bool because its width is nobody's decision.
#pragma once

#include <type_traits>

namespace Marlin {

template <typename T>
struct IsWireInteger
    : std::bool_constant<std::is_integral_v<T> && !std::is_same_v<T, bool> &&
                         !std::is_same_v<T, char> && !std::is_same_v<T, signed char> &&
                         !std::is_same_v<T, unsigned char> && !std::is_same_v<T, wchar_t> &&
                         !std::is_same_v<T, char16_t> && !std::is_same_v<T, char32_t> &&
                         (sizeof(T) == 2 || sizeof(T) == 4 || sizeof(T) == 8)> {};

template <typename T>
inline constexpr bool kIsWireInteger = IsWireInteger<T>::value;

}  // namespace Marlin
