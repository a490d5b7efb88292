#pragma once

#include <windows.h>

namespace morvalent::jni {

// Owner of one kernel handle, closed when the holder ends. Null and
// INVALID_HANDLE_VALUE both count as no handle.
class scoped_handle {
public:
    explicit scoped_handle(HANDLE handle = nullptr) noexcept : handle_(handle) {}
    scoped_handle(scoped_handle&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
    scoped_handle& operator=(scoped_handle&& other) noexcept
    {
        if (this != &other) {
            reset(other.handle_);
            other.handle_ = nullptr;
        }
        return *this;
    }
    scoped_handle(const scoped_handle&) = delete;
    scoped_handle& operator=(const scoped_handle&) = delete;
    ~scoped_handle() { reset(); }

    void reset(HANDLE handle = nullptr) noexcept
    {
        if (valid()) CloseHandle(handle_);
        handle_ = handle;
    }
    HANDLE get() const noexcept { return handle_; }
    bool valid() const noexcept { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

} // namespace morvalent::jni
