// Owners for the kernel and registry handles the Windows layer opens.
#pragma once

#include "platform/win32/WinApi.h"

namespace orvane::platform::win32 {

class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other) {
            Reset();
            handle_ = other.Release();
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    // Both NULL and INVALID_HANDLE_VALUE mean "nothing": Win32 uses either.
    bool Valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }
    HANDLE Release()
    {
        HANDLE h = handle_;
        handle_ = nullptr;
        return h;
    }
    void Reset()
    {
        if (Valid())
            ::CloseHandle(handle_);
        handle_ = nullptr;
    }

private:
    HANDLE handle_ = nullptr;
};

class UniqueKey {
public:
    UniqueKey() = default;
    ~UniqueKey()
    {
        if (key_)
            ::RegCloseKey(key_);
    }
    UniqueKey(const UniqueKey&) = delete;
    UniqueKey& operator=(const UniqueKey&) = delete;

    HKEY Get() const { return key_; }
    // For the out-parameter of RegOpenKeyExW / RegCreateKeyExW.
    PHKEY Receive() { return &key_; }

private:
    HKEY key_ = nullptr;
};

}  // namespace orvane::platform::win32
