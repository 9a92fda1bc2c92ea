#include "ReadStreamList.h"

#include <cstddef>
#include <cstring>

#ifdef _WIN32
#include <windows.h>

#include "CBackupStream.h"
#endif

namespace Marlin::Sluice::NTFSDataStream {
namespace {

// WIN32_STREAM_ID up to its name: identifier, attributes, 64-bit size, name size in bytes,
// little-endian. Spelt out rather than taken from the platform's header, so that the
// parsing of these bytes also builds natively, for its fuzz target.
constexpr uint32_t kHeaderSize = 20;
constexpr size_t kIdOffset = 0;
constexpr size_t kSizeOffset = 8;
constexpr size_t kNameSizeOffset = 16;
constexpr uint32_t kBackupData = 1;  // BACKUP_DATA: the file's unnamed default stream
#ifdef _WIN32
static_assert(offsetof(WIN32_STREAM_ID, cStreamName) == kHeaderSize, "the backup stream header is 20 bytes");
static_assert(offsetof(WIN32_STREAM_ID, dwStreamId) == kIdOffset, "identifier at 0");
static_assert(offsetof(WIN32_STREAM_ID, Size) == kSizeOffset, "size at 8");
static_assert(offsetof(WIN32_STREAM_ID, dwStreamNameSize) == kNameSizeOffset, "name size at 16");
static_assert(BACKUP_DATA == kBackupData, "BACKUP_DATA");
#endif

// Stream names are at most a few hundred characters; a larger size can only come from a
// damaged stream and must not make us allocate it.
constexpr uint32_t kLongestNameBytes = 64 * 1024;

constexpr wchar_t kDefaultStreamName[] = L"::$DATA";

// BackupRead may hand a part over in pieces; collects up to size bytes. Returns how many came.
uint32_t ReadFully(IBackupStream& stream, void* buffer, uint32_t size) {
    uint32_t total = 0;
    while (total < size) {
        uint32_t got = 0;
        if (!stream.Read(static_cast<char*>(buffer) + total, size - total, got) || got == 0) break;
        total += got;
    }
    return total;
}

uint64_t Field(const unsigned char* header, size_t offset, size_t bytes) {
    uint64_t value = 0;
    for (size_t i = 0; i < bytes; ++i) value |= static_cast<uint64_t>(header[offset + i]) << (8 * i);
    return value;
}

// The name's UTF-16LE code units, one wchar_t each (as many as the platform's own form).
std::wstring NameOf(const std::vector<unsigned char>& bytes, uint32_t nameBytes) {
    std::wstring name(nameBytes / 2, L'\0');
    for (size_t i = 0; i < name.size(); ++i)
        name[i] = static_cast<wchar_t>(bytes[2 * i] | (static_cast<unsigned>(bytes[2 * i + 1]) << 8));
    return name;
}

}  // namespace

#ifdef _WIN32
bool ReadStreamList(const std::wstring& file, std::vector<StreamData>& list) {
    return ReadStreamList(file, list, &CBackupStream::Open);
}
#endif

bool ReadStreamList(const std::wstring& file, std::vector<StreamData>& list, const BackupStreamOpener& open) {
    list.clear();
    std::unique_ptr<IBackupStream> stream = open ? open(file) : nullptr;
    if (!stream) return false;
    return ReadStreamList(*stream, list);
}

bool ReadStreamList(IBackupStream& stream, std::vector<StreamData>& list) {
    list.clear();
    std::vector<unsigned char> name(520);  // reused for every stream, grown for a longer name
    for (;;) {
        unsigned char header[kHeaderSize];
        if (ReadFully(stream, header, kHeaderSize) != kHeaderSize) break;
        const auto id = static_cast<uint32_t>(Field(header, kIdOffset, 4));
        const auto size = static_cast<int64_t>(Field(header, kSizeOffset, 8));
        const auto nameBytes = static_cast<uint32_t>(Field(header, kNameSizeOffset, 4));
        if (size < 0) break;  // a damaged header; nothing after it can be trusted

        if (nameBytes != 0) {
            if (nameBytes > kLongestNameBytes) break;
            if (name.size() < nameBytes) name.resize(nameBytes);
            if (ReadFully(stream, name.data(), nameBytes) != nameBytes) break;
            list.emplace_back(NameOf(name, nameBytes), size);
        } else if (id == kBackupData) {
            list.emplace_back(kDefaultStreamName, size);
        }

        // Nothing to skip after an empty stream: the next header follows at once, and
        // BackupSeek is not asked to move by nothing.
        if (size != 0 && !stream.Seek(static_cast<uint64_t>(size))) break;
    }
    return !list.empty();
}

}  // namespace Marlin::Sluice::NTFSDataStream
