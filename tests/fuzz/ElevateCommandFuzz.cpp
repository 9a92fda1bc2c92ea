// The normal instance's answer to any request on the elevation pipe: whatever arrives,
// the reply is one of the documented forms, an event is relayed only when its request
// was exact, and nothing is relayed for a refused one.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "CDataParser.h"
#include "FuzzCheck.h"
#include "SluiceElevateCommandHandler.h"
#include "SluiceElevateMessages.h"
#include "SluiceOptionRecord.h"
#include "SluiceStatusRecord.h"

using Marlin::SluiceElevateMessages;

namespace {

class Handler : public Marlin::SluiceElevateCommandHandler {
public:
    int relayed = 0;

protected:
    void PutOption(Marlin::CDataConverter& out) override { Marlin::SluiceOptionRecord::Put(out, option_); }
    void PutStatus(Marlin::CDataConverter& out) override { Marlin::SluiceStatusRecord::Put(out, 0, 0, items_, {}, {}); }
    void Relay(int32_t, Marlin::Sluice::SluiceCoreDisplayStatus& received, int32_t& answer,
               int32_t& applyToAll) override {
        ++relayed;
        FUZZ_CHECK((received.exception() != nullptr) == (received.ownsException() == 1));
        answer = 2;
        applyToAll = 1;
    }
    int32_t CancelSeen() override { return 1; }

private:
    Marlin::Sluice::SluiceOption option_;
    Marlin::Sluice::CopyItemsData items_;
};

int32_t Word(const uint8_t* p) { return static_cast<int32_t>(p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Handler handler;
    const std::vector<uint8_t> reply = handler.Answer(data, size);
    FUZZ_CHECK(reply.size() >= 4);
    const int32_t status = Word(reply.data());
    if (size < 4) {
        FUZZ_CHECK(status == SluiceElevateMessages::kMalformed && reply.size() == 4);
        return 0;
    }
    switch (Word(data)) {
    case SluiceElevateMessages::kVersion:
        FUZZ_CHECK(status == 0 && reply.size() == 20);
        break;
    case SluiceElevateMessages::kOption:
    case SluiceElevateMessages::kStatus:
        FUZZ_CHECK(status == 0);
        break;
    case SluiceElevateMessages::kEvent:
    case SluiceElevateMessages::kQuestion:
        FUZZ_CHECK(status == 0 ? handler.relayed == 1 : (status == 1 && handler.relayed == 0 && reply.size() == 4));
        if (status == 0) FUZZ_CHECK(reply.size() == (Word(data) == SluiceElevateMessages::kQuestion ? 12u : 4u));
        break;
    case SluiceElevateMessages::kCancelQuery:
        FUZZ_CHECK(status == 0 && reply.size() == 8 && Word(reply.data() + 4) == 1);
        break;
    default:
        FUZZ_CHECK(status == SluiceElevateMessages::kUnknownCommand && reply.size() == 4);
        break;
    }
    FUZZ_CHECK(handler.relayed <= 1);
    return 0;
}
