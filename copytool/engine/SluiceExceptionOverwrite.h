// Question: the destination exists; replace the file, or merge into the folder?
// Both attribute blocks go to the dialog so the user can compare the two items.
#pragma once

#include <windows.h>

#include <string>

#include "SluiceException.h"

namespace Marlin::Sluice {

class SluiceExceptionOverwrite : public SluiceException {
public:
    SluiceExceptionOverwrite();
    SluiceExceptionOverwrite(std::wstring sourcePath, const WIN32_FILE_ATTRIBUTE_DATA& sourceAttributes,
                             std::wstring destinationPath, const WIN32_FILE_ATTRIBUTE_DATA& destinationAttributes);
    ~SluiceExceptionOverwrite() override;

    std::wstring sourcePath;
    WIN32_FILE_ATTRIBUTE_DATA sourceAttributes{};
    std::wstring destinationPath;
    WIN32_FILE_ATTRIBUTE_DATA destinationAttributes{};
};

}  // namespace Marlin::Sluice
