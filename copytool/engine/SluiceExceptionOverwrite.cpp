#include "SluiceExceptionOverwrite.h"

#include <utility>

namespace Marlin::Sluice {

SluiceExceptionOverwrite::SluiceExceptionOverwrite() : SluiceException(OverwriteQuestion) {}

SluiceExceptionOverwrite::SluiceExceptionOverwrite(std::wstring sourcePath,
                                                   const Marlin::FileAttributeData& sourceAttributes,
                                                   std::wstring destinationPath,
                                                   const Marlin::FileAttributeData& destinationAttributes)
    : SluiceException(OverwriteQuestion),
      sourcePath(std::move(sourcePath)),
      sourceAttributes(sourceAttributes),
      destinationPath(std::move(destinationPath)),
      destinationAttributes(destinationAttributes) {}

SluiceExceptionOverwrite::~SluiceExceptionOverwrite() = default;

}  // namespace Marlin::Sluice
