#include "ReplyBytes.h"

#include "CDataConverter.h"

using Marlin::CDataConverter;
using Marlin::LengthWidth;

namespace handofftest {

std::vector<uint8_t> ReplyBytes::Status(int32_t status) {
    CDataConverter out(LengthWidth::Four);
    out.Put(status);
    return out.Buffer();
}

std::vector<uint8_t> ReplyBytes::Version(uint32_t w0, uint32_t w1, uint32_t w2, uint32_t w3) {
    CDataConverter out(LengthWidth::Four);
    out.Put(int32_t{0});
    for (uint32_t w : {w0, w1, w2, w3}) out.Put(w);
    return out.Buffer();
}

std::vector<uint8_t> ReplyBytes::Sources(const std::vector<std::wstring>& sources) {
    CDataConverter out(LengthWidth::Four);
    out.Put(int32_t{0});
    out.Put(sources);
    return out.Buffer();
}

std::vector<uint8_t> ReplyBytes::Destination(const std::wstring& destination) {
    CDataConverter out(LengthWidth::Four);
    out.Put(int32_t{0});
    out.Put(std::wstring_view(destination));
    return out.Buffer();
}

std::vector<uint8_t> ReplyBytes::Operation(int32_t operation) {
    CDataConverter out(LengthWidth::Four);
    out.Put(int32_t{0});
    out.Put(operation);
    return out.Buffer();
}

}  // namespace handofftest
