#include "QuestionFixtures.h"

#include "WindowsFileException.h"

namespace quaytest {

FILETIME TimeBeyondCalendar() { return FILETIME{0xFFFFFFFFu, 0xFFFFFFFFu}; }

WIN32_FILE_ATTRIBUTE_DATA Attributes(const Item& item) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    data.dwFileAttributes = item.attributes;
    data.ftCreationTime = item.created;
    data.ftLastAccessTime = item.accessed;
    data.ftLastWriteTime = item.written;
    data.nFileSizeHigh = static_cast<DWORD>(item.size >> 32);
    data.nFileSizeLow = static_cast<DWORD>(item.size);
    return data;
}

Item FileItem(uint64_t size, const FILETIME& created, const FILETIME& written) {
    Item item;
    item.attributes = FILE_ATTRIBUTE_ARCHIVE;
    item.created = created;
    item.accessed = Moment(2001, 1, 1, 0, 0);
    item.written = written;
    item.size = size;
    return item;
}

Item FolderItem(const FILETIME& created, const FILETIME& written) {
    Item item;
    item.attributes = FILE_ATTRIBUTE_DIRECTORY;
    item.created = created;
    item.accessed = Moment(2001, 1, 1, 0, 0);
    item.written = written;
    // A folder's block may carry a size; the dialogs must not show it.
    item.size = 4096;
    return item;
}

std::unique_ptr<Marlin::Sluice::SluiceExceptionRetryFile> RetryQuestion(uint32_t error, const std::wstring& path,
                                                                        const Item* item, int32_t elevated) {
    auto question = std::make_unique<Marlin::Sluice::SluiceExceptionRetryFile>();
    question->AdoptInner(std::make_unique<Marlin::WindowsFileException>(error, path));
    question->path = path;
    if (item) {
        question->attributes = Attributes(*item);
        question->attributesValid = 1;
    }
    question->elevated = elevated;
    return question;
}

std::unique_ptr<Marlin::Sluice::SluiceExceptionOverwrite> OverwriteQuestion(const std::wstring& source,
                                                                            const Item& sourceItem,
                                                                            const std::wstring& destination,
                                                                            const Item& destinationItem) {
    return std::make_unique<Marlin::Sluice::SluiceExceptionOverwrite>(source, Attributes(sourceItem), destination,
                                                                      Attributes(destinationItem));
}

std::unique_ptr<Marlin::Sluice::SluiceExceptionEncrypted> EncryptedQuestion(const std::wstring& path,
                                                                            const Item& item) {
    return std::make_unique<Marlin::Sluice::SluiceExceptionEncrypted>(path, Attributes(item));
}

}  // namespace quaytest
