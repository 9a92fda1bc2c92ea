// The shell extension's handling of a request on the hand-off pipe: bytes from whatever
// process opened the pipe, answered on the Explorer's thread.
//
// Properties: a request shorter than 4 bytes gets the bare status 1; a longer one, or an
// unknown command, the bare status 2; the four commands get replies that the copy tool's
// own readers accept whole and that give back the job, whose paths are made of the
// input's bytes too.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "HandOffAnswer.h"
#include "HandOffReply.h"
#include "ProtocolVersion.h"

using Marlin::HandOffAnswer;
using Marlin::HandOffReply;

namespace {

// Paths from the input's bytes as UTF-16 units, cut at the units that are NUL (which no
// path holds), so the same input also varies the job.
std::vector<std::wstring> PathsOf(const uint8_t* data, size_t size) {
    std::vector<std::wstring> paths(1);
    for (size_t i = 0; i + 1 < size; i += 2) {
        wchar_t unit = static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
        // A lone surrogate is no character of a 32-bit wchar_t host, where this runs; the
        // encoding's handling of those has its own target (wire_values).
        if (unit >= 0xD800 && unit <= 0xDFFF) unit = L'?';
        if (unit == 0) {
            paths.emplace_back();
        } else {
            paths.back() += unit;
        }
    }
    return paths;
}

bool IsStatus(const std::vector<uint8_t>& reply, uint8_t status) {
    return reply.size() == 4 && reply[0] == status && reply[1] == 0 && reply[2] == 0 && reply[3] == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::wstring> sources = PathsOf(data, size);
    const std::wstring target = sources.back();
    const int32_t operation = size % 2 == 0 ? HandOffReply::kCopy : HandOffReply::kMove;
    const std::vector<uint8_t> reply = HandOffAnswer::For(data, size, HandOffAnswer::Job{sources, target, operation});

    if (size < 4) {
        FUZZ_CHECK(IsStatus(reply, HandOffReply::kShortRequest));
        return 0;
    }
    int32_t command = 0;
    std::memcpy(&command, data, sizeof command);  // little-endian hosts only, as the peers
    if (size > 4 || command < HandOffReply::kVersion || command > HandOffReply::kOperation) {
        FUZZ_CHECK(IsStatus(reply, HandOffReply::kBadRequest));
        return 0;
    }
    switch (command) {
    case HandOffReply::kVersion:
        FUZZ_CHECK(Marlin::ProtocolVersion().AcceptsReply(reply));
        break;
    case HandOffReply::kSources: {
        std::vector<std::wstring> read;
        FUZZ_CHECK(HandOffReply::ReadSources(reply.data(), reply.size(), read));
        FUZZ_CHECK(read == sources);
        break;
    }
    case HandOffReply::kDestination: {
        std::wstring read;
        FUZZ_CHECK(HandOffReply::ReadDestination(reply.data(), reply.size(), read));
        FUZZ_CHECK(read == target);
        break;
    }
    default: {
        int32_t read = -1;
        FUZZ_CHECK(HandOffReply::ReadOperation(reply.data(), reply.size(), read));
        FUZZ_CHECK(read == operation);
        break;
    }
    }
    return 0;
}
