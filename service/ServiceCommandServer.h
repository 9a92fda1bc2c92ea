// The service's end of its pipe: answers the version request and drive queries, one
// client at a time. Drives are reached only through the IDiskDriveIo it is given.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "IDiskDriveIo.h"
#include "PipeCommandServer.h"

namespace Marlin {

class ServiceCommandServer : public Marlin::PipeCommandServer {
public:
    static std::wstring DefaultPipeName();

    // drives is borrowed and must outlive the server.
    explicit ServiceCommandServer(IDiskDriveIo& drives, std::wstring pipeName = DefaultPipeName());
    ~ServiceCommandServer() override;

    // One request: status 2 when it is shorter than a command or its payload has the
    // wrong length, 1 for an unknown command; the connection stays open either way.
    void OnCommand(const std::vector<uint8_t>& message) override;

private:
    void Reply(const std::vector<uint8_t>& reply);

    IDiskDriveIo& drives_;
};

}  // namespace Marlin
