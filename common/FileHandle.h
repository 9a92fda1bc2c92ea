// Owner of a handle whose "none" value is INVALID_HANDLE_VALUE: files, pipes, find handles.
#pragma once

#include <windows.h>

#include <utility>

namespace Quay {

struct CloseHandleCloser {
    void operator()(HANDLE h) const { ::CloseHandle(h); }
};
struct FindCloseCloser {
    void operator()(HANDLE h) const { ::FindClose(h); }
};

template <typename Closer>
class BasicFileHandle {
public:
    BasicFileHandle() noexcept = default;
    explicit BasicFileHandle(HANDLE h) noexcept : h_(h) {}
    ~BasicFileHandle() { reset(); }

    BasicFileHandle(const BasicFileHandle&) = delete;
    BasicFileHandle& operator=(const BasicFileHandle&) = delete;
    BasicFileHandle(BasicFileHandle&& o) noexcept : h_(o.release()) {}
    BasicFileHandle& operator=(BasicFileHandle&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }

    HANDLE get() const noexcept { return h_; }
    bool valid() const noexcept { return h_ != INVALID_HANDLE_VALUE; }
    explicit operator bool() const noexcept { return valid(); }

    HANDLE release() noexcept { return std::exchange(h_, INVALID_HANDLE_VALUE); }
    void reset(HANDLE h = INVALID_HANDLE_VALUE) noexcept {
        HANDLE old = std::exchange(h_, h);
        if (old != INVALID_HANDLE_VALUE && old != nullptr) Closer()(old);
    }

private:
    HANDLE h_ = INVALID_HANDLE_VALUE;
};

using FileHandle = BasicFileHandle<CloseHandleCloser>;
using FindHandle = BasicFileHandle<FindCloseCloser>;

}  // namespace Quay
