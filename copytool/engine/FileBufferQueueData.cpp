#include "FileBufferQueueData.h"

#include <utility>

namespace Marlin::Sluice {

FileBufferQueueData::FileBufferQueueData(std::wstring path, int64_t offset, void* buffer, uint64_t length,
                                         ItemKey item)
    : path(std::move(path)), offset(offset), buffer(buffer), length(length), item(item) {}

FileBufferQueueData::~FileBufferQueueData() = default;

}  // namespace Marlin::Sluice
