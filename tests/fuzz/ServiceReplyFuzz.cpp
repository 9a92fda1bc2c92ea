// The copy tool's reading of the disk-cache service's replies: bytes from whatever process
// serves the service's pipe name.
//
// Properties: a drive reply is accepted only as status 0 and exactly the 56-byte record;
// a reply cut short stores the parts it carried whole, in order, and leaves the rest of
// the record as it was; a version reply is accepted only as status 0 and exactly the 16
// version bytes, and the handshake only with the system's own version.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "DiskCacheSettingData.h"
#include "FuzzCheck.h"
#include "ProtocolVersion.h"
#include "ServiceProtocol.h"

using Marlin::DiskCacheSettingData;
using Marlin::ServiceProtocol;

namespace {

// Where each part of the record ends: cache information, cache setting, hot-plug
// information, and the three valid flags.
constexpr size_t kPartEnds[] = {24, 36, 44, 48, 52, 56};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const bool statusZero = size >= 4 && data[0] == 0 && data[1] == 0 && data[2] == 0 && data[3] == 0;

    DiskCacheSettingData record;
    const int read = ServiceProtocol::ParseReadDriveReply(data, size, record);
    FUZZ_CHECK(read == (statusZero && size == ServiceProtocol::ReadDriveReplySize ? 1 : 0));
    size_t stored = 0;
    if (statusZero) {
        for (size_t end : kPartEnds)
            if (size - 4 >= end) stored = end;
    }
    const auto* payload = reinterpret_cast<const uint8_t*>(&record.payload);
    if (stored != 0) FUZZ_CHECK(std::memcmp(payload, data + 4, stored) == 0);
    FUZZ_CHECK(std::all_of(payload + stored, payload + sizeof record.payload, [](uint8_t b) { return b == 0; }));

    std::array<uint8_t, 16> version{};
    const int versionRead = ServiceProtocol::ParseVersionReply(data, size, version);
    FUZZ_CHECK(versionRead == (statusZero && size == 4 + version.size() ? 1 : 0));
    if (versionRead) FUZZ_CHECK(std::memcmp(version.data(), data + 4, version.size()) == 0);

    const std::vector<uint8_t> own = Marlin::ProtocolVersion().Reply();
    const bool accepted = Marlin::ProtocolVersion().AcceptsReply(data, size);
    FUZZ_CHECK(accepted == (size == own.size() && std::memcmp(data, own.data(), size) == 0));
    return 0;
}
