// The display status with its exception, as an event request carries it: an accepted one
// owns exactly the exception it names (and a retry question its inner error), and every
// one that is refused or dropped frees what it built (the sanitizers see the rest).
#include <cstddef>
#include <cstdint>
#include <string>

#include "CDataConverter.h"
#include "CDataParser.h"
#include "FuzzCheck.h"
#include "SluiceCoreDisplayStatusRecord.h"
#include "SluiceExceptionRetryFile.h"

using Marlin::SluiceCoreDisplayStatusRecord;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Marlin::CDataParser in(data, size);
    Marlin::Sluice::SluiceCoreDisplayStatus status;
    status.readingPath = L"kept";
    if (!SluiceCoreDisplayStatusRecord::Get(in, status)) {
        FUZZ_CHECK(status.readingPath == L"kept" && status.exception() == nullptr);
        FUZZ_CHECK(in.Remaining() == size);
        return 0;
    }
    FUZZ_CHECK((status.exception() != nullptr) == (status.ownsException() == 1));
    if (const auto* retry = dynamic_cast<const Marlin::Sluice::SluiceExceptionRetryFile*>(status.exception())) {
        FUZZ_CHECK((retry->inner != nullptr) == (retry->ownsInner == 1));
        if (retry->inner) (void)retry->inner->path.size();
    }
    // What was read writes back to the bytes it came from, but for text after a NUL and
    // any bytes that follow the record.
    Marlin::CDataConverter out;
    SluiceCoreDisplayStatusRecord::Put(out, status);
    FUZZ_CHECK(out.Size() <= size - in.Remaining());
    return 0;
}
