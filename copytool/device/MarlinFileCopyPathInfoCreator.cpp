#include "MarlinFileCopyPathInfoCreator.h"

#include <algorithm>

namespace Marlin {

namespace {

wchar_t UpperLetter(wchar_t letter) {
    return (letter >= L'a' && letter <= L'z') ? static_cast<wchar_t>(letter - L'a' + L'A') : letter;
}

// The distinct non-zero drive letters of a device's nodes, in pre-order.
std::vector<wchar_t> DriveLettersOf(const Marlin::CUSBEnumerateExData& device) {
    std::vector<wchar_t> letters;
    for (auto it = device.nodes.begin(); it != device.nodes.end(); ++it) {
        const wchar_t letter = UpperLetter(it->driveLetter);
        if (letter != 0 && std::find(letters.begin(), letters.end(), letter) == letters.end())
            letters.push_back(letter);
    }
    return letters;
}

}  // namespace

MarlinFileCopyPathInfoCreator::MarlinFileCopyPathInfoCreator(MarlinFileCopyPathInfo* record) noexcept
    : RecordCreator(record) {}

MarlinFileCopyPathInfoCreator::~MarlinFileCopyPathInfoCreator() = default;

void MarlinFileCopyPathInfoCreator::SetPath(const std::wstring& path) {
    if (!record_) return;
    record_->path.clear();
    record_->usbAttached = 0;
    record_->device = Marlin::CUSBEnumerateExData();
    record_->path = path;
}

void MarlinFileCopyPathInfoCreator::MatchUsbDevice(const std::vector<Marlin::CUSBEnumerateExData>& devices) {
    if (!record_) return;
    const wchar_t letter = UpperLetter(record_->GetDriveLetter());
    if (letter == 0) return;
    for (const Marlin::CUSBEnumerateExData& device : devices) {
        const std::vector<wchar_t> letters = DriveLettersOf(device);
        if (std::find(letters.begin(), letters.end(), letter) == letters.end()) continue;
        record_->usbAttached = 1;
        record_->device = device;
        return;
    }
}

}  // namespace Marlin
