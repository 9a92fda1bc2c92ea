// Checks and clean-ups of a job's ordered source list against its destination.
#pragma once

#include <string>
#include <vector>

namespace Marlin {

void RemoveTrailingBackslashes(std::vector<std::wstring>& sources, std::wstring& destination);
void RemoveSourcesInDestination(std::vector<std::wstring>& sources, const std::wstring& destination);
bool IsSameDrive(const std::vector<std::wstring>& sources, const std::wstring& destination);
bool IsDestinationInsideSource(const std::vector<std::wstring>& sources, const std::wstring& destination);

}  // namespace Marlin
