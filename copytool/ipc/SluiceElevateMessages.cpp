#include "SluiceElevateMessages.h"

#include "CDataConverter.h"
#include "CDataParser.h"
#include "SluiceCoreDisplayStatusRecord.h"
#include "SluiceOptionRecord.h"
#include "SluiceStatusRecord.h"

namespace Marlin {

namespace {

// The parser positioned after a status 0; false for any other status or a cut one.
bool Succeeded(CDataParser& in) {
    int32_t status = -1;
    return in.Get(status) && status == SluiceElevateMessages::kOk;
}

}  // namespace

std::vector<uint8_t> SluiceElevateMessages::Request(int32_t command) {
    CDataConverter out;
    out.Put(command);
    return out.Buffer();
}

std::vector<uint8_t> SluiceElevateMessages::EventRequest(int32_t command, int32_t code,
                                                         const Sluice::SluiceCoreDisplayStatus& status) {
    CDataConverter out;
    out.Put(command);
    out.Put(code);
    SluiceCoreDisplayStatusRecord::Put(out, status);
    return out.Buffer();
}

bool SluiceElevateMessages::ReadOptionReply(const uint8_t* reply, size_t size, Sluice::SluiceOption& option) {
    CDataParser in(reply, size);
    Sluice::SluiceOption read;
    if (!Succeeded(in) || !SluiceOptionRecord::Get(in, read) || !in.AtEnd()) return false;
    option = std::move(read);
    return true;
}

bool SluiceElevateMessages::ReadStatusReply(const uint8_t* reply, size_t size, SluiceStatusRecord& status) {
    CDataParser in(reply, size);
    SluiceStatusRecord read;
    if (!Succeeded(in) || !read.Get(in) || !in.AtEnd()) return false;
    status = std::move(read);
    return true;
}

bool SluiceElevateMessages::ReadEventReply(const uint8_t* reply, size_t size) {
    CDataParser in(reply, size);
    return Succeeded(in) && in.AtEnd();
}

bool SluiceElevateMessages::ReadQuestionReply(const uint8_t* reply, size_t size, int32_t& answer,
                                              int32_t& applyToAll) {
    CDataParser in(reply, size);
    int32_t a = 0;
    int32_t all = 0;
    if (!Succeeded(in) || !in.Get(a) || !in.Get(all) || !in.AtEnd()) return false;
    answer = a;
    applyToAll = all;
    return true;
}

bool SluiceElevateMessages::ReadCancelReply(const uint8_t* reply, size_t size, int32_t& cancelled) {
    CDataParser in(reply, size);
    int32_t value = 0;
    if (!Succeeded(in) || !in.Get(value) || !in.AtEnd()) return false;
    cancelled = value;
    return true;
}

}  // namespace Marlin
