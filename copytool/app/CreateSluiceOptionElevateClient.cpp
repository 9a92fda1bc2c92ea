#include "CreateSluiceOptionElevateClient.h"

#include "SluiceCopyAlgorithmMultiThreadElevateClient.h"

namespace Marlin::Sluice {

CreateSluiceOptionElevateClient::CreateSluiceOptionElevateClient(SluiceCopyAlgorithmMultiThreadElevateClient& client)
    : client_(client) {}

CreateSluiceOptionElevateClient::~CreateSluiceOptionElevateClient() = default;

int CreateSluiceOptionElevateClient::Create() { return client_.RequestOption(option_) ? 1 : 0; }

}  // namespace Marlin::Sluice
