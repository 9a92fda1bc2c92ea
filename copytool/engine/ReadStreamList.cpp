#include "ReadStreamList.h"

#include <windows.h>

#include <cstddef>
#include <cstring>

#include "CBackupStream.h"

namespace Marlin::Sluice::NTFSDataStream {
namespace {

// WIN32_STREAM_ID up to its name: identifier, attributes, 64-bit size, name size in bytes.
constexpr uint32_t kHeaderSize = offsetof(WIN32_STREAM_ID, cStreamName);
static_assert(kHeaderSize == 20, "the backup stream header is 20 bytes");

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

template <typename T>
T Field(const unsigned char* header, size_t offset) {
    T value;
    std::memcpy(&value, header + offset, sizeof value);
    return value;
}

}  // namespace

bool ReadStreamList(const std::wstring& file, std::vector<StreamData>& list) {
    return ReadStreamList(file, list, &CBackupStream::Open);
}

bool ReadStreamList(const std::wstring& file, std::vector<StreamData>& list, const BackupStreamOpener& open) {
    list.clear();
    std::unique_ptr<IBackupStream> stream = open ? open(file) : nullptr;
    if (!stream) return false;
    return ReadStreamList(*stream, list);
}

bool ReadStreamList(IBackupStream& stream, std::vector<StreamData>& list) {
    list.clear();
    std::wstring name(MAX_PATH, L'\0');  // reused for every stream, grown for a longer name
    for (;;) {
        unsigned char header[kHeaderSize];
        if (ReadFully(stream, header, kHeaderSize) != kHeaderSize) break;
        const auto id = Field<DWORD>(header, offsetof(WIN32_STREAM_ID, dwStreamId));
        const auto size = Field<int64_t>(header, offsetof(WIN32_STREAM_ID, Size));
        const auto nameBytes = Field<DWORD>(header, offsetof(WIN32_STREAM_ID, dwStreamNameSize));
        if (size < 0) break;  // a damaged header; nothing after it can be trusted

        if (nameBytes != 0) {
            if (nameBytes > kLongestNameBytes) break;
            const size_t nameLength = (nameBytes + 1) / sizeof(wchar_t);
            if (name.size() < nameLength) name.resize(nameLength);
            if (ReadFully(stream, name.data(), nameBytes) != nameBytes) break;
            list.emplace_back(name.substr(0, nameBytes / sizeof(wchar_t)), size);
        } else if (id == BACKUP_DATA) {
            list.emplace_back(kDefaultStreamName, size);
        }

        // Nothing to skip after an empty stream: the next header follows at once, and
        // BackupSeek is not asked to move by nothing.
        if (size != 0 && !stream.Seek(static_cast<uint64_t>(size))) break;
    }
    return !list.empty();
}

}  // namespace Marlin::Sluice::NTFSDataStream
