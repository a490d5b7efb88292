#pragma once

#include <windows.h>
#include <oaidl.h>

#include <jni.h>

namespace morvalent::jni {

// The COM error that the natives catch: an HRESULT, an optional error-info
// object (one reference held) and a message text built on first use.
class _com_error {
public:
    explicit _com_error(HRESULT hr, IErrorInfo* info = nullptr, bool add_ref = false) noexcept;
    _com_error(const _com_error& other) noexcept;
    _com_error& operator=(const _com_error&) = delete;
    ~_com_error();

    HRESULT hresult() const noexcept { return hr_; }
    IErrorInfo* error_info() const noexcept { return info_; }

private:
    friend const wchar_t* com_error_text(const _com_error& error) noexcept;

    HRESULT hr_;
    IErrorInfo* info_;
    mutable wchar_t* message_ = nullptr; // LocalAlloc'd by FormatMessageW or the fallback
};

// The message text of the error; owned by the error, null only when even the
// small fallback buffer could not be had.
const wchar_t* com_error_text(const _com_error& error) noexcept;

// Raises a java.lang.Exception describing the error. A COM error met while the
// message is built is swallowed (nothing is raised then).
void throw_com_error(JNIEnv* env, const _com_error& error) noexcept;

} // namespace morvalent::jni
