// Question: a platform call on one item failed; retry, skip or cancel? Made from the
// WindowsFileException of the failed step, with what the dialog needs to show the item
// (the nearest path that still exists and its attributes) and whether offering
// administrator rights makes sense.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "FileAttributeData.h"
#include "SluiceException.h"
#include "WindowsFileException.h"

namespace Marlin::Sluice {

class ElevationProbe;

class SluiceExceptionRetryFile : public SluiceException {
public:
    SluiceExceptionRetryFile();
#ifdef _WIN32
    // Borrows error as inner: the engine asks while the caught exception is still alive.
    // These look at the file system and the token; the pipe reader, which also builds
    // natively, makes the exception empty and fills it.
    explicit SluiceExceptionRetryFile(const Marlin::WindowsFileException& error);
    SluiceExceptionRetryFile(const Marlin::WindowsFileException& error, const ElevationProbe& elevation);
    // A temporary would be gone before anyone looked at inner.
    explicit SluiceExceptionRetryFile(Marlin::WindowsFileException&&) = delete;
    SluiceExceptionRetryFile(Marlin::WindowsFileException&&, const ElevationProbe&) = delete;
#endif

    // A copy of an exception that owns its inner exception owns a copy of it, so each
    // deletes only its own and a copy may outlive the original. A borrowed inner stays
    // borrowed.
    SluiceExceptionRetryFile(const SluiceExceptionRetryFile& other);
    SluiceExceptionRetryFile(SluiceExceptionRetryFile&& other) noexcept;
    SluiceExceptionRetryFile& operator=(SluiceExceptionRetryFile other) noexcept;
    ~SluiceExceptionRetryFile() override;

    // Takes ownership, as the pipe reader does with a received inner exception.
    void AdoptInner(std::unique_ptr<Marlin::WindowsFileException> owned);
    // Refers to an exception that someone else keeps alive longer than this one.
    void BorrowInner(const Marlin::WindowsFileException* borrowed);

    void swap(SluiceExceptionRetryFile& other) noexcept;

    int32_t ownsInner = 0;                           // 1: inner is deleted with this exception
    const Marlin::WindowsFileException* inner = nullptr;
    std::wstring path;                               // the item, or its parent when it is gone
    Marlin::FileAttributeData attributes{};          // of path; zero unless attributesValid
    int32_t attributesValid = 0;
    int32_t elevated = 0;                            // 1: administrator rights would add nothing

private:
#ifdef _WIN32
    void Locate(const std::wstring& failedPath);
#endif
    void ReleaseInner() noexcept;
};

}  // namespace Marlin::Sluice
