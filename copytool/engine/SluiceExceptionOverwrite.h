// Question: the destination exists; replace the file, or merge into the folder?
// Both attribute blocks go to the dialog so the user can compare the two items.
#pragma once

#include <string>

#include "FileAttributeData.h"
#include "SluiceException.h"

namespace Marlin::Sluice {

class SluiceExceptionOverwrite : public SluiceException {
public:
    SluiceExceptionOverwrite();
    SluiceExceptionOverwrite(std::wstring sourcePath, const Marlin::FileAttributeData& sourceAttributes,
                             std::wstring destinationPath, const Marlin::FileAttributeData& destinationAttributes);
    ~SluiceExceptionOverwrite() override;

    std::wstring sourcePath;
    Marlin::FileAttributeData sourceAttributes{};
    std::wstring destinationPath;
    Marlin::FileAttributeData destinationAttributes{};
};

}  // namespace Marlin::Sluice
