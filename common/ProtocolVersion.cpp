#include "ProtocolVersion.h"

#include <cstring>

namespace Marlin {

namespace {

void PutLe32(uint8_t* out, uint32_t v) {
    out[0] = static_cast<uint8_t>(v);
    out[1] = static_cast<uint8_t>(v >> 8);
    out[2] = static_cast<uint8_t>(v >> 16);
    out[3] = static_cast<uint8_t>(v >> 24);
}

}  // namespace

std::array<uint8_t, ProtocolVersion::Size> ProtocolVersion::Bytes() const {
    std::array<uint8_t, Size> out{};
    for (size_t i = 0; i < words_.size(); ++i) PutLe32(out.data() + 4 * i, words_[i]);
    return out;
}

std::vector<uint8_t> ProtocolVersion::Request() {
    std::vector<uint8_t> out(4);
    PutLe32(out.data(), static_cast<uint32_t>(Command));
    return out;
}

std::vector<uint8_t> ProtocolVersion::Reply() const {
    std::vector<uint8_t> out(ReplySize, 0);  // status 0 is four zero bytes
    auto bytes = Bytes();
    std::memcpy(out.data() + 4, bytes.data(), bytes.size());
    return out;
}

bool ProtocolVersion::AcceptsReply(const uint8_t* reply, size_t length) const {
    if (reply == nullptr || length != ReplySize) return false;
    static const uint8_t okStatus[4] = {0, 0, 0, 0};
    if (std::memcmp(reply, okStatus, 4) != 0) return false;
    auto bytes = Bytes();
    return std::memcmp(reply + 4, bytes.data(), bytes.size()) == 0;
}

}  // namespace Marlin
