// What the service tests share: pipe names of their own, and message bytes spelled out.
#pragma once

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace svctest {

// "\\.\pipe\quaykeep-test-<tag>-<pid>-<n>": a pipe no other test run uses.
std::wstring UniquePipeName(const char* tag);

// The bytes of a little-endian 32-bit value, for spelling out expected messages.
std::vector<uint8_t> Le32(uint32_t value);
std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts);
std::string Hex(const std::vector<uint8_t>& bytes);

}  // namespace svctest
