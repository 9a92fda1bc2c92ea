#include "SluiceExceptionEncrypted.h"

#include <utility>

namespace Marlin::Sluice {

SluiceExceptionEncrypted::SluiceExceptionEncrypted() : SluiceException(EncryptionQuestion) {}

SluiceExceptionEncrypted::SluiceExceptionEncrypted(std::wstring path, const Marlin::FileAttributeData& attributes)
    : SluiceException(EncryptionQuestion), path(std::move(path)), attributes(attributes) {}

SluiceExceptionEncrypted::~SluiceExceptionEncrypted() = default;

}  // namespace Marlin::Sluice
