#pragma once
// Move-only owners of Win32 handles. Each closes its handle exactly once and never touches the
// thread's last error on the way, so a caller can still read GetLastError() after a failing call.
#include <windows.h>

#include <utility>

namespace platform::win32 {

template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    [[nodiscard]] Handle Get() const { return handle_; }
    [[nodiscard]] explicit operator bool() const { return Traits::IsValid(handle_); }
    [[nodiscard]] Handle Release() { return std::exchange(handle_, Traits::Invalid()); }
    // For functions that fill in a handle: releases the current one first.
    [[nodiscard]] Handle* Put() {
        Reset();
        return &handle_;
    }
    void Reset(Handle handle = Traits::Invalid()) {
        const Handle old = std::exchange(handle_, handle);
        if (Traits::IsValid(old)) {
            const DWORD lastError = GetLastError();
            Traits::Close(old);
            SetLastError(lastError);
        }
    }

private:
    Handle handle_ = Traits::Invalid();
};

struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { CloseHandle(h); }
};

struct HkeyTraits {
    using Handle = HKEY;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { RegCloseKey(h); }
};

template <typename T>
struct GdiObjectTraits {
    using Handle = T;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { DeleteObject(h); }
};

struct MemoryDcTraits {
    using Handle = HDC;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { DeleteDC(h); }
};

using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueHkey = UniqueHandle<HkeyTraits>;
template <typename T>
using UniqueGdiObject = UniqueHandle<GdiObjectTraits<T>>;
using UniqueBitmap = UniqueGdiObject<HBITMAP>;
using UniqueFont = UniqueGdiObject<HFONT>;
using UniqueBrush = UniqueGdiObject<HBRUSH>;
using UniqueMemoryDc = UniqueHandle<MemoryDcTraits>;

// Selects an object into a DC for the guard's lifetime, then puts the old one back.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~SelectGuard() { SelectObject(dc_, old_); }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// BeginPaint/EndPaint around one WM_PAINT.
class PaintGuard {
public:
    explicit PaintGuard(HWND window) : window_(window) { dc_ = BeginPaint(window_, &paint_); }
    ~PaintGuard() { EndPaint(window_, &paint_); }
    PaintGuard(const PaintGuard&) = delete;
    PaintGuard& operator=(const PaintGuard&) = delete;
    [[nodiscard]] HDC Dc() const { return dc_; }
    [[nodiscard]] const RECT& Area() const { return paint_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_ = nullptr;
};

// GetDC/ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    [[nodiscard]] HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

}  // namespace platform::win32
