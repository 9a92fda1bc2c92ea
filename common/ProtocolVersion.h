// The version every protocol on the pipe channel answers to command 1. Two peers talk
// only when the whole 16-byte value is equal; there is no "compatible with" ordering.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Marlin {

class ProtocolVersion {
public:
    static constexpr int32_t Command = 1;     // the request is this command alone
    static constexpr size_t Size = 16;        // four 32-bit words on the wire
    static constexpr size_t ReplySize = 4 + Size;

    // The system's version: 1, 0, 0, 1.
    ProtocolVersion() = default;
    ProtocolVersion(uint32_t w0, uint32_t w1, uint32_t w2, uint32_t w3) : words_{w0, w1, w2, w3} {}
    virtual ~ProtocolVersion() = default;

    const std::array<uint32_t, 4>& Words() const { return words_; }
    // The 16 bytes as they go on the wire, each word little-endian.
    std::array<uint8_t, Size> Bytes() const;

    // The version request: the 4-byte command 1.
    static std::vector<uint8_t> Request();
    // A server's answer to command 1: status 0 followed by this version.
    std::vector<uint8_t> Reply() const;

    // A client's test of a version reply: exactly 20 bytes, status 0, and all 16 version
    // bytes equal to this version. Anything else means an incompatible peer.
    bool AcceptsReply(const uint8_t* reply, size_t length) const;
    bool AcceptsReply(const std::vector<uint8_t>& reply) const { return AcceptsReply(reply.data(), reply.size()); }

    friend bool operator==(const ProtocolVersion& a, const ProtocolVersion& b) { return a.words_ == b.words_; }
    friend bool operator!=(const ProtocolVersion& a, const ProtocolVersion& b) { return !(a == b); }

private:
    std::array<uint32_t, 4> words_{1, 0, 0, 1};
};

}  // namespace Marlin
