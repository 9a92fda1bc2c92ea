// Question: the source is encrypted and the destination volume cannot keep that,
// so copying it would lose the encryption.
#pragma once

#include <string>

#include "FileAttributeData.h"
#include "SluiceException.h"

namespace Marlin::Sluice {

class SluiceExceptionEncrypted : public SluiceException {
public:
    SluiceExceptionEncrypted();
    SluiceExceptionEncrypted(std::wstring path, const Marlin::FileAttributeData& attributes);
    ~SluiceExceptionEncrypted() override;

    std::wstring path;
    Marlin::FileAttributeData attributes{};
};

}  // namespace Marlin::Sluice
