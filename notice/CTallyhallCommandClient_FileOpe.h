// The logging service client that reports one copy or move job (the notice message).
#pragma once

#include "CTallyhallCommandClient.h"

namespace Marlin {

class NoticeRecord;

class CTallyhallCommandClient_FileOpe : public CTallyhallCommandClient {
public:
    // A client for the current user's logging service; the pipe is not opened yet.
    CTallyhallCommandClient_FileOpe();
    ~CTallyhallCommandClient_FileOpe() override;

    // Sends the job as one notice message on the open pipe; no reply is read. Non-zero
    // when the write succeeded.
    int SendFileOperation(const NoticeRecord& record);
};

}  // namespace Marlin
