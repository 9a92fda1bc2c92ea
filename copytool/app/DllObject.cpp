#include "DllObject.h"

namespace Marlin {

DllObject::DllObject() = default;

DllObject::~DllObject() = default;  // the module owner frees what is still held

bool DllObject::Load() {
    if (!module_ && !path_.empty()) module_.reset(::LoadLibraryW(path_.c_str()));
    return module_.valid();
}

bool DllObject::Free() { return module_.close(); }

}  // namespace Marlin
