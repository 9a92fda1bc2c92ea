// The folder merge question (template 103): a folder meets an existing folder of the
// same name. Yes merges (the folder's files are then each examined against the
// destination), skip leaves the folder out; the check box applies either (or cancel) to
// all later folder-over-folder conflicts.
//
// Each folder is shown by its display name and, when known, its creation time. A drive
// root has no name of its own, so it is shown as its path and without a time.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "CQuestionDlg.h"

namespace Marlin::Sluice {
class SluiceExceptionOverwrite;
}

namespace Marlin {

class COverwriteFolderDlg : public CQuestionDlg {
public:
    enum : int32_t { ResultMerge = 0, ResultSkip = 1, ResultCancel = 2 };

    // One folder as the dialog shows it.
    struct Folder {
        std::wstring displayName;
        bool creationTimeKnown = false;
        FILETIME creationTime{};
    };
    // The folder at path with its attributes: the path for a drive root, else its
    // file-name part with its creation time.
    static Folder FolderOf(const std::wstring& path, const WIN32_FILE_ATTRIBUTE_DATA& attributes);

    COverwriteFolderDlg(Folder destination, Folder source);
    explicit COverwriteFolderDlg(const Marlin::Sluice::SluiceExceptionOverwrite& question);
    ~COverwriteFolderDlg() override;

    const Folder& Destination() const { return destination_; }
    const Folder& Source() const { return source_; }

protected:
    BOOL OnInitDialog() override;

private:
    void ShowFolder(int nameId, int timeId, const Folder& folder);

    Folder destination_;
    Folder source_;
};

}  // namespace Marlin
