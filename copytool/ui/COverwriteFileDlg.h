// The file overwrite question (template 104): an existing file at the destination and
// the file that would replace it, each with name, location, size and last-write time.
// Yes overwrites, skip keeps the existing file; the check box applies either (or cancel)
// to all later file-over-file conflicts.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "CDialog.h"

namespace Marlin::Sluice {
class SluiceExceptionOverwrite;
}

namespace Marlin {

class COverwriteFileDlg : public CDialog {
public:
    enum Result : int32_t { ResultOverwrite = 0, ResultSkip = 1, ResultCancel = 2 };

    COverwriteFileDlg(std::wstring destinationPath, const FILETIME& destinationTime, uint64_t destinationSize,
                      std::wstring sourcePath, const FILETIME& sourceTime, uint64_t sourceSize);
    // The two files of an overwrite question, with their last-write times and sizes.
    explicit COverwriteFileDlg(const Marlin::Sluice::SluiceExceptionOverwrite& question);
    ~COverwriteFileDlg() override;

    // Cancel until a button is pressed.
    int32_t Result() const { return result_; }
    int32_t ApplyToAll() const { return applyToAll_; }

    const std::wstring& DestinationPath() const { return destinationPath_; }
    const std::wstring& SourcePath() const { return sourcePath_; }

protected:
    BOOL OnInitDialog() override;
    BOOL OnCommand(UINT id, UINT notifyCode, HWND control) override;
    void OnOK() override;
    void OnCancel() override;

private:
    void ShowFile(int nameId, int locationId, int sizeId, int timeId, const std::wstring& path,
                  const FILETIME& time, uint64_t size);
    void Answer(int32_t result);

    std::wstring destinationPath_;
    FILETIME destinationTime_;
    uint64_t destinationSize_;
    std::wstring sourcePath_;
    FILETIME sourceTime_;
    uint64_t sourceSize_;
    int32_t result_ = ResultCancel;
    int32_t applyToAll_ = 0;
};

}  // namespace Marlin
