// One data stream of a file as the backup interface reports it.
#pragma once

#include <cstdint>
#include <string>

namespace Marlin::Sluice::NTFSDataStream {

class StreamData {
public:
    StreamData() = default;
    StreamData(std::wstring name, int64_t size);
    StreamData(const StreamData&) = default;
    StreamData(StreamData&&) noexcept = default;
    StreamData& operator=(const StreamData&) = default;
    StreamData& operator=(StreamData&&) noexcept = default;
    virtual ~StreamData();

    // ":name:$DATA" for a named stream, "::$DATA" for the file's unnamed default stream.
    std::wstring name;
    int64_t size = 0;
};

}  // namespace Marlin::Sluice::NTFSDataStream
