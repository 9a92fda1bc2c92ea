// Real reads and writes, with a look at each request first: the test's window into the
// moment a chunk moves (to check the trees on disk then, to act like a user would, or to
// fail the request like a broken disk).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "CopyItemTransfer.h"

namespace algotest {

class CallbackTransfer : public Marlin::Sluice::CopyItemTransfer {
public:
    // Called before the request is handed to the platform, on the requesting thread. 0 lets
    // the request go ahead; any other value makes it fail with that error instead, as a
    // disk that is full or gone would.
    using Callback = std::function<DWORD(HANDLE file, uint64_t offset, DWORD size)>;

    explicit CallbackTransfer(Callback beforeRead = Callback(), Callback beforeWrite = Callback());
    ~CallbackTransfer() override;

    BOOL Read(HANDLE file, uint64_t offset, void* buffer, DWORD size, DWORD& transferred) override;
    BOOL Write(HANDLE file, uint64_t offset, const void* buffer, DWORD size, DWORD& transferred) override;

private:
    Callback beforeRead_;
    Callback beforeWrite_;
};

}  // namespace algotest
