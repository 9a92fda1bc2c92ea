// Another process (this test program started as a child) that holds a file open for
// reading and writing without sharing, until the object goes.
#pragma once

#include <string>

#include "UniqueHandle.h"

namespace rwtest {

class FileHolder {
public:
    explicit FileHolder(const std::wstring& path);
    ~FileHolder();
    FileHolder(const FileHolder&) = delete;
    FileHolder& operator=(const FileHolder&) = delete;

private:
    Marlin::KernelHandle ready_, quit_, process_;
};

}  // namespace rwtest
