// A stand-in for the file-operation logging service that the notice library reports to.
// It behaves as that service does at its interface: it runs for the current user, holds
// the presence mutex "p-m<user>{1F1D5CAF-...}" while it runs, serves the pipe
// "\\.\pipe\<user>{1F1D5CAF-...}", and takes one notice message per connection without
// answering. Everything it receives is recorded for the test that started it:
//
//   RECORD\message-N.bin        the bytes of the N-th message
//   RECORD\message-N.dest.txt   the listing of that notice's destination on arrival
//   RECORD\log.txt              "pipe T", "message N T", "mutex-dropped T": what
//                               happened, with the system's tick count (GetTickCount64,
//                               the same in every process) taken just before it did
//
// quaytest-logging-service RECORD READY STOP PARENT [--pipe-after MS] [--drop-mutex-after MS]
//                          [--from GO]
//
// READY and STOP are named events of the test: READY is set once the mutex is held (and
// the pipe exists, unless it is to come late); STOP makes the stand-in finish what has
// already connected and end. It also ends when the process PARENT (an id) ends.
// --pipe-after opens the pipe only MS after the mutex is taken; --drop-mutex-after lets
// the mutex go after MS and never opens the pipe. With --from, those MS count from the
// moment the test sets its named event GO instead.
//
// The names are spelled out here on purpose instead of taken from the library, so a test
// against this stand-in also checks the library's spelling.
#include <windows.h>
#include <lmcons.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "NoticeMessage.h"
#include "PipeCommandServer.h"
#include "TreeListing.h"
#include "UniqueHandle.h"

namespace {

std::string Now() { return std::to_string(GetTickCount64()); }

// Names and paths come in the ANSI code page, as the library's narrow calls take them.
std::wstring Widen(const char* s) {
    const int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
    if (n <= 1) return std::wstring();
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, s, -1, out.data(), n);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

void Append(const std::wstring& path, const std::string& bytes) {
    Marlin::FileHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file) WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

class StandIn : public Marlin::PipeCommandServer {
public:
    StandIn(std::wstring pipeName, std::wstring record, HANDLE ready, HANDLE stop, HANDLE parent)
        : PipeCommandServer(std::move(pipeName)), record_(std::move(record)), ready_(ready), stop_(stop),
          parent_(parent) {}

    // The first instance of the pipe is where the service becomes reachable.
    int Create() override {
        const std::string before = Now();
        const int created = PipeCommandServer::Create();
        if (created && !announced_) {
            announced_ = true;
            Append(record_ + L"\\log.txt", "pipe " + before + "\n");
            SetEvent(ready_);
        }
        return created;
    }

    // A notice is written without waiting for an answer, so its client may have connected,
    // written and gone before this server asks for a connection. The system then refuses
    // the connection (ERROR_NO_DATA) but still holds the message: it is read all the same.
    int Connect() override {
        if (PipeCommandServer::Connect() == 1) return 1;
        DWORD waiting = 0;
        return IsOpen() && PeekNamedPipe(Handle(), nullptr, 0, nullptr, &waiting, nullptr) && waiting > 0 ? 1 : 0;
    }

    // A client that connected before STOP was set is still read: its event comes first.
    int WaitIo(HANDLE event) override {
        HANDLE handles[4] = {event, StopEvent(), stop_, parent_};
        const DWORD r = WaitForMultipleObjects(4, handles, FALSE, INFINITE);
        if (r == WAIT_OBJECT_0) return 1;
        RequestStop();
        Close();
        return 0;
    }

