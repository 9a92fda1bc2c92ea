// The display status of one relayed event as the elevation pipe carries it (the event and
// question requests), ending with the attached exception: a 32-bit tag that names its
// class, then that class's fields. The writer names the most derived class it knows, so
// a question arrives as the question it is; the reader builds an exception of the named
// class and attaches it, owned, to the status. Platform-free, so it is tested and fuzzed
// natively too.
#pragma once

#include <cstdint>
#include <memory>

#include "CDataConverter.h"
#include "CDataParser.h"
#include "SluiceCoreDisplayStatus.h"

namespace Marlin {

class Exception;

class SluiceCoreDisplayStatusRecord {
public:
    // Exception tags on the wire.
    enum Tag : int32_t {
        NoException = 0,
        PlainException = 1,
        WindowsError = 2,
        WindowsFileError = 3,
        EngineException = 4,
        EncryptedQuestion = 5,
        NotFreeSpaceError = 6,
        OverwriteQuestion = 7,
        RetryQuestion = 8,
    };

    static void Put(CDataConverter& out, const Sluice::SluiceCoreDisplayStatus& status);
    // Replaces status (its exception attached and owned) only when the whole record was
    // there; a half-read exception is destroyed.
    static int Get(CDataParser& in, Sluice::SluiceCoreDisplayStatus& status);

    // The exception form alone; null writes and reads as tag 0.
    static void PutException(CDataConverter& out, const Marlin::Exception* exception);
    static int GetException(CDataParser& in, std::unique_ptr<Marlin::Exception>& exception);
};

}  // namespace Marlin
