// The replacement of an existing destination file. The new content goes to a file of its
// own under a temporary name in the same folder (same volume, so that putting it in place
// is a rename), and replaces the old file only once it is complete and closed. Until then
// the old file stays exactly as it was: a full disk, a write error answered with skip, a
// cancel or a killed process leave it, and at worst the temporary file, whose name and
// time tell it apart from any copy.
#pragma once

#include <windows.h>

#include <string>

namespace Marlin::Sluice {

class DestinationReplacement {
public:
    DestinationReplacement() = default;
    // For the file at destination (any form ToLongPath accepts).
    explicit DestinationReplacement(std::wstring destination);
    DestinationReplacement(const DestinationReplacement&) = delete;
    DestinationReplacement& operator=(const DestinationReplacement&) = delete;
    DestinationReplacement(DestinationReplacement&& other) noexcept;
    DestinationReplacement& operator=(DestinationReplacement&& other) noexcept;
    // Whatever was not put in place goes.
    ~DestinationReplacement();

    bool Active() const { return !destination_.empty(); }
    const std::wstring& Destination() const { return destination_; }
    // A name next to the destination for the new file; a new one on each call, so a creation
    // that meets an existing file (80) can try another. Created says the last one was made:
    // only a file this object made is ever deleted or renamed by it.
    const std::wstring& NextTemporaryPath();
    void Created() { temporary_ = candidate_; }
    const std::wstring& TemporaryPath() const { return temporary_; }

    // Puts the complete, closed temporary file in the destination's place. The old file's
    // read-only, hidden and system bits would make the replacement fail (access denied), so
    // they are cleared first and put back when it fails anyway. False with the platform's
    // last error set; the old file and the temporary one then both stay as they are.
    bool Commit();
    // Deletes the temporary file; the old destination is not touched.
    void Discard() noexcept;

private:
    std::wstring destination_;
    std::wstring candidate_;
    std::wstring temporary_;
    unsigned attempt_ = 0;
};

}  // namespace Marlin::Sluice
