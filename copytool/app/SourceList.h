// Checks and clean-ups of a job's ordered source list against its destination.
#pragma once

#include <string>
#include <vector>

namespace Marlin {

void RemoveTrailingBackslashes(std::vector<std::wstring>& sources, std::wstring& destination);
// Keeps the first of sources that name the same path (without case): a path given twice
// would be copied twice onto itself, the second time as a conflict with the first copy.
void RemoveRepeatedSources(std::vector<std::wstring>& sources);
void RemoveSourcesInDestination(std::vector<std::wstring>& sources, const std::wstring& destination);
bool IsSameDrive(const std::vector<std::wstring>& sources, const std::wstring& destination);
bool IsDestinationInsideSource(const std::vector<std::wstring>& sources, const std::wstring& destination);

}  // namespace Marlin
