#include "JobObserver.h"

#include <sstream>

#include "SluiceCoreEvent.h"
#include "SluiceException.h"
#include "SluiceExceptionEncrypted.h"
#include "SluiceExceptionNotFreeSpace.h"
#include "SluiceExceptionOverwrite.h"
#include "SluiceExceptionRetryFile.h"
#include "TestHarness.h"
#include "WindowsFileException.h"

using namespace Marlin::Sluice;

namespace algotest {

namespace {

bool IsFolder(const WIN32_FILE_ATTRIBUTE_DATA& data) { return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

void Describe(const Marlin::Exception* exception, Seen& seen) {
    if (!exception) return;
    const auto* engine = dynamic_cast<const SluiceException*>(exception);
    seen.type = engine ? engine->type : -1;
    if (const auto* retry = dynamic_cast<const SluiceExceptionRetryFile*>(exception)) {
        if (retry->inner) {
            seen.error = retry->inner->error;
            seen.path = retry->inner->path;
        }
    } else if (const auto* overwrite = dynamic_cast<const SluiceExceptionOverwrite*>(exception)) {
        seen.path = overwrite->sourcePath;
        seen.destinationPath = overwrite->destinationPath;
        seen.sourceIsFolder = IsFolder(overwrite->sourceAttributes);
        seen.destinationIsFolder = IsFolder(overwrite->destinationAttributes);
    } else if (const auto* encrypted = dynamic_cast<const SluiceExceptionEncrypted*>(exception)) {
        seen.path = encrypted->path;
    } else if (const auto* space = dynamic_cast<const SluiceExceptionNotFreeSpace*>(exception)) {
        seen.shortfall = space->shortfall;
    } else if (const auto* file = dynamic_cast<const Marlin::WindowsFileException*>(exception)) {
        seen.error = file->error;
        seen.path = file->path;
    }
}

}  // namespace

JobObserver::JobObserver() = default;
JobObserver::~JobObserver() = default;

void JobObserver::Update(DesignPatterns::IObservable* observable) {
    auto* event = dynamic_cast<SluiceCoreEvent*>(observable);
    if (!event) return;
    Seen seen;
    seen.code = event->code;
    Describe(event->status.exception(), seen);
    seen.totalMs = event->status.totalElapsedMs;
    seen.copyMs = event->status.copyElapsedMs;
    seen.bytesTotal = event->status.byteCounts.total;
    seen.bytesRead = event->status.byteCounts.read;
    seen.bytesWritten = event->status.byteCounts.written;
    seen.readingPath = event->status.readingPath;
    seen.writingPath = event->status.writingPath;
    if (seen.code == SluiceCoreEvent::Enumerated) cancelEvent_.store(event->cancelEvent);

    Check check;
    {
        std::lock_guard<std::mutex> guard(lock_);
        check = check_;
    }
    if (check) check(seen);

    if (seen.code == SluiceCoreEvent::Question) {
        Reply reply{SluiceCoreEvent::Cancel, 0};
        Script script;
        {
            std::lock_guard<std::mutex> guard(lock_);
            script = script_;
        }
        if (script) {
            reply = script(seen);
        } else {
            std::lock_guard<std::mutex> guard(lock_);
            if (nextReply_ < replies_.size()) {
                reply = replies_[nextReply_++];
            } else {
                std::ostringstream what;
                what << "unexpected question: type " << seen.type << " error " << seen.error << " path "
                     << quaytest::Utf8(seen.path);
                complaints_.push_back(what.str());
            }
        }
        seen.answer = reply.answer;
        seen.applyToAll = reply.applyToAll;
        event->answer = reply.answer;
        event->applyToAll = reply.applyToAll;
    }
    std::lock_guard<std::mutex> guard(lock_);
    seen_.push_back(std::move(seen));
}

void JobObserver::Answer(std::vector<Reply> replies) {
    std::lock_guard<std::mutex> guard(lock_);
    replies_ = std::move(replies);
    nextReply_ = 0;
}

void JobObserver::SetScript(Script script) {
    std::lock_guard<std::mutex> guard(lock_);
    script_ = std::move(script);
}

void JobObserver::SetCheck(Check check) {
    std::lock_guard<std::mutex> guard(lock_);
    check_ = std::move(check);
}

std::vector<Seen> JobObserver::All() const {
    std::lock_guard<std::mutex> guard(lock_);
    return seen_;
}

std::vector<Seen> JobObserver::With(int32_t code) const {
    std::vector<Seen> out;
    for (const Seen& s : All())
        if (s.code == code) out.push_back(s);
    return out;
}

std::string JobObserver::Outline() const {
    std::string out;
    for (const Seen& s : All()) {
        if (s.code == SluiceCoreEvent::ReadProgress || s.code == SluiceCoreEvent::WriteProgress) continue;
        if (!out.empty()) out += ' ';
        out += std::to_string(s.code);
    }
    return out;
}

size_t JobObserver::Count(int32_t code) const { return With(code).size(); }

void JobObserver::Complain(const std::string& problem) {
    std::lock_guard<std::mutex> guard(lock_);
    complaints_.push_back(problem);
}

std::vector<std::string> JobObserver::Complaints() const {
    std::lock_guard<std::mutex> guard(lock_);
    return complaints_;
}

void RequireNoComplaints(const JobObserver& observer) {
    const std::vector<std::string> complaints = observer.Complaints();
    for (const std::string& c : complaints) quaytest::ReportFailure(__FILE__, __LINE__, c);
    if (!complaints.empty()) throw quaytest::Failure{};
}

}  // namespace algotest
