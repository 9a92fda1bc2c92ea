// One owner for every platform handle. A kind is a policy: the type it holds, the values
// that mean "none", and its close call; each owner in the project is a one-line alias of
// UniqueHandle over such a policy. Closing keeps the caller's last error, so an owner that
// goes out of scope between a failing call and its GetLastError() does not hide the failure.
//
// A policy provides:
//   pointer                   what is held: a handle, a typed pointer, or a small record
//                             of the values that the close call needs together
//   static const pointer none what an empty owner holds
//   IsValid(pointer)          false for every value that means none; those are never closed
//   Close(pointer)            the close call; true when it succeeded
//   PointerAccess (optional)  true for kinds used through the owner (interfaces, memory)
#pragma once

#include <windows.h>
#include <objbase.h>
#include <ole2.h>

#include <type_traits>
#include <utility>

namespace Marlin {

namespace HandleDetail {
template <typename Policy, typename = void>
struct PointerAccess : std::false_type {};
template <typename Policy>
struct PointerAccess<Policy, std::void_t<decltype(Policy::PointerAccess)>>
    : std::bool_constant<Policy::PointerAccess> {};
}  // namespace HandleDetail

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
    // Closes what was held (unless it means none) and holds h instead; the caller's last
    // error is the same afterwards, whatever the close call did.
    void reset(pointer h = Policy::none) noexcept {
        pointer old = std::exchange(h_, h);
        if (Policy::IsValid(old)) {
            const DWORD error = ::GetLastError();
            Policy::Close(old);
            ::SetLastError(error);
        }
    }
    // For an owner that must know whether the close call worked (a library that stays
    // loaded when FreeLibrary fails): true when nothing is held afterwards. A failed close
    // keeps the handle, so a later close, reset or the destructor tries again, and leaves
    // the close call's own error as the last error.
    bool close() noexcept {
        if (!Policy::IsValid(h_)) return true;
        if (!Policy::Close(h_)) return false;
        h_ = Policy::none;
        return true;
    }
    // For calls that return a handle through an out parameter: closes what is held first.
    pointer* put() noexcept {
        reset();
        return &h_;
    }
    void swap(UniqueHandle& o) noexcept { std::swap(h_, o.h_); }

    // Interface pointers and typed memory are used through the owner; handles are not.
    template <typename P = pointer, typename = std::enable_if_t<HandleDetail::PointerAccess<Policy>::value, P>>
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
    static bool Close(T h) noexcept { return CloseFunction(h); }
};

