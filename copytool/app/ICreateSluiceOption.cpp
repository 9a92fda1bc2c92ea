#include "ICreateSluiceOption.h"

namespace Marlin::Sluice {

// Out of line so the interface's vtable is emitted once, here, and not in every creator.
ICreateSluiceOption::ICreateSluiceOption() = default;
ICreateSluiceOption::~ICreateSluiceOption() = default;

}  // namespace Marlin::Sluice
