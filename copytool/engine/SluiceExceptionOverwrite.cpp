#include "SluiceExceptionOverwrite.h"

#include <utility>

namespace Marlin::Sluice {

SluiceExceptionOverwrite::SluiceExceptionOverwrite() : SluiceException(OverwriteQuestion) {}

SluiceExceptionOverwrite::SluiceExceptionOverwrite(std::wstring sourcePath,
                                                   const WIN32_FILE_ATTRIBUTE_DATA& sourceAttributes,
                                                   std::wstring destinationPath,
                                                   const WIN32_FILE_ATTRIBUTE_DATA& destinationAttributes)
    : SluiceException(OverwriteQuestion),
      sourcePath(std::move(sourcePath)),
      sourceAttributes(sourceAttributes),
      destinationPath(std::move(destinationPath)),
      destinationAttributes(destinationAttributes) {}

SluiceExceptionOverwrite::~SluiceExceptionOverwrite() = default;

}  // namespace Marlin::Sluice
