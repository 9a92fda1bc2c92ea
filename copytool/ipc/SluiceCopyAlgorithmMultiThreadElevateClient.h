// The elevated instance's side of the elevated copy: the client of the pipe that the
// normal instance created and named on the command line. Each request is one write and
// one reply read; a reply is accepted only with status 0 and exactly its own bytes.
//
// Before it asks for anything, the client makes sure the server end belongs to the
// process whose id the pipe name carries, so an elevated process never takes a job from
// a program that created that name first.
#pragma once

#include <cstdint>
#include <string>

#include "PipeCommandClient.h"

namespace Marlin::Sluice {

class SluiceCoreDisplayStatus;
class SluiceOption;
class SluiceStatus;

class SluiceCopyAlgorithmMultiThreadElevateClient : public Marlin::PipeCommandClient {
public:
    explicit SluiceCopyAlgorithmMultiThreadElevateClient(std::wstring pipeName);
    ~SluiceCopyAlgorithmMultiThreadElevateClient() override;

    // The open pipe's server is the process the name says; false for any other name too.
    bool ServerIsNamedProcess() const;

    bool QueryVersion();
    bool RequestOption(SluiceOption& option);
    // The received trees and cursors replace the status's.
    bool RequestStatus(SluiceStatus& status);
    bool SendEvent(int32_t code, const SluiceCoreDisplayStatus& status);
    bool SendQuestion(int32_t code, const SluiceCoreDisplayStatus& status, int32_t& answer, int32_t& applyToAll);
    bool QueryCancel(int32_t& cancelled);

private:
    bool Exchange(const std::vector<uint8_t>& request, std::vector<uint8_t>& reply);
};

}  // namespace Marlin::Sluice
