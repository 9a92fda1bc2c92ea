#include "WriterWithoutSetFileInformation.h"

namespace rwtest {

int32_t WriterWithoutSetFileInformation::Initialize(Marlin::Sluice::ICopyBufferManager* manager,
                                                    uint64_t writeChunkSize, uint64_t noBufferingThreshold) {
    int32_t result = CopyItemWriter::Initialize(manager, writeChunkSize, noBufferingThreshold);
    setFileInformationByHandle_ = {};
    return result;
}

}  // namespace rwtest
