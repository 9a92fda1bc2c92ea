#include "IBackupStream.h"

namespace Marlin::Sluice::NTFSDataStream {

IBackupStream::~IBackupStream() = default;

}  // namespace Marlin::Sluice::NTFSDataStream
