#include "CTallyhallCommandClient_FileOpe.h"

#include <limits>

#include "NoticeMessage.h"
#include "NoticeRecord.h"

namespace Marlin {

CTallyhallCommandClient_FileOpe::CTallyhallCommandClient_FileOpe()
    : CTallyhallCommandClient(kPipeNameFormat, kMutexNameFormat) {}

CTallyhallCommandClient_FileOpe::~CTallyhallCommandClient_FileOpe() = default;

int CTallyhallCommandClient_FileOpe::SendFileOperation(const NoticeRecord& record) {
    const std::vector<uint8_t> message = NoticeMessage(record).Bytes();
    if (message.size() > std::numeric_limits<uint32_t>::max()) return 0;
    return Write(message.data(), static_cast<uint32_t>(message.size()));
}

}  // namespace Marlin
