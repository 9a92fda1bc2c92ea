// Copies a list of files through one reader, one pool and one writer on the calling
// thread, the way the reader and writer threads take turns: the reader queues until the
// pool is full or the list ends, then the writer writes until the record it needs is
// missing, and so on. A round in which neither side gets anywhere fails the test.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "CopyItemReader.h"
#include "CopyItemWriter.h"
#include "ICopyBufferManager.h"

namespace rwtest {

class CopyPump {
public:
    CopyPump(Marlin::Sluice::ICopyBufferManager* manager, uint64_t readChunkSize, uint64_t writeChunkSize,
             uint64_t noBufferingThreshold);
    ~CopyPump();

    void Add(const std::wstring& source, const std::wstring& destination);
    void Run();

    Marlin::Sluice::CopyItemReader reader;
    Marlin::Sluice::CopyItemWriter writer;
    // How often each side found it could not go on and handed over to the other.
    int readerWaits = 0;
    int writerWaits = 0;
    uint64_t bytesWrittenReported = 0;  // sum of WriteNext's written counts

private:
    struct Item {
        std::wstring source, destination;
    };
    bool ReadSome(size_t& next);
    bool WriteSome(size_t& next);

    std::vector<Item> items_;
};

}  // namespace rwtest
