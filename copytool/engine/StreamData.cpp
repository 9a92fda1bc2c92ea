#include "StreamData.h"

#include <utility>

namespace Marlin::Sluice::NTFSDataStream {

StreamData::StreamData(std::wstring name, int64_t size) : name(std::move(name)), size(size) {}

StreamData::~StreamData() = default;

}  // namespace Marlin::Sluice::NTFSDataStream
