#include "HandOffReply.h"

#include "CDataConverter.h"
#include "CDataParser.h"

namespace Marlin {

namespace {

// Takes the status and leaves the parser after it; true only for status 0.
bool ReadStatus(CDataParser& in) {
    int32_t status = -1;
    return in.Get(status) && status == 0;
}

}  // namespace

std::wstring HandOffReply::PipeName(uint32_t processId, uint32_t threadId) {
    return L"\\\\.\\pipe\\{B7EA0F4A-3790-484d-BBE8-4284D7370C19}-" + std::to_wstring(processId) + L"-" +
           std::to_wstring(threadId);
}

std::wstring HandOffReply::Parameters(const std::wstring& pipeName) { return L"/FCP " + pipeName; }

std::vector<uint8_t> HandOffReply::StatusReply(int32_t status) {
    CDataConverter out(LengthWidth::Four);
    out.Put(status);
    return out.Buffer();
}

std::vector<uint8_t> HandOffReply::SourcesReply(const std::vector<std::wstring>& sources) {
    CDataConverter out(LengthWidth::Four);
    out.Put(int32_t{kSuccess});
    out.Put(sources);
    return out.Buffer();
}

std::vector<uint8_t> HandOffReply::DestinationReply(const std::wstring& destination) {
    CDataConverter out(LengthWidth::Four);
    out.Put(int32_t{kSuccess});
    out.Put(std::wstring_view(destination));
    return out.Buffer();
}

std::vector<uint8_t> HandOffReply::OperationReply(int32_t operation) {
    CDataConverter out(LengthWidth::Four);
    out.Put(int32_t{kSuccess});
    out.Put(operation);
    return out.Buffer();
}

std::vector<uint8_t> HandOffReply::Request(int32_t command) {
    CDataConverter out(LengthWidth::Four);
    out.Put(command);
    return out.Buffer();
}

bool HandOffReply::ReadSources(const uint8_t* reply, size_t size, std::vector<std::wstring>& sources) {
    if (reply == nullptr) return false;
    CDataParser in(reply, size, LengthWidth::Four);
    std::vector<std::wstring> read;
    if (!ReadStatus(in) || !in.Get(read) || !in.AtEnd()) return false;
    sources.insert(sources.end(), std::make_move_iterator(read.begin()), std::make_move_iterator(read.end()));
    return true;
}

bool HandOffReply::ReadDestination(const uint8_t* reply, size_t size, std::wstring& destination) {
    if (reply == nullptr) return false;
    CDataParser in(reply, size, LengthWidth::Four);
    std::wstring read;
    if (!ReadStatus(in) || !in.Get(read) || !in.AtEnd()) return false;
    destination = std::move(read);
    return true;
}

bool HandOffReply::ReadOperation(const uint8_t* reply, size_t size, int32_t& operation) {
    if (reply == nullptr) return false;
    CDataParser in(reply, size, LengthWidth::Four);
    int32_t read = -1;
    if (!ReadStatus(in) || !in.Get(read) || !in.AtEnd()) return false;
    if (read != kCopy && read != kMove) return false;
    operation = read;
    return true;
}

}  // namespace Marlin