// Kernel objects that report failure with INVALID_HANDLE_VALUE (files, pipes, find handles,
// device information sets) and those that report it with null (events, threads,
// processes) are held alike: both values mean "none", and an empty owner holds
// INVALID_HANDLE_VALUE or null as its kind starts, so get() of an empty owner is what the
// creating call would have returned.
template <auto CloseFunction, bool StartsInvalid>
struct InvalidOrNullPolicy {
    using pointer = HANDLE;
    static inline const HANDLE none = StartsInvalid ? INVALID_HANDLE_VALUE : nullptr;
    static bool IsValid(HANDLE h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static bool Close(HANDLE h) noexcept { return CloseFunction(h); }
};

template <typename T, auto FreeFunction>
struct MemoryPolicy {
    using pointer = T*;
    static constexpr bool PointerAccess = true;
    static inline T* const none = nullptr;
    static bool IsValid(T* p) noexcept { return p != nullptr; }
    static bool Close(T* p) noexcept { return FreeFunction(p); }
};

template <typename Interface>
struct ComPolicy {
    using pointer = Interface*;
    static constexpr bool PointerAccess = true;
    static inline Interface* const none = nullptr;
    static bool IsValid(Interface* p) noexcept { return p != nullptr; }
    static bool Close(Interface* p) noexcept {
        p->Release();
        return true;
    }
};

// One WM_PAINT: EndPaint needs the window and the record that BeginPaint filled, and is
// due whenever BeginPaint was called, also when it gave no device context.
struct WindowPainting {
    HWND window = nullptr;
    PAINTSTRUCT paint{};
};
struct PaintingPolicy {
    using pointer = WindowPainting;
    static inline const WindowPainting none{};
    static bool IsValid(const WindowPainting& p) noexcept { return p.window != nullptr; }
    static bool Close(WindowPainting p) noexcept { return ::EndPaint(p.window, &p.paint) != FALSE; }
};

// A locked global memory block: GlobalUnlock is due for every GlobalLock that gave a
// pointer, with the block's handle, not the pointer.
struct GlobalLocking {
    HGLOBAL memory = nullptr;
    void* data = nullptr;
};
struct GlobalLockPolicy {
    using pointer = GlobalLocking;
    static inline const GlobalLocking none{};
    static bool IsValid(const GlobalLocking& l) noexcept { return l.data != nullptr; }
    // GlobalUnlock answers FALSE with NO_ERROR when the lock count reached 0: that is success.
    static bool Close(GlobalLocking l) noexcept {
        return ::GlobalUnlock(l.memory) != FALSE || ::GetLastError() == NO_ERROR;
    }
};

// A storage medium that IDataObject::GetData filled: ReleaseStgMedium frees what it holds
// (or releases it to its owner, pUnkForRelease) whatever its kind.
struct StorageMediumPolicy {
    using pointer = STGMEDIUM;
    static inline const STGMEDIUM none{};
    static bool IsValid(const STGMEDIUM& m) noexcept { return m.tymed != TYMED_NULL; }
    static bool Close(STGMEDIUM m) noexcept {
        ::ReleaseStgMedium(&m);
        return true;
    }
};

namespace HandleClose {
inline bool Kernel(HANDLE h) noexcept { return ::CloseHandle(h) != FALSE; }
inline bool Find(HANDLE h) noexcept { return ::FindClose(h) != FALSE; }
inline bool FindChange(HANDLE h) noexcept { return ::FindCloseChangeNotification(h) != FALSE; }
inline bool Module(HMODULE h) noexcept { return ::FreeLibrary(h) != FALSE; }
inline bool Key(HKEY h) noexcept { return ::RegCloseKey(h) == ERROR_SUCCESS; }
inline bool Service(SC_HANDLE h) noexcept { return ::CloseServiceHandle(h) != FALSE; }
inline bool Local(void* p) noexcept { return ::LocalFree(p) == nullptr; }
inline bool CoTaskMem(void* p) noexcept {
    ::CoTaskMemFree(p);
    return true;
}
inline bool Global(HGLOBAL h) noexcept { return ::GlobalFree(h) == nullptr; }
inline bool Menu(HMENU h) noexcept { return ::DestroyMenu(h) != FALSE; }
inline bool DeleteGdiObject(HGDIOBJ h) noexcept { return ::DeleteObject(h) != FALSE; }
inline bool DeleteDeviceContext(HDC h) noexcept { return ::DeleteDC(h) != FALSE; }
inline bool ReleaseScreenDeviceContext(HDC h) noexcept { return ::ReleaseDC(nullptr, h) == 1; }
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
// GlobalAlloc'd memory that no one else has taken over (a clipboard or a data object
// frees what it was given).
using GlobalMemory = UniqueHandle<HandlePolicy<HGLOBAL, nullptr, &HandleClose::Global>>;
using LockedGlobal = UniqueHandle<GlobalLockPolicy>;
using StorageMedium = UniqueHandle<StorageMediumPolicy>;
// Menus not attached to a window (a window destroys its own menu bar).
using MenuHandle = UniqueHandle<HandlePolicy<HMENU, nullptr, &HandleClose::Menu>>;
template <typename Interface>
using ComPointer = UniqueHandle<ComPolicy<Interface>>;
// Bitmaps, brushes, fonts, regions: never a stock object, which must not be deleted.
template <typename H>
using GdiObject = UniqueHandle<HandlePolicy<H, nullptr, &HandleClose::DeleteGdiObject>>;
using BitmapHandle = GdiObject<HBITMAP>;
// Device contexts: one that the program made (CreateCompatibleDC) is deleted, the screen's
// (GetDC of no window) is released, a window's painting is ended.
using CreatedDC = UniqueHandle<HandlePolicy<HDC, nullptr, &HandleClose::DeleteDeviceContext>>;
using ScreenDC = UniqueHandle<HandlePolicy<HDC, nullptr, &HandleClose::ReleaseScreenDeviceContext>>;
using PaintingHandle = UniqueHandle<PaintingPolicy>;

}  // namespace Marlin
