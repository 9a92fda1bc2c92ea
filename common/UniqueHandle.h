// One owner for every platform handle. A kind is a policy: its type, the values that mean
// "none", and its close call; each owner in the project is a one-line alias of UniqueHandle
// over such a policy. Closing keeps the caller's last error, so an owner that goes out of
// scope between a failing call and its GetLastError() does not hide the failure.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <type_traits>
#include <utility>

namespace Marlin {

template <typename Policy>
class UniqueHandle {
public:
    using pointer = typename Policy::pointer;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(pointer h) noexcept : h_(h) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(o.release()) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }

    pointer get() const noexcept { return h_; }
    bool valid() const noexcept { return Policy::IsValid(h_); }
    explicit operator bool() const noexcept { return valid(); }

    pointer release() noexcept { return std::exchange(h_, Policy::none); }
    void reset(pointer h = Policy::none) noexcept {
        pointer old = std::exchange(h_, h);
        if (Policy::IsValid(old)) {
            const DWORD error = ::GetLastError();
            Policy::Close(old);
            ::SetLastError(error);
        }
    }
    // For calls that return a handle through an out parameter: closes what is held first.
    pointer* put() noexcept {
        reset();
        return &h_;
    }

    // Interface pointers and typed memory are used through the owner.
    template <typename P = pointer, typename = std::enable_if_t<std::is_pointer_v<P> && std::is_class_v<std::remove_pointer_t<P>>>>
    P operator->() const noexcept {
        return h_;
    }

private:
    pointer h_ = Policy::none;
};

// A kind whose only "none" is the value it starts with.
template <typename T, T None, auto CloseFunction>
struct HandlePolicy {
    using pointer = T;
    static inline const T none = None;
    static bool IsValid(T h) noexcept { return h != None; }
    static void Close(T h) noexcept { CloseFunction(h); }
};

// Kernel objects that report failure with INVALID_HANDLE_VALUE (files, pipes, find handles)
// and those that report it with null (events, threads, processes) are held alike: both
// values mean "none", and an empty owner holds INVALID_HANDLE_VALUE or null as its kind
// starts, so get() of an empty owner is what the creating call would have returned.
template <auto CloseFunction, bool StartsInvalid>
struct InvalidOrNullPolicy {
    using pointer = HANDLE;
    static inline const HANDLE none = StartsInvalid ? INVALID_HANDLE_VALUE : nullptr;
    static bool IsValid(HANDLE h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) noexcept { CloseFunction(h); }
};

template <typename T, auto FreeFunction>
struct MemoryPolicy {
    using pointer = T*;
    static inline T* const none = nullptr;
    static bool IsValid(T* p) noexcept { return p != nullptr; }
    static void Close(T* p) noexcept { FreeFunction(p); }
};

template <typename Interface>
struct ComPolicy {
    using pointer = Interface*;
    static inline Interface* const none = nullptr;
    static bool IsValid(Interface* p) noexcept { return p != nullptr; }
    static void Close(Interface* p) noexcept { p->Release(); }
};

namespace HandleClose {
inline void Kernel(HANDLE h) noexcept { ::CloseHandle(h); }
inline void Find(HANDLE h) noexcept { ::FindClose(h); }
inline void FindChange(HANDLE h) noexcept { ::FindCloseChangeNotification(h); }
inline void Module(HMODULE h) noexcept { ::FreeLibrary(h); }
inline void Key(HKEY h) noexcept { ::RegCloseKey(h); }
inline void Service(SC_HANDLE h) noexcept { ::CloseServiceHandle(h); }
inline void Local(void* p) noexcept { ::LocalFree(p); }
inline void CoTaskMem(void* p) noexcept { ::CoTaskMemFree(p); }
inline void DeleteGdiObject(HGDIOBJ h) noexcept { ::DeleteObject(h); }
}  // namespace HandleClose

// Files, pipes, mail slots: CreateFileW and CreateNamedPipeW fail with INVALID_HANDLE_VALUE.
using FileHandle = UniqueHandle<InvalidOrNullPolicy<&HandleClose::Kernel, true>>;
// Events, semaphores, mutexes, threads, processes, tokens: their calls fail with null.
using KernelHandle = UniqueHandle<InvalidOrNullPolicy<&HandleClose::Kernel, false>>;
using FindHandle = UniqueHandle<InvalidOrNullPolicy<&HandleClose::Find, true>>;
// Folder watches: FindFirstChangeNotificationW fails with INVALID_HANDLE_VALUE.
using ChangeNotificationHandle = UniqueHandle<InvalidOrNullPolicy<&HandleClose::FindChange, true>>;
using ModuleHandle = UniqueHandle<HandlePolicy<HMODULE, nullptr, &HandleClose::Module>>;
using RegistryKey = UniqueHandle<HandlePolicy<HKEY, nullptr, &HandleClose::Key>>;
using ServiceHandle = UniqueHandle<HandlePolicy<SC_HANDLE, nullptr, &HandleClose::Service>>;
template <typename T = void>
using LocalMemory = UniqueHandle<MemoryPolicy<T, &HandleClose::Local>>;
template <typename T = void>
using CoTaskMemory = UniqueHandle<MemoryPolicy<T, &HandleClose::CoTaskMem>>;
template <typename Interface>
using ComPointer = UniqueHandle<ComPolicy<Interface>>;
// Bitmaps, brushes, fonts, regions: never a stock object, which must not be deleted.
template <typename H>
using GdiObject = UniqueHandle<HandlePolicy<H, nullptr, &HandleClose::DeleteGdiObject>>;
using BitmapHandle = GdiObject<HBITMAP>;

}  // namespace Marlin
