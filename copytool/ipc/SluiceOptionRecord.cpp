#include "SluiceOptionRecord.h"

namespace Marlin {

using Sluice::SluiceOption;

void SluiceOptionRecord::Put(CDataConverter& out, const SluiceOption& o) {
    out.Put(o.algorithmKind);
    out.Put(o.sources);
    out.Put(std::wstring_view(o.destination));
    out.Put(o.bufferPoolSize);
    out.Put(o.readChunkSize);
    out.Put(o.reserved1);
    out.Put(o.writeChunkSize);
    out.Put(o.noBufferingThreshold);
    out.Put(o.reserved2);
    out.Put(o.reserved3);
    out.Put(o.reserved4);
    out.Put(o.reserved5);
    out.Put(o.foldersFirst);
    out.Put(o.readerWakeFreeBytes);
    out.Put(o.writerWakeUsedBytes);
    out.Put(o.move);
    out.Put(o.retryCount);
    out.Put(o.retryIntervalMs);
}

int SluiceOptionRecord::Get(CDataParser& in, SluiceOption& option) {
    SluiceOption o;
    const int ok = in.GetRecord([&o](CDataParser& p) {
        return p.Get(o.algorithmKind) && p.Get(o.sources) && p.Get(o.destination) && p.Get(o.bufferPoolSize) &&
               p.Get(o.readChunkSize) && p.Get(o.reserved1) && p.Get(o.writeChunkSize) &&
               p.Get(o.noBufferingThreshold) && p.Get(o.reserved2) && p.Get(o.reserved3) && p.Get(o.reserved4) &&
               p.Get(o.reserved5) && p.Get(o.foldersFirst) && p.Get(o.readerWakeFreeBytes) &&
               p.Get(o.writerWakeUsedBytes) && p.Get(o.move) && p.Get(o.retryCount) && p.Get(o.retryIntervalMs);
    });
    if (ok) option = std::move(o);
    return ok;
}

}  // namespace Marlin
