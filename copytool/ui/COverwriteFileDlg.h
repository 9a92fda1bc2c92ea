// The file overwrite question (template 104): an existing file at the destination and
// the file that would replace it, each with name, location, size and last-write time.
// Yes overwrites, skip keeps the existing file; the check box applies either (or cancel)
// to all later file-over-file conflicts.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "CQuestionDlg.h"

namespace Marlin::Sluice {
class SluiceExceptionOverwrite;
}

namespace Marlin {

class COverwriteFileDlg : public CQuestionDlg {
public:
    enum : int32_t { ResultOverwrite = 0, ResultSkip = 1, ResultCancel = 2 };

    COverwriteFileDlg(std::wstring destinationPath, const FILETIME& destinationTime, uint64_t destinationSize,
                      std::wstring sourcePath, const FILETIME& sourceTime, uint64_t sourceSize);
    // The two files of an overwrite question, with their last-write times and sizes.
    explicit COverwriteFileDlg(const Marlin::Sluice::SluiceExceptionOverwrite& question);
    ~COverwriteFileDlg() override;

    const std::wstring& DestinationPath() const { return destinationPath_; }
    const std::wstring& SourcePath() const { return sourcePath_; }

protected:
    BOOL OnInitDialog() override;

private:
    void ShowFile(int nameId, int locationId, int sizeId, int timeId, const std::wstring& path,
                  const FILETIME& time, uint64_t size);

    std::wstring destinationPath_;
    FILETIME destinationTime_;
    uint64_t destinationSize_;
    std::wstring sourcePath_;
    FILETIME sourceTime_;
    uint64_t sourceSize_;
};

}  // namespace Marlin
