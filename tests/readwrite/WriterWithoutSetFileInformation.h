// A writer as it runs on a system without SetFileInformationByHandle: destination files
// are sized and trimmed through the file pointer, trimming through a reopened handle.
#pragma once

#include "CopyItemWriter.h"

namespace rwtest {

class WriterWithoutSetFileInformation : public Marlin::Sluice::CopyItemWriter {
public:
    int32_t Initialize(Marlin::Sluice::ICopyBufferManager* manager, uint64_t writeChunkSize,
                       uint64_t noBufferingThreshold) override;
};

}  // namespace rwtest
