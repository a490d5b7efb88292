#pragma once

// Owners of what the launcher acquires: heap blocks, kernel handles, change
// watches, registry keys and system-allocated text. Move-only; each releases
// what it holds when it ends. They need no runtime library.

#include <windows.h>

namespace morvalent::launcher {

// A byte count for HeapAlloc: counts beyond 32 bits are asked for as
// 0xFFFFFFFF, which the heap refuses, instead of wrapping round to a small block.
SIZE_T heap_size(unsigned long long bytes);

// A zero-filled block of the process heap holding wide text, or none.
class heap_string {
public:
    heap_string() noexcept = default;
    heap_string(const heap_string&) = delete;
    heap_string& operator=(const heap_string&) = delete;
    heap_string(heap_string&& other) noexcept : text_(other.text_) { other.text_ = nullptr; }
    heap_string& operator=(heap_string&& other) noexcept;
    ~heap_string() { reset(); }

    // Replaces what is held with a fresh zero-filled block of `bytes` bytes;
    // false, holding none, when the heap refuses it.
    bool allocate(SIZE_T bytes) noexcept;
    void reset() noexcept;

    wchar_t* get() const noexcept { return text_; }
    bool empty() const noexcept { return text_ == nullptr; }
    // The text, or the empty text when none is held.
    const wchar_t* text_or_empty() const noexcept { return text_ ? text_ : L""; }

private:
    wchar_t* text_ = nullptr;
};

// Holder of one value of type T that `close` releases. Null and
// INVALID_HANDLE_VALUE both count as holding nothing.
template <class T, void (*close)(T)>
class unique_holder {
public:
    unique_holder() noexcept = default;
    explicit unique_holder(T value) noexcept : value_(value) {}
    unique_holder(const unique_holder&) = delete;
    unique_holder& operator=(const unique_holder&) = delete;
    unique_holder(unique_holder&& other) noexcept : value_(other.value_) { other.value_ = nullptr; }
    unique_holder& operator=(unique_holder&& other) noexcept
    {
        if (this != &other) {
            reset(other.value_);
            other.value_ = nullptr;
        }
        return *this;
    }
    ~unique_holder() { reset(); }

    bool valid() const noexcept
    {
        return value_ != nullptr && reinterpret_cast<HANDLE>(value_) != INVALID_HANDLE_VALUE;
    }
    T get() const noexcept { return value_; }
    // Releases what is held and returns the place for a new value.
    T* receive() noexcept
    {
        reset();
        return &value_;
    }
    void reset(T value = nullptr) noexcept
    {
        if (valid()) close(value_);
        value_ = value;
    }

private:
    T value_ = nullptr;
};

inline void close_kernel_handle(HANDLE handle) { CloseHandle(handle); }
inline void close_change_watch(HANDLE watch) { FindCloseChangeNotification(watch); }
inline void close_registry_key(HKEY key) { RegCloseKey(key); }
inline void free_local_memory(HLOCAL memory) { LocalFree(memory); }

using scoped_handle = unique_holder<HANDLE, close_kernel_handle>;
using change_watch = unique_holder<HANDLE, close_change_watch>;
using reg_key = unique_holder<HKEY, close_registry_key>;
using local_memory = unique_holder<HLOCAL, free_local_memory>;

} // namespace morvalent::launcher
