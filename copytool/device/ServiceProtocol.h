// The messages between the copy tool and the disk-cache service Quaykeep: the pipe, the
// commands, the statuses and the byte layout of each request and reply. Values are raw
// little-endian integers without length prefixes; the 56-byte DiskCacheSettingData
// payload goes as its three platform records and three valid flags, in that order.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "CDataConverter.h"
#include "DiskCacheSettingData.h"

namespace Marlin {

class ServiceProtocol {
public:
    static constexpr const wchar_t* PipeName = L"\\\\.\\pipe\\{0FEFC268-C7C8-4e56-9E6E-4702B68F6620}";
    // The name under which the service control manager knows the server of that pipe.
    static constexpr const wchar_t* ServiceName = L"Quaykeep";
    static constexpr int32_t ChunkSize = 1024;

    static constexpr int32_t VersionCommand = 1;    // the request is the command alone
    static constexpr int32_t ReadDriveCommand = 2;  // followed by the drive letter, 16 bits

    static constexpr int32_t StatusSuccess = 0;
    static constexpr int32_t StatusUnknownCommand = 1;
    // A request shorter than a command, or with a payload of the wrong length.
    static constexpr int32_t StatusMalformed = 2;

    static constexpr size_t CommandSize = 4;
    static constexpr size_t StatusSize = 4;
    static constexpr size_t LetterSize = 2;
    static constexpr size_t PayloadSize = 56;
    static constexpr size_t ReadDriveRequestSize = CommandSize + LetterSize;  // 6
    static constexpr size_t ReadDriveReplySize = StatusSize + PayloadSize;    // 60

    // A request as the service understands it.
    struct Request {
        int32_t command = 0;
        uint16_t driveLetter = 0;  // command 2 only
    };

    // Command 2 and the letter as one UTF-16 code unit.
    static std::vector<uint8_t> ReadDriveRequest(uint16_t driveLetter);
    // Reads a request into request. StatusSuccess for command 1 alone or command 2 with
    // its letter and nothing more; StatusMalformed for a request shorter than a command
    // or a known command with a payload of another length; StatusUnknownCommand for any
    // other command. The status is what the service answers when it is not success.
    static int32_t ParseRequest(const uint8_t* message, size_t length, Request& request);
    // Status 0 and the record.
    static std::vector<uint8_t> ReadDriveReply(const DiskCacheSettingData& data);
    // An error reply: the status alone.
    static std::vector<uint8_t> StatusReply(int32_t status);

    // The record's 56 bytes.
    static void PutPayload(Marlin::CDataConverter& out, const DiskCacheSettingData& data);
    // Reads a reply to command 2 into data: status 0, then the cache information, the
    // cache setting, the hot-plug information and the three valid flags, each stored as
    // soon as it has been read. 0 when the status is not 0, a part is missing or bytes
    // are left over; what was stored before the failure stays stored.
    static int ParseReadDriveReply(const uint8_t* reply, size_t length, DiskCacheSettingData& data);
    // Reads a reply to command 1: status 0 and exactly the 16 version bytes.
    static int ParseVersionReply(const uint8_t* reply, size_t length, std::array<uint8_t, 16>& version);
};

}  // namespace Marlin
