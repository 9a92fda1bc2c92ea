#include "ScriptedDestination.h"

namespace optiontest {

Marlin::Sluice::CreateSluiceOptionCmdLine::DestinationQueries ScriptedDestination::Queries() {
    Marlin::Sluice::CreateSluiceOptionCmdLine::DestinationQueries queries;
    queries.describe = [this](Marlin::Sluice::MarlinFileCopyToInfo& record, const std::wstring& destination) {
        described.push_back(destination);
        record.path = destination;
        record.usbAttached = usbAttached;
        // Like the real service client: no answer leaves the record as it was.
        if (!serviceAnswers) return;
        auto& payload = record.diskCache.payload;
        payload.hotplugInformationValid = hotplugValid;
        payload.hotplugInformation.Size = sizeof(STORAGE_HOTPLUG_INFO);
        payload.hotplugInformation.MediaRemovable = mediaRemovable;
        payload.hotplugInformation.MediaHotplug = mediaHotplug;
        payload.hotplugInformation.DeviceHotplug = deviceHotplug;
    };
    queries.fileSystemName = [this](const std::wstring& path, std::wstring& name) {
        fileSystemAsked.push_back(path);
        if (fileSystem.empty()) return false;
        name = fileSystem;
        return true;
    };
    queries.totalBytes = [this](const std::wstring& volumeRoot, uint64_t& total) {
        totalAsked.push_back(volumeRoot);
        if (!totalReadable) return false;
        total = totalBytes;
        return true;
    };
    return queries;
}

}  // namespace optiontest
