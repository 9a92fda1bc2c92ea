// The copy tool's readers of the shell extension's replies on the hand-off pipe. The first
// byte of an input chooses the reader (0 sources, 1 destination, 2 operation), the rest
// is the reply; it ends where the input ends, so a read past it is caught.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "HandOffReply.h"

using Marlin::HandOffReply;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t* reply = data + 1;
    const size_t length = size - 1;
    switch (data[0] % 3) {
    case 0: {
        std::vector<std::wstring> sources{L"kept"};
        const bool ok = HandOffReply::ReadSources(reply, length, sources);
        // Every source takes at least its 4-byte length: more paths than that is a read
        // beyond the reply.
        if (ok && (sources.size() - 1) * 4 + 8 > length) __builtin_trap();
        if (!ok && sources.size() != 1) __builtin_trap();  // a refused reply leaves the job alone
        break;
    }
    case 1: {
        std::wstring destination = L"kept";
        if (!HandOffReply::ReadDestination(reply, length, destination) && destination != L"kept") __builtin_trap();
        break;
    }
    default: {
        int32_t operation = -7;
        const bool ok = HandOffReply::ReadOperation(reply, length, operation);
        if (ok ? (operation != 0 && operation != 1) : operation != -7) __builtin_trap();
        break;
    }
    }
    return 0;
}
