// One buffer handed out by the pool: where it starts and how many bytes of it the
// caller asked for (the pool may have set aside more, up to the transfer alignment).
#pragma once

#include <cstdint>

namespace Marlin::Sluice {

struct BufferSpan {
    void* address = nullptr;
    uint64_t length = 0;
};

}  // namespace Marlin::Sluice
