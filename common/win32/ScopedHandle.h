// Owns a Win32 handle and frees it once. One class for every kind of handle:
// the traits say what "no handle" is and how the handle is freed.
#pragma once

#include <windows.h>

#include <utility>

template <typename Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() = default;
    explicit UniqueHandle(Type handle) : handle_(handle) {}
    ~UniqueHandle() { Close(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    static bool IsValid(Type handle) { return Traits::IsValid(handle); }
    bool IsValid() const { return IsValid(handle_); }
    explicit operator bool() const { return IsValid(); }
    Type Get() const { return handle_; }

    // For APIs that fill a handle pointer; frees what was held first.
    Type* Out() {
        Close();
        return &handle_;
    }
    Type Release() { return std::exchange(handle_, Type()); }
    void Reset(Type handle = Type()) {
        Close();
        handle_ = handle;
    }
    void Close() {
        if (IsValid()) Traits::Free(handle_);
        handle_ = Type();
    }

private:
    Type handle_ = Type();
};

// Kernel handles: null and INVALID_HANDLE_VALUE both mean "no handle", since
// Win32 uses either depending on the call.
struct KernelHandleTraits {
    using Type = HANDLE;
    static bool IsValid(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static void Free(HANDLE handle) { CloseHandle(handle); }
};
using ScopedHandle = UniqueHandle<KernelHandleTraits>;
