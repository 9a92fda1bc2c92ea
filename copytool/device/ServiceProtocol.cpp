#include "ServiceProtocol.h"

#include "CDataParser.h"

namespace Marlin {

namespace {

// Both peers are 64-bit; the service's messages carry no lengths, but the set's width is 8.
constexpr Marlin::LengthWidth Width = Marlin::LengthWidth::Eight;

}  // namespace

std::vector<uint8_t> ServiceProtocol::ReadDriveRequest(uint16_t driveLetter) {
    Marlin::CDataConverter out(Width);
    out.Put(ReadDriveCommand);
    out.Put(driveLetter);
    return out.Buffer();
}

int32_t ServiceProtocol::ParseRequest(const uint8_t* message, size_t length, Request& request) {
    Marlin::CDataParser in(message, message == nullptr ? 0 : length, Width);
    int32_t command = 0;
    if (!in.Get(command)) return StatusMalformed;
    switch (command) {
        case VersionCommand:
            if (!in.AtEnd()) return StatusMalformed;
            request = Request{command, 0};
            return StatusSuccess;
        case ReadDriveCommand: {
            uint16_t letter = 0;
            if (in.Remaining() != LetterSize || !in.Get(letter)) return StatusMalformed;
            request = Request{command, letter};
            return StatusSuccess;
        }
        default:
            return StatusUnknownCommand;
    }
}

std::vector<uint8_t> ServiceProtocol::ReadDriveReply(const DiskCacheSettingData& data) {
    Marlin::CDataConverter out(Width);
    out.Put(StatusSuccess);
    PutPayload(out, data);
    return out.Buffer();
}

std::vector<uint8_t> ServiceProtocol::StatusReply(int32_t status) {
    Marlin::CDataConverter out(Width);
    out.Put(status);
    return out.Buffer();
}

void ServiceProtocol::PutPayload(Marlin::CDataConverter& out, const DiskCacheSettingData& data) {
    const auto& p = data.payload;
    out.PutBytes(&p.cacheInformation, sizeof p.cacheInformation);
    out.PutBytes(&p.cacheSetting, sizeof p.cacheSetting);
    out.PutBytes(&p.hotplugInformation, sizeof p.hotplugInformation);
    out.Put(p.cacheInformationValid);
    out.Put(p.cacheSettingValid);
    out.Put(p.hotplugInformationValid);
}

int ServiceProtocol::ParseReadDriveReply(const uint8_t* reply, size_t length, DiskCacheSettingData& data) {
    if (reply == nullptr) return 0;
    Marlin::CDataParser in(reply, length, Width);
    int32_t status = -1;
    if (!in.Get(status) || status != StatusSuccess) return 0;
    auto& p = data.payload;
    // Each part goes straight into the record, so a short reply keeps what it did carry.
    if (!in.GetBytes(&p.cacheInformation, sizeof p.cacheInformation)) return 0;
    if (!in.GetBytes(&p.cacheSetting, sizeof p.cacheSetting)) return 0;
    if (!in.GetBytes(&p.hotplugInformation, sizeof p.hotplugInformation)) return 0;
    if (!in.Get(p.cacheInformationValid)) return 0;
    if (!in.Get(p.cacheSettingValid)) return 0;
    if (!in.Get(p.hotplugInformationValid)) return 0;
    return in.AtEnd() ? 1 : 0;
}

int ServiceProtocol::ParseVersionReply(const uint8_t* reply, size_t length, std::array<uint8_t, 16>& version) {
    if (reply == nullptr || length != StatusSize + version.size()) return 0;
    Marlin::CDataParser in(reply, length, Width);
    int32_t status = -1;
    if (!in.Get(status) || status != StatusSuccess) return 0;
    return in.GetBytes(version.data(), version.size());
}

}  // namespace Marlin