    void OnCommand(const std::vector<uint8_t>& message) override {
        const std::string arrived = Now();
        const std::wstring base = record_ + L"\\message-" + std::to_wstring(++count_);
        Append(base + L".bin", std::string(message.begin(), message.end()));
        Marlin::NoticeMessage notice;
        if (Marlin::NoticeMessage::Read(message.data(), message.size(), notice))
            Append(base + L".dest.txt", quaytest::TreeListing(notice.destination));
        Append(record_ + L"\\log.txt", "message " + std::to_string(count_) + " " + arrived + "\n");
    }

private:
    std::wstring record_;
    HANDLE ready_;
    HANDLE stop_;
    HANDLE parent_;
    bool announced_ = false;
    int count_ = 0;
};

// Waits for STOP or the parent's end, at most ms; true when one of them came.
bool StopWithin(HANDLE stop, HANDLE parent, DWORD ms) {
    HANDLE handles[2] = {stop, parent};
    return WaitForMultipleObjects(2, handles, FALSE, ms) != WAIT_TIMEOUT;
}

// Waits for GO (when there is one) and then ms more; false when STOP or the parent's end
// came first.
bool DelayOver(HANDLE go, HANDLE stop, HANDLE parent, DWORD ms) {
    if (go) {
        HANDLE handles[3] = {go, stop, parent};
        if (WaitForMultipleObjects(3, handles, FALSE, INFINITE) != WAIT_OBJECT_0) return false;
    }
    return !StopWithin(stop, parent, ms);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: quaytest-logging-service RECORD READY STOP PARENT [--pipe-after MS] "
                             "[--drop-mutex-after MS]\n");
        return 64;
    }
    const std::wstring record = Widen(argv[1]);
    DWORD pipeAfter = 0, dropMutexAfter = 0;
    bool dropMutex = false;
    Marlin::KernelHandle go;
    bool fromGo = false;
    for (int i = 5; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--from") == 0) {
            fromGo = true;
            go.reset(OpenEventA(SYNCHRONIZE, FALSE, argv[i + 1]));
        }
        if (std::strcmp(argv[i], "--pipe-after") == 0) pipeAfter = std::strtoul(argv[i + 1], nullptr, 10);
        if (std::strcmp(argv[i], "--drop-mutex-after") == 0) {
            dropMutex = true;
            dropMutexAfter = std::strtoul(argv[i + 1], nullptr, 10);
        }
    }
    Marlin::KernelHandle ready(OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]));
    Marlin::KernelHandle stop(OpenEventA(SYNCHRONIZE, FALSE, argv[3]));
    Marlin::KernelHandle parent(OpenProcess(SYNCHRONIZE, FALSE, std::strtoul(argv[4], nullptr, 10)));
    if (!ready || !stop || !parent || (fromGo && !go)) return 2;

    char user[UNLEN + 1] = {};
    DWORD size = sizeof user;
    if (!GetUserNameA(user, &size)) user[0] = '\0';
    const std::string pipeName = std::string("\\\\.\\pipe\\") + user + "{1F1D5CAF-06F2-44b3-9078-50CC6A1034F3}";
    const std::string mutexName = std::string("p-m") + user + "{1F1D5CAF-06F2-44b3-9078-50CC6A1034F3}";

    Marlin::KernelHandle presence(CreateMutexA(nullptr, FALSE, mutexName.c_str()));
    // Another service of this user would take the notices meant for this one.
    if (!presence || GetLastError() == ERROR_ALREADY_EXISTS) return 3;

    if (dropMutex) {
        SetEvent(ready.get());
        if (DelayOver(go.get(), stop.get(), parent.get(), dropMutexAfter)) {
            const std::string before = Now();
            presence.reset();
            Append(record + L"\\log.txt", "mutex-dropped " + before + "\n");
            StopWithin(stop.get(), parent.get(), INFINITE);
        }
        return 0;
    }

    if (pipeAfter > 0 || go) {
        SetEvent(ready.get());
        if (!DelayOver(go.get(), stop.get(), parent.get(), pipeAfter)) return 0;
    }
    StandIn service(Widen(pipeName.c_str()), record, ready.get(), stop.get(), parent.get());
    return service.Run() == 0 ? 0 : 4;
}
