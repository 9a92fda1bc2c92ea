// Text helpers of the device enumeration: comparisons without regard to case, and reads
// of device-node strings whose sizes are decided here, not by what a node reports.
#pragma once

#include <windows.h>
#include <cfgmgr32.h>

#include <cstdint>
#include <string>
#include <vector>

#include "IConfigManager.h"

namespace Marlin {

// Device IDs, driver keys and volume names compare without regard to case.
bool EqualsIgnoreCase(const std::wstring& a, const std::wstring& b);
std::wstring ToUpperCase(const std::wstring& text);

// CM_Get_Device_IDW into a buffer that holds the longest possible ID with its
// terminator. False (id unchanged) when the read fails or gives an empty ID.
bool ReadDeviceId(IConfigManager& configManager, DEVINST node, std::wstring& id);

// The largest registry property value read; a node's strings and filter lists are far
// shorter, so a larger claimed size is not believed.
constexpr ULONG kMaxPropertyBytes = 0x10000;

// The raw bytes of a registry property: a first read into a fixed buffer, and one more
// of the reported size when that was too small and the size is believable.
bool ReadPropertyBytes(IConfigManager& configManager, DEVINST node, ULONG property, std::vector<uint8_t>& bytes);
// A REG_SZ value: its UTF-16 units up to the first terminator or the end of the data.
std::wstring StringFromBytes(const std::vector<uint8_t>& bytes);
// A REG_MULTI_SZ value: each string up to its terminator; the list ends at an empty
// string or at the end of the data, even when the final terminators are missing.
std::vector<std::wstring> MultiStringFromChars(const wchar_t* chars, size_t count);
std::vector<std::wstring> MultiStringFromBytes(const std::vector<uint8_t>& bytes);

}  // namespace Marlin
