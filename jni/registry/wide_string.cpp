#include "wide_string.h"

#include <windows.h>

#include <cstdarg>
#include <cstdint>
#include <cwchar>
#include <new>

#include "../support/com_error.h"

namespace morvalent::jni {

wchar_t* allocate_wide_chars(size_t count)
{
    // A count whose byte size does not fit asks for the largest size, which fails.
    const size_t bytes = count > SIZE_MAX / sizeof(wchar_t) ? SIZE_MAX : count * sizeof(wchar_t);
    void* memory = ::operator new[](bytes, std::nothrow);
    if (!memory) throw _com_error(E_OUTOFMEMORY);
    return static_cast<wchar_t*>(memory);
}

wide_string& wide_string::operator=(wide_string&& other) noexcept
{
    if (this != &other) {
        delete[] text_;
        text_ = other.text_;
        other.text_ = nullptr;
    }
    return *this;
}

void wide_string::assign(const wchar_t* text)
{
    if (text == text_) return;
    wchar_t* copy = nullptr;
    if (text) {
        const size_t length = wcslen(text);
        copy = allocate_wide_chars(length + 1);
        wmemcpy(copy, text, length + 1);
    }
    wchar_t* old = text_;
    text_ = copy;
    delete[] old;
}

void wide_string::reserve(size_t n)
{
    wchar_t* buffer = nullptr;
    if (n != 0) {
        buffer = allocate_wide_chars(n);
        buffer[0] = L'\0';
    }
    delete[] text_;
    text_ = buffer;
}

void wide_string::join(size_t n, ...)
{
    size_t total = 0;
    va_list args;
    va_start(args, n);
    for (size_t i = 0; i < n; ++i) {
        const wchar_t* part = va_arg(args, const wchar_t*);
        const size_t length = part ? wcslen(part) : 0;
        total = total > SIZE_MAX - length ? SIZE_MAX : total + length;
    }
    va_end(args);

    wchar_t* buffer = allocate_wide_chars(total == SIZE_MAX ? SIZE_MAX : total + 1);
    size_t at = 0;
    va_start(args, n);
    for (size_t i = 0; i < n; ++i) {
        const wchar_t* part = va_arg(args, const wchar_t*);
        if (!part) continue;
        const size_t length = wcslen(part);
        wmemcpy(buffer + at, part, length);
        at += length;
    }
    va_end(args);
    buffer[at] = L'\0';
    delete[] text_;
    text_ = buffer;
}

void wide_string::reset() noexcept
{
    delete[] text_;
    text_ = nullptr;
}

void wide_string::adopt(wchar_t* buffer) noexcept
{
    if (buffer == text_) return;
    delete[] text_;
    text_ = buffer;
}

} // namespace morvalent::jni
