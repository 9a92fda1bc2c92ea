#include "SluiceExceptionRetryFile.h"

#include <utility>

#ifdef _WIN32
#include "ElevationProbe.h"
#include "Paths.h"
#endif

namespace Marlin::Sluice {

SluiceExceptionRetryFile::SluiceExceptionRetryFile() : SluiceException(RetryQuestion) {}

#ifdef _WIN32
namespace {

bool ReadAttributes(const std::wstring& path, WIN32_FILE_ATTRIBUTE_DATA& attributes) {
    if (GetFileAttributesExW(Marlin::ToLongPath(path).c_str(), GetFileExInfoStandard, &attributes)) return true;
    // The dialog shows whatever the block holds, so a failed query must not leave
    // anything half written behind.
    attributes = WIN32_FILE_ATTRIBUTE_DATA{};
    return false;
}

}  // namespace

SluiceExceptionRetryFile::SluiceExceptionRetryFile(const Marlin::WindowsFileException& error)
    : SluiceExceptionRetryFile(error, ElevationProbe()) {}

SluiceExceptionRetryFile::SluiceExceptionRetryFile(const Marlin::WindowsFileException& error,
                                                   const ElevationProbe& elevation)
    : SluiceException(error, RetryQuestion), inner(&error) {
    Locate(error.path);
    this->elevated = elevation.Elevated();
}

// The failed item itself may be gone by now (a deleted source, a destination that was
// never created); then its folder is what the user can still look at. A drive root is
// never queried: its attributes say nothing the dialog could show.
void SluiceExceptionRetryFile::Locate(const std::wstring& failedPath) {
    path = failedPath;
    if (Marlin::IsDriveRoot(path)) return;
    // Streams have no attributes of their own worth showing; the file they belong to does.
    path = Marlin::RemoveStreamName(path);
    attributesValid = ReadAttributes(path, attributes) ? 1 : 0;
    if (attributesValid) return;
    path = Marlin::GetParentFolder(path, 1);
    if (!Marlin::IsDriveRoot(path)) attributesValid = ReadAttributes(path, attributes) ? 1 : 0;
}
#endif

SluiceExceptionRetryFile::SluiceExceptionRetryFile(const SluiceExceptionRetryFile& other)
    : SluiceException(other),
      ownsInner(other.ownsInner),
      inner(other.inner),
      path(other.path),
      attributes(other.attributes),
      attributesValid(other.attributesValid),
      elevated(other.elevated) {
    if (ownsInner && inner) inner = new Marlin::WindowsFileException(*other.inner);
}

SluiceExceptionRetryFile::SluiceExceptionRetryFile(SluiceExceptionRetryFile&& other) noexcept
    : SluiceException(std::move(other)),
      ownsInner(std::exchange(other.ownsInner, 0)),
      inner(other.inner),
      path(std::move(other.path)),
      attributes(other.attributes),
      attributesValid(other.attributesValid),
      elevated(other.elevated) {
    if (ownsInner) other.inner = nullptr;
}

SluiceExceptionRetryFile& SluiceExceptionRetryFile::operator=(SluiceExceptionRetryFile other) noexcept {
    swap(other);
    return *this;
}

SluiceExceptionRetryFile::~SluiceExceptionRetryFile() { ReleaseInner(); }

void SluiceExceptionRetryFile::swap(SluiceExceptionRetryFile& other) noexcept {
    using std::swap;
    swap(message, other.message);
    swap(code, other.code);
    swap(type, other.type);
    swap(ownsInner, other.ownsInner);
    swap(inner, other.inner);
    swap(path, other.path);
    swap(attributes, other.attributes);
    swap(attributesValid, other.attributesValid);
    swap(elevated, other.elevated);
}

void SluiceExceptionRetryFile::AdoptInner(std::unique_ptr<Marlin::WindowsFileException> owned) {
    ReleaseInner();
    inner = owned.release();
    ownsInner = inner ? 1 : 0;
}

void SluiceExceptionRetryFile::BorrowInner(const Marlin::WindowsFileException* borrowed) {
    if (borrowed == inner) {
        // Borrowing what is owned here would delete it under the borrower's feet.
        if (ownsInner) return;
    } else {
        ReleaseInner();
    }
    inner = borrowed;
    ownsInner = 0;
}

void SluiceExceptionRetryFile::ReleaseInner() noexcept {
    if (ownsInner) delete inner;
    inner = nullptr;
    ownsInner = 0;
}

}  // namespace Marlin::Sluice
