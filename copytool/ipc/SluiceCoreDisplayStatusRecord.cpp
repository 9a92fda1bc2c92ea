#include "SluiceCoreDisplayStatusRecord.h"

#include <string>
#include <utility>

#include "Exception.h"
#include "SluiceException.h"
#include "SluiceExceptionEncrypted.h"
#include "SluiceExceptionNotFreeSpace.h"
#include "SluiceExceptionOverwrite.h"
#include "SluiceExceptionRetryFile.h"
#include "WindowsException.h"
#include "WindowsFileException.h"

namespace Marlin {

using Sluice::ReadWriteData;
using Sluice::SluiceCoreDisplayStatus;
using Sluice::SluiceCoreDisplayStatusLapTime;
using Sluice::SluiceException;
using Sluice::SluiceExceptionEncrypted;
using Sluice::SluiceExceptionNotFreeSpace;
using Sluice::SluiceExceptionOverwrite;
using Sluice::SluiceExceptionRetryFile;

namespace {

constexpr size_t kLapSize = 16;

void PutBase(CDataConverter& out, const Exception& e) {
    out.Put(std::string_view(e.message));
    out.Put(e.code);
}

int GetBase(CDataParser& in, Exception& e) { return in.Get(e.message) && in.Get(e.code); }

void PutFileError(CDataConverter& out, const WindowsFileException& e) {
    PutBase(out, e);
    out.Put(e.error);
    out.Put(std::wstring_view(e.path));
}

int GetFileError(CDataParser& in, WindowsFileException& e) {
    return GetBase(in, e) && in.Get(e.error) && in.Get(e.path);
}

void PutCounts(CDataConverter& out, const ReadWriteData& d) {
    out.Put(d.total);
    out.Put(d.read);
    out.Put(d.written);
}

int GetCounts(CDataParser& in, ReadWriteData& d) { return in.Get(d.total) && in.Get(d.read) && in.Get(d.written); }

void PutLap(CDataConverter& out, const SluiceCoreDisplayStatusLapTime& lap) {
    out.Put(lap.milliseconds);
    out.Put(lap.bytes);
}

int GetLap(CDataParser& in, SluiceCoreDisplayStatusLapTime& lap) {
    return in.Get(lap.milliseconds) && in.Get(lap.bytes);
}

void PutLaps(CDataConverter& out, const SluiceCoreDisplayStatus::LapTimes& laps) {
    out.PutList(laps, [](CDataConverter& o, const SluiceCoreDisplayStatusLapTime& lap) { PutLap(o, lap); });
}

int GetLaps(CDataParser& in, SluiceCoreDisplayStatus::LapTimes& laps) {
    return in.GetList(laps, kLapSize, [](CDataParser& p, SluiceCoreDisplayStatusLapTime& lap) { return GetLap(p, lap); });
}

// Each reader makes its class, fills it, and hands it over only when every field was there.
template <class T, class Fill>
int Make(std::unique_ptr<Exception>& out, Fill&& fill) {
    auto made = std::make_unique<T>();
    if (!fill(*made)) return 0;
    out = std::move(made);
    return 1;
}

}  // namespace

void SluiceCoreDisplayStatusRecord::PutException(CDataConverter& out, const Exception* e) {
    if (!e) {
        out.Put(int32_t{NoException});
    } else if (const auto* retry = dynamic_cast<const SluiceExceptionRetryFile*>(e)) {
        out.Put(int32_t{RetryQuestion});
        PutBase(out, *retry);
        out.Put(retry->type);
        out.Put(std::wstring_view(retry->path));
        out.Put(retry->attributes);
        out.Put(retry->attributesValid);
        out.Put(retry->elevated);
        if (retry->inner) {
            out.Put(int32_t{WindowsFileError});
            PutFileError(out, *retry->inner);
        } else {
            out.Put(int32_t{NoException});
        }
    } else if (const auto* overwrite = dynamic_cast<const SluiceExceptionOverwrite*>(e)) {
        out.Put(int32_t{OverwriteQuestion});
        PutBase(out, *overwrite);
        out.Put(overwrite->type);
        out.Put(std::wstring_view(overwrite->sourcePath));
        out.Put(overwrite->sourceAttributes);
        out.Put(std::wstring_view(overwrite->destinationPath));
        out.Put(overwrite->destinationAttributes);
    } else if (const auto* space = dynamic_cast<const SluiceExceptionNotFreeSpace*>(e)) {
        out.Put(int32_t{NotFreeSpaceError});
        PutBase(out, *space);
        out.Put(space->type);
        out.Put(space->shortfall);
    } else if (const auto* encrypted = dynamic_cast<const SluiceExceptionEncrypted*>(e)) {
        out.Put(int32_t{EncryptedQuestion});
        PutBase(out, *encrypted);
        out.Put(encrypted->type);
        out.Put(std::wstring_view(encrypted->path));
        out.Put(encrypted->attributes);
    } else if (const auto* engine = dynamic_cast<const SluiceException*>(e)) {
        out.Put(int32_t{EngineException});
        PutBase(out, *engine);
        out.Put(engine->type);
    } else if (const auto* fileError = dynamic_cast<const WindowsFileException*>(e)) {
        out.Put(int32_t{WindowsFileError});
        PutFileError(out, *fileError);
    } else if (const auto* error = dynamic_cast<const WindowsException*>(e)) {
        out.Put(int32_t{WindowsError});
        PutBase(out, *error);
        out.Put(error->error);
    } else {
        out.Put(int32_t{PlainException});
        PutBase(out, *e);
    }
}

int SluiceCoreDisplayStatusRecord::GetException(CDataParser& in, std::unique_ptr<Exception>& exception) {
    std::unique_ptr<Exception> read;
    const int ok = in.GetRecord([&read](CDataParser& p) {
        int32_t tag = 0;
        if (!p.Get(tag)) return 0;
        switch (tag) {
        case NoException:
            return 1;
        case PlainException:
            return Make<Exception>(read, [&p](Exception& e) { return GetBase(p, e); });
        case WindowsError:
            return Make<WindowsException>(read, [&p](WindowsException& e) { return GetBase(p, e) && p.Get(e.error); });
        case WindowsFileError:
            return Make<WindowsFileException>(read, [&p](WindowsFileException& e) { return GetFileError(p, e); });
        case EngineException:
            return Make<SluiceException>(read, [&p](SluiceException& e) { return GetBase(p, e) && p.Get(e.type); });
        case EncryptedQuestion:
            return Make<SluiceExceptionEncrypted>(read, [&p](SluiceExceptionEncrypted& e) {
                return GetBase(p, e) && p.Get(e.type) && p.Get(e.path) && p.Get(e.attributes);
            });
        case NotFreeSpaceError:
            return Make<SluiceExceptionNotFreeSpace>(read, [&p](SluiceExceptionNotFreeSpace& e) {
                return GetBase(p, e) && p.Get(e.type) && p.Get(e.shortfall);
            });
        case OverwriteQuestion:
            return Make<SluiceExceptionOverwrite>(read, [&p](SluiceExceptionOverwrite& e) {
                return GetBase(p, e) && p.Get(e.type) && p.Get(e.sourcePath) && p.Get(e.sourceAttributes) &&
                       p.Get(e.destinationPath) && p.Get(e.destinationAttributes);
            });
        case RetryQuestion:
            return Make<SluiceExceptionRetryFile>(read, [&p](SluiceExceptionRetryFile& e) {
                int32_t innerTag = 0;
                if (!GetBase(p, e) || !p.Get(e.type) || !p.Get(e.path) || !p.Get(e.attributes) ||
                    !p.Get(e.attributesValid) || !p.Get(e.elevated) || !p.Get(innerTag))
                    return 0;
                if (innerTag == NoException) return 1;
                if (innerTag != WindowsFileError) return 0;
                auto inner = std::make_unique<WindowsFileException>();
                if (!GetFileError(p, *inner)) return 0;
                e.AdoptInner(std::move(inner));
                return 1;
            });
        default:
            return 0;  // above 8, or below 0
        }
    });
    if (ok) exception = std::move(read);
    return ok;
}

void SluiceCoreDisplayStatusRecord::Put(CDataConverter& out, const SluiceCoreDisplayStatus& s) {
    out.Put(s.totalElapsedMs);
    out.Put(s.copyElapsedMs);
    PutCounts(out, s.byteCounts);
    PutCounts(out, s.weightedByteCounts);
    PutCounts(out, s.itemCounts);
    out.Put(std::wstring_view(s.sourceFolder));
    out.Put(std::wstring_view(s.destinationFolder));
    out.Put(std::wstring_view(s.readingPath));
    out.Put(std::wstring_view(s.writingPath));
    PutLap(out, s.lastRead);
    PutLap(out, s.lastWrite);
    PutLaps(out, s.readLaps);
    PutLaps(out, s.writeLaps);
    PutLaps(out, s.readTotals);
    PutLaps(out, s.writeTotals);
    PutException(out, s.exception());
}

int SluiceCoreDisplayStatusRecord::Get(CDataParser& in, SluiceCoreDisplayStatus& status) {
    SluiceCoreDisplayStatus s;
    std::unique_ptr<Exception> exception;
    const int ok = in.GetRecord([&s, &exception](CDataParser& p) {
        return p.Get(s.totalElapsedMs) && p.Get(s.copyElapsedMs) && GetCounts(p, s.byteCounts) &&
               GetCounts(p, s.weightedByteCounts) && GetCounts(p, s.itemCounts) && p.Get(s.sourceFolder) &&
               p.Get(s.destinationFolder) && p.Get(s.readingPath) && p.Get(s.writingPath) && GetLap(p, s.lastRead) &&
               GetLap(p, s.lastWrite) && GetLaps(p, s.readLaps) && GetLaps(p, s.writeLaps) &&
               GetLaps(p, s.readTotals) && GetLaps(p, s.writeTotals) && GetException(p, exception);
    });
    if (!ok) return 0;
    s.AttachException(std::move(exception));
    status = std::move(s);
    return 1;
}

}  // namespace Marlin
