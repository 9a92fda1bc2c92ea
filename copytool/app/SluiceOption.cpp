#include "SluiceOption.h"

namespace Marlin::Sluice {

// Out of line so the record's vtable and copy code live in one place rather than in
// every user; member-wise copy is exactly what the record needs (strings and the list
// copy deeply).
SluiceOption::SluiceOption() = default;
SluiceOption::SluiceOption(const SluiceOption&) = default;
SluiceOption::SluiceOption(SluiceOption&&) noexcept = default;
SluiceOption& SluiceOption::operator=(const SluiceOption&) = default;
SluiceOption& SluiceOption::operator=(SluiceOption&&) noexcept = default;
SluiceOption::~SluiceOption() = default;

}  // namespace Marlin::Sluice
