// Owner of a GDI object (bitmap, brush, font...): deleted with DeleteObject when the owner
// goes. Stock objects must not be put in one.
#pragma once

#include <windows.h>

#include <utility>

namespace Marlin {

template <typename H>
class GdiObject {
public:
    GdiObject() noexcept = default;
    explicit GdiObject(H h) noexcept : h_(h) {}
    ~GdiObject() { reset(); }

    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& o) noexcept : h_(o.release()) {}
    GdiObject& operator=(GdiObject&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }

    H get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != nullptr; }

    H release() noexcept { return std::exchange(h_, nullptr); }
    void reset(H h = nullptr) noexcept {
        H old = std::exchange(h_, h);
        if (old) ::DeleteObject(old);
    }

private:
    H h_ = nullptr;
};

using BitmapHandle = GdiObject<HBITMAP>;

}  // namespace Marlin
