// Owns a kernel handle and closes it once. Both null and INVALID_HANDLE_VALUE
// mean "no handle", since Win32 uses either depending on the call.
#pragma once

#include <windows.h>

#include <utility>

class ScopedHandle {
public:
    ScopedHandle() = default;
    explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
    ~ScopedHandle() { Close(); }

    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.Release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    static bool IsValid(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    bool IsValid() const { return IsValid(handle_); }
    explicit operator bool() const { return IsValid(); }
    HANDLE Get() const { return handle_; }

    // For APIs that fill a HANDLE*; closes what was held first.
    HANDLE* Out() {
        Close();
        return &handle_;
    }
    HANDLE Release() { return std::exchange(handle_, nullptr); }
    void Reset(HANDLE handle = nullptr) {
        Close();
        handle_ = handle;
    }
    void Close() {
        if (IsValid()) CloseHandle(handle_);
        handle_ = nullptr;
    }

private:
    HANDLE handle_ = nullptr;
};
