// The engine's own exceptions: a type tells what went wrong or what must be asked.
#pragma once

#include <cstdint>

#include "Exception.h"

namespace Marlin::Sluice {

class SluiceException : public Marlin::Exception {
public:
    // The values travel over the elevation pipe and are matched by the dialogs,
    // so they are fixed numbers, not a dense enumeration.
    enum Type : int32_t {
        InconsistentJob = 1,           // nothing to do, or a job that contradicts itself
        SetupFailed = 2,               // events, reader, writer or manager cannot be made
        BufferPoolFailed = 3,          // the page-locked pool cannot be made
        EnumerationFailed = 4,         // a source cannot be listed
        Cancelled = 5,                 // the user's own cancel
        ElevationRequested = 6,        // stop and hand the job over to an elevated instance
        ReceiveItemsFailed = 7,        // the elevated instance cannot get the items
        NotFreeSpace = 10,             // SluiceExceptionNotFreeSpace
        DestinationInsideSource = 11,
        EncryptionQuestion = 12,       // SluiceExceptionEncrypted
        OverwriteQuestion = 13,        // SluiceExceptionOverwrite
        RetryQuestion = 14,            // SluiceExceptionRetryFile
        ReaderWaitFailed = 1002,
        WriterWaitFailed = 1102,
    };

    SluiceException() = default;
    explicit SluiceException(int32_t type) : type(type) {}
    // Keeps the message and code of the exception this one is made from.
    SluiceException(const Marlin::Exception& base, int32_t type) : Marlin::Exception(base), type(type) {}
    ~SluiceException() override = default;

    int32_t type = 0;
};

}  // namespace Marlin::Sluice
