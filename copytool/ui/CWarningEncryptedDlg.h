// The loss-of-encryption question (template 105): an encrypted file or folder is to go
// to a destination that cannot encrypt. Yes copies (or moves) it without encryption,
// skip leaves it out; the check box applies either (or cancel) to all later items of
// its kind.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "CQuestionDlg.h"

namespace Marlin::Sluice {
class SluiceExceptionEncrypted;
}

namespace Marlin {

class CWarningEncryptedDlg : public CQuestionDlg {
public:
    enum : int32_t { ResultWithoutEncryption = 0, ResultSkip = 1, ResultCancel = 2 };

    // time: the last-write time of a file, the creation time of a folder; size counts
    // for a file only.
    CWarningEncryptedDlg(std::wstring path, const FILETIME& time, uint64_t size, bool isFile, int32_t move);
    explicit CWarningEncryptedDlg(const Marlin::Sluice::SluiceExceptionEncrypted& question, int32_t move);
    ~CWarningEncryptedDlg() override;

    bool IsFile() const { return isFile_; }
    const FILETIME& Time() const { return time_; }
    uint64_t Size() const { return size_; }

protected:
    BOOL OnInitDialog() override;

private:
    std::wstring path_;
    FILETIME time_;
    uint64_t size_;
    bool isFile_;
    int32_t move_;
};

}  // namespace Marlin
