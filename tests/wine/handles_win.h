// Small RAII owners for the handles the Wine test helpers open. Kept apart from the launcher's own
// wrappers on purpose: the helpers must keep working while the launcher's platform layer changes.
#pragma once

#include <windows.h>

#include <utility>

namespace testhelp {

template <typename Traits>
class Unique {
public:
    using Handle = typename Traits::Handle;

    Unique() = default;
    explicit Unique(Handle handle) : handle_(handle) {}
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& other) noexcept : handle_(std::exchange(other.handle_, Traits::Empty())) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.handle_, Traits::Empty()));
        }
        return *this;
    }
    ~Unique() { Reset(); }

    [[nodiscard]] Handle Get() const { return handle_; }
    [[nodiscard]] explicit operator bool() const { return handle_ != Traits::Empty(); }
    // For out-parameters (RegOpenKeyExA and the like): the old handle is released first.
    [[nodiscard]] Handle* Put() {
        Reset();
        return &handle_;
    }
    void Reset(Handle handle = Traits::Empty()) {
        if (handle_ != Traits::Empty()) {
            // Closing must not disturb an error code the caller is about to read.
            const DWORD saved = GetLastError();
            Traits::Close(handle_);
            SetLastError(saved);
        }
        handle_ = handle;
    }

private:
    Handle handle_ = Traits::Empty();
};

struct HandleTraits {
    using Handle = HANDLE;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { CloseHandle(h); }
};

struct FileTraits {
    using Handle = HANDLE;
    static Handle Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { CloseHandle(h); }
};

struct HkeyTraits {
    using Handle = HKEY;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { RegCloseKey(h); }
};

struct LocalTraits {
    using Handle = HLOCAL;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { LocalFree(h); }
};

struct GdiBrushTraits {
    using Handle = HBRUSH;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { DeleteObject(h); }
};

using UniqueHandle = Unique<HandleTraits>;
using UniqueFile = Unique<FileTraits>;
using UniqueHkey = Unique<HkeyTraits>;
using UniqueLocal = Unique<LocalTraits>;

}  // namespace testhelp
