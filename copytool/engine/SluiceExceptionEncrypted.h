// Question: the source is encrypted and the destination volume cannot keep that,
// so copying it would lose the encryption.
#pragma once

#include <windows.h>

#include <string>

#include "SluiceException.h"

namespace Marlin::Sluice {

class SluiceExceptionEncrypted : public SluiceException {
public:
    SluiceExceptionEncrypted();
    SluiceExceptionEncrypted(std::wstring path, const WIN32_FILE_ATTRIBUTE_DATA& attributes);
    ~SluiceExceptionEncrypted() override;

    std::wstring path;
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
};

}  // namespace Marlin::Sluice
