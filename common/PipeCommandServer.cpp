#include "PipeCommandServer.h"

#include <aclapi.h>

namespace Marlin {

namespace {

constexpr DWORD AllFileAccess = 0x1F01FF;
constexpr DWORD AllFileAccessButDacAndOwner = 0x1301FF;
constexpr DWORD InheritAll = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;  // 0x3
constexpr DWORD InheritOnlyOwner = InheritAll | NO_PROPAGATE_INHERIT_ACE | INHERIT_ONLY_ACE;  // 0xF
constexpr DWORD DefaultTimeoutMs = 60000;

}  // namespace

PipeCommandServer::PipeCommandServer(std::wstring pipeName, int32_t chunkSize)
    : PipeCommandBase(std::move(pipeName), chunkSize), stopEvent_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

PipeCommandServer::~PipeCommandServer() = default;

void PipeCommandServer::RequestStop() {
    stopFlag_.store(1);
    SetEvent(stopEvent_.get());
}

int PipeCommandServer::WaitIo(HANDLE event) {
    HANDLE handles[2] = {event, stopEvent_.get()};
    DWORD r = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
    if (r == WAIT_OBJECT_0) return 1;
    if (r == WAIT_OBJECT_0 + 1) Close();
    return 0;
}

int PipeCommandServer::Create() {
    Close();

    // The interactive user and its elevated instance, the service (SYSTEM) and the
    // administrators may all open the pipe, whichever of them created it.
    wchar_t creatorOwner[] = L"CREATOR OWNER";
    wchar_t system[] = L"SYSTEM";
    wchar_t administrators[] = L"Administrators";
    wchar_t interactive[] = L"INTERACTIVE";
    struct Entry {
        wchar_t* name;
        DWORD access;
        DWORD inheritance;
    } const entries[4] = {
        {creatorOwner, AllFileAccess, InheritOnlyOwner},
        {system, AllFileAccess, InheritAll},
        {administrators, AllFileAccess, InheritAll},
        {interactive, AllFileAccessButDacAndOwner, InheritAll},
    };
    EXPLICIT_ACCESS_W access[4] = {};
    for (int i = 0; i < 4; ++i) {
        access[i].grfAccessPermissions = entries[i].access;
        access[i].grfAccessMode = SET_ACCESS;
        access[i].grfInheritance = entries[i].inheritance;
        access[i].Trustee.TrusteeForm = TRUSTEE_IS_NAME;
        access[i].Trustee.TrusteeType = TRUSTEE_IS_UNKNOWN;
        access[i].Trustee.ptstrName = entries[i].name;
    }
    LocalMemory<ACL> acl;
    if (SetEntriesInAclW(4, access, nullptr, acl.put()) != ERROR_SUCCESS) {
        acl.release();  // whatever a failed call left there is not ours to free
        return 0;
    }
    if (!acl) return 0;

    SECURITY_DESCRIPTOR sd;
    if (!InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION)) return 0;
    if (!SetSecurityDescriptorDacl(&sd, TRUE, acl.get(), FALSE)) return 0;
    SECURITY_ATTRIBUTES sa{};
    sa.nLength = sizeof sa;
    sa.lpSecurityDescriptor = &sd;
    sa.bInheritHandle = FALSE;

    const DWORD buffer = ChunkSize() > 0 ? static_cast<DWORD>(ChunkSize()) : 0;
    const DWORD firstOnly = firstInstanceOnly_ ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0;
    Attach(CreateNamedPipeW(PipeName().c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | firstOnly,
                            PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, buffer, buffer,
                            DefaultTimeoutMs, &sa));
    return IsOpen() ? 1 : 0;
}

int PipeCommandServer::Connect() {
    if (!IsOpen()) return 0;
    KernelHandle event(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!event) return 0;
    OVERLAPPED ov{};
    ov.hEvent = event.get();

    int result = 0;
    BOOL done = ConnectNamedPipe(Handle(), &ov);
    DWORD error = GetLastError();
    if (done || error == ERROR_PIPE_CONNECTED) {
        result = 1;
    } else if (error == ERROR_IO_PENDING) {
        DWORD ignored = 0;
        result = AwaitIo(ov) == 1 && IsOpen() && GetOverlappedResult(Handle(), &ov, &ignored, FALSE) ? 1 : 0;
    }
    SettleIo();
    return result;
}

int PipeCommandServer::Run() {
    if (!Create()) return -1;
    for (;;) {
        std::vector<uint8_t> message;
        if (Connect() == 1) {
            while (Read(message)) OnCommand(message);
        }
        Close();  // no disconnect: the next client gets a fresh instance
        if (stopFlag_.load() != 0) return 0;
        if (!Create()) return -1;
    }
}

}  // namespace Marlin
