// The copy option as the elevation pipe carries it (the reply to the option request): the
// fields in declaration order, lengths and counts in 8 bytes. Platform-free, so it is
// tested and fuzzed natively too.
#pragma once

#include "CDataConverter.h"
#include "CDataParser.h"
#include "SluiceOption.h"

namespace Marlin {

class SluiceOptionRecord {
public:
    static void Put(CDataConverter& out, const Sluice::SluiceOption& option);
    // 1 when the whole record was there; option changes only then. Whether bytes follow
    // is the caller's question.
    static int Get(CDataParser& in, Sluice::SluiceOption& option);
};

}  // namespace Marlin
