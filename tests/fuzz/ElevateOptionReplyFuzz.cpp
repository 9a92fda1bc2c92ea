// The elevated instance's reading of the option reply: a reply is accepted only whole and
// exact, and a refused one leaves the option as it was.
#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "SluiceElevateMessages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Marlin::Sluice::SluiceOption option;
    option.destination = L"kept";
    option.retryCount = -7;
    const bool ok = Marlin::SluiceElevateMessages::ReadOptionReply(data, size, option);
    // Status, kind, the list count, the destination length, eight 64-bit and seven more
    // 32-bit fields.
    FUZZ_CHECK(!ok || size >= 4 + 4 + 8 + 8 + 8 * 8 + 7 * 4);
    FUZZ_CHECK(ok || (option.destination == L"kept" && option.retryCount == -7 && option.sources.empty()));
    return 0;
}
