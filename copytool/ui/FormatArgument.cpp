#include "FormatArgument.h"

namespace Marlin {

FormatArgument::FormatArgument(const wchar_t* text) noexcept
    : kind_(Kind::String), text_(text != nullptr ? text : L"") {}

FormatArgument::FormatArgument(const std::wstring& text) noexcept : kind_(Kind::String), text_(text.c_str()) {}

FormatArgument::FormatArgument(double value) noexcept : kind_(Kind::Floating), floating_(value) {}

}  // namespace Marlin
