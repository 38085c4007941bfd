// Owners for the raw Win32 handles the runtime holds: one type per kind, freed exactly once.
#pragma once
#include <windows.h>

#include <utility>

template <class Handle, BOOL(WINAPI* Free)(Handle)> class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle h) : h_(h) {}
    UniqueHandle(UniqueHandle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        reset(std::exchange(other.h_, nullptr));
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    Handle get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    Handle release() { return std::exchange(h_, nullptr); }
    void reset(Handle h = nullptr) {
        if (h_ && h_ != h) Free(h_);
        h_ = h;
    }

private:
    Handle h_ = nullptr;
};

template <class T> inline BOOL WINAPI DeleteTypedGdiObject(T h) { return DeleteObject(h); }
// A window may already be gone with its parent; destroying it twice is harmless but noisy.
inline BOOL WINAPI DestroyLiveWindow(HWND h) { return IsWindow(h) ? DestroyWindow(h) : TRUE; }

using UniqueHwnd = UniqueHandle<HWND, DestroyLiveWindow>;
using UniqueHfont = UniqueHandle<HFONT, DeleteTypedGdiObject<HFONT>>;
using UniqueHbrush = UniqueHandle<HBRUSH, DeleteTypedGdiObject<HBRUSH>>;
using UniqueHbitmap = UniqueHandle<HBITMAP, DeleteTypedGdiObject<HBITMAP>>;
using UniqueHicon = UniqueHandle<HICON, DestroyIcon>;
using UniqueHmenu = UniqueHandle<HMENU, DestroyMenu>;
