#pragma once

#include <cstddef>

namespace morvalent::jni {

// Owner of one heap-allocated, NUL-terminated UTF-16 string, or none.
// Allocation failure raises _com_error(E_OUTOFMEMORY).
class wide_string {
public:
    wide_string() noexcept = default;
    explicit wide_string(const wchar_t* text) { assign(text); }
    wide_string(const wide_string&) = delete;
    wide_string& operator=(const wide_string&) = delete;
    wide_string(wide_string&& other) noexcept : text_(other.text_) { other.text_ = nullptr; }
    wide_string& operator=(wide_string&& other) noexcept;
    ~wide_string() { delete[] text_; }

    void assign(const wchar_t* text);
    void assign(const wide_string& other) { assign(other.text_); }
    // A fresh buffer of n characters, the first of them NUL; none for n == 0.
    void reserve(size_t n);
    // One buffer holding the parts one after the other; a null part is empty.
    void join(size_t n, ...);
    void reset() noexcept;

    // Adopts a buffer allocated with new wchar_t[].
    void adopt(wchar_t* buffer) noexcept;

    wchar_t* get() const noexcept { return text_; }
    bool empty() const noexcept { return text_ == nullptr; }

private:
    wchar_t* text_ = nullptr;
};

// new wchar_t[count] with the byte size checked for overflow; raises
// _com_error(E_OUTOFMEMORY) on failure.
wchar_t* allocate_wide_chars(size_t count);

} // namespace morvalent::jni
