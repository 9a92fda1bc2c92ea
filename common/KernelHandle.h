// Owner of a handle whose "none" value is null: events, semaphores, threads, processes, modules.
#pragma once

#include <windows.h>

#include <utility>

namespace Quay {

struct KernelHandleCloser {
    void operator()(HANDLE h) const { ::CloseHandle(h); }
};
struct FreeLibraryCloser {
    void operator()(HMODULE h) const { ::FreeLibrary(h); }
};

template <typename H, typename Closer>
class BasicKernelHandle {
public:
    BasicKernelHandle() noexcept = default;
    explicit BasicKernelHandle(H h) noexcept : h_(h) {}
    ~BasicKernelHandle() { reset(); }

    BasicKernelHandle(const BasicKernelHandle&) = delete;
    BasicKernelHandle& operator=(const BasicKernelHandle&) = delete;
    BasicKernelHandle(BasicKernelHandle&& o) noexcept : h_(o.release()) {}
    BasicKernelHandle& operator=(BasicKernelHandle&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }

    H get() const noexcept { return h_; }
    bool valid() const noexcept { return h_ != nullptr; }
    explicit operator bool() const noexcept { return valid(); }

    H release() noexcept { return std::exchange(h_, nullptr); }
    void reset(H h = nullptr) noexcept {
        H old = std::exchange(h_, h);
        if (old != nullptr) Closer()(old);
    }

private:
    H h_ = nullptr;
};

using KernelHandle = BasicKernelHandle<HANDLE, KernelHandleCloser>;
using ModuleHandle = BasicKernelHandle<HMODULE, FreeLibraryCloser>;

}  // namespace Quay
