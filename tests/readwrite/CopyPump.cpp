#include "CopyPump.h"

#include "TestHarness.h"

namespace rwtest {

CopyPump::CopyPump(Marlin::Sluice::ICopyBufferManager* manager, uint64_t readChunkSize, uint64_t writeChunkSize,
                   uint64_t noBufferingThreshold) {
    reader.Initialize(manager, readChunkSize);
    writer.Initialize(manager, writeChunkSize, noBufferingThreshold);
}

CopyPump::~CopyPump() {
    reader.Uninitialize();
    writer.Uninitialize();
}

void CopyPump::Add(const std::wstring& source, const std::wstring& destination) {
    items_.push_back(Item{source, destination});
}

void CopyPump::Run() {
    size_t read = 0, written = 0;
    while (written < items_.size()) {
        bool progress = ReadSome(read);
        progress = WriteSome(written) || progress;
        if (!progress) FAIL("neither the reader nor the writer could go on");
    }
}

bool CopyPump::ReadSome(size_t& next) {
    bool progress = false, mustWait = false, queued = false;
    while (next < items_.size()) {
        if (!reader.IsOpen()) {
            reader.Open(items_[next].source, items_[next].source, false, mustWait);
            if (mustWait) break;
            progress = true;
        }
        while (reader.GetBytesRead() < reader.GetFileSize()) {
            reader.ReadNext(queued, mustWait);
            if (mustWait) break;
            REQUIRE(queued);
            progress = true;
        }
        if (mustWait) break;
        reader.Close();
        ++next;
    }
    if (mustWait) ++readerWaits;
    return progress;
}

bool CopyPump::WriteSome(size_t& next) {
    bool progress = false, mustWait = false;
    while (next < items_.size()) {
        if (!writer.IsOpen()) {
            writer.Open(items_[next].destination, items_[next].source, false, mustWait);
            if (mustWait) break;
            progress = true;
        }
        while (writer.GetBytesWritten() < writer.GetFileSize()) {
            uint64_t n = 0;
            writer.WriteNext(n, mustWait);
            if (mustWait) break;
            bytesWrittenReported += n;
            progress = true;
        }
        if (mustWait) break;
        writer.Finish();
        writer.Close();
        ++next;
        progress = true;
    }
    if (mustWait) ++writerWaits;
    return progress;
}

}  // namespace rwtest
