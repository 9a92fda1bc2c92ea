#include "ElevateFixtures.h"

#include <typeinfo>

#include "SluiceCoreEvent.h"
#include "TestFiles.h"
#include "TestHarness.h"

namespace elevatetest {

std::wstring QuaysailPath() {
    std::wstring path = quaytest::Widen(QUAYSAIL_EXE_PATH);
    for (auto& c : path)
        if (c == L'/') c = L'\\';
    return L"Z:" + path;
}

CountingLauncher::CountingLauncher(std::string child) : child_(std::move(child)) {}

BOOL CountingLauncher::Execute(SHELLEXECUTEINFOW& info) {
    ++launches;
    verbUsed = info.lpVerb ? info.lpVerb : L"";
    if (failWith != 0) {
        ::SetLastError(failWith);
        return FALSE;
    }
    if (!child_.empty()) {
        parameters_ = L"--child " + quaytest::Widen(child_) + L" " + info.lpParameters;
        info.lpParameters = parameters_.c_str();
    }
    const BOOL ok = ElevatedInstanceLauncher::Execute(info);
    if (ok && info.hProcess) {
        HANDLE copy = nullptr;
        if (::DuplicateHandle(::GetCurrentProcess(), info.hProcess, ::GetCurrentProcess(), &copy, 0, FALSE,
                              DUPLICATE_SAME_ACCESS))
            process.reset(copy);
    }
    return ok;
}

std::wstring CountingLauncher::ProgramPath() const {
    if (child_.empty()) return QuaysailPath();
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    return self;
}

void RecordingServer::OnCommand(const std::vector<uint8_t>& message) {
    {
        std::lock_guard<std::mutex> hold(lock_);
        int32_t command = -1;
        if (message.size() >= 4)
            command = static_cast<int32_t>(message[0] | message[1] << 8 | message[2] << 16 | uint32_t(message[3]) << 24);
        commands_.push_back(command);
    }
    SluiceCopyAlgorithmMultiThreadElevate::OnCommand(message);
}

std::vector<int32_t> RecordingServer::Commands() const {
    std::lock_guard<std::mutex> hold(lock_);
    return commands_;
}

void EventLog::Update(DesignPatterns::IObservable* observable) {
    auto* event = dynamic_cast<Marlin::Sluice::SluiceCoreEvent*>(observable);
    if (!event) return;
    {
        std::lock_guard<std::mutex> hold(lock_);
        const Marlin::Exception* e = event->status.exception();
        entries_.push_back({event->code, e ? typeid(*e).name() : "", event->status.readingPath,
                            event->status.totalElapsedMs});
    }
    if (event->code == Marlin::Sluice::SluiceCoreEvent::Question) {
        event->answer = answer;
        event->applyToAll = applyToAll;
    }
    if (hook) hook(*event);
}

std::vector<EventLog::Entry> EventLog::Entries() const {
    std::lock_guard<std::mutex> hold(lock_);
    return entries_;
}

std::vector<int32_t> EventLog::Codes() const {
    std::vector<int32_t> codes;
    for (const Entry& e : Entries()) codes.push_back(e.code);
    return codes;
}

std::string Join(const std::vector<int32_t>& values) {
    std::string s;
    for (int32_t v : values) s += (s.empty() ? "" : " ") + std::to_string(v);
    return s;
}

std::wstring OwnPipeName() {
    return Marlin::Sluice::SluiceCopyAlgorithmMultiThreadElevate::PipeNameFor(::GetCurrentProcessId());
}

namespace {

std::wstring SignalName(const char* what, DWORD parent) {
    return L"Local\\quaytest-elevate-" + quaytest::Widen(what) + L"-" + std::to_wstring(parent);
}

}  // namespace

Marlin::KernelHandle MakeSignal(const char* what) {
    return Marlin::KernelHandle(
        ::CreateEventW(nullptr, TRUE, FALSE, SignalName(what, ::GetCurrentProcessId()).c_str()));
}

Marlin::KernelHandle OpenSignal(const char* what, const std::string& parentId) {
    return Marlin::KernelHandle(
        ::OpenEventW(EVENT_ALL_ACCESS, FALSE, SignalName(what, static_cast<DWORD>(std::stoul(parentId))).c_str()));
}

int SquatElevationPipe(const std::string& parentId) {
    const std::wstring name =
        Marlin::Sluice::SluiceCopyAlgorithmMultiThreadElevate::PipeNameFor(static_cast<DWORD>(std::stoul(parentId)));
    Marlin::KernelHandle pipe(::CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT,
                                                 PIPE_UNLIMITED_INSTANCES, 1024, 1024, 0, nullptr));
    if (!pipe || pipe.get() == INVALID_HANDLE_VALUE) return 50;
    Marlin::KernelHandle ready = OpenSignal("squat-ready", parentId);
    if (!ready) return 51;
    ::SetEvent(ready.get());
    if (!::ConnectNamedPipe(pipe.get(), nullptr) && ::GetLastError() != ERROR_PIPE_CONNECTED) return 52;
    DWORD received = 0;
    char buffer[256];
    DWORD got = 0;
    while (::ReadFile(pipe.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) received += got;
    return received == 0 ? 0 : 53;
}

NormalSide::NormalSide() {
    option.destination = L"D:\\dst";
    event.Attach(&log);
    total.Start();
    copy.Start();
}

}  // namespace elevatetest
