#include "com_error.h"

#include <cwchar>

#include "bstr_holder.h"
#include "jni_support.h"

namespace morvalent::jni {

_com_error::_com_error(HRESULT hr, IErrorInfo* info, bool add_ref) noexcept : hr_(hr), info_(info)
{
    if (info_ && add_ref) info_->AddRef();
}

_com_error::_com_error(const _com_error& other) noexcept : hr_(other.hr_), info_(other.info_)
{
    if (info_) info_->AddRef();
}

_com_error::~_com_error()
{
    if (message_) LocalFree(message_);
    if (info_) info_->Release();
}

const wchar_t* com_error_text(const _com_error& error) noexcept
{
    if (error.message_) return error.message_;

    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(error.hr_), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPWSTR>(&text), 0,
        nullptr);
    if (length != 0 && text) {
        // One line end is dropped so that the text fits inside a sentence.
        size_t n = wcslen(text);
        if (n > 1 && text[n - 1] == L'\n') {
            text[--n] = L'\0';
            if (n > 0 && text[n - 1] == L'\r') text[--n] = L'\0';
        }
        error.message_ = text;
        return text;
    }
    if (text) LocalFree(text);

    constexpr size_t fallback_chars = 32;
    text = static_cast<wchar_t*>(LocalAlloc(LMEM_FIXED, fallback_chars * sizeof(wchar_t)));
    if (!text) return nullptr;
    const unsigned long hr = static_cast<unsigned long>(error.hr_);
    const unsigned long dispatch_code = (hr >= 0x80040200UL && hr <= 0x8004FFFFUL) ? hr - 0x80040200UL : 0;
    if (dispatch_code != 0)
        _snwprintf(text, fallback_chars, L"IDispatch error #%d", static_cast<int>(dispatch_code));
    else
        _snwprintf(text, fallback_chars, L"Unknown error 0x%0lX", hr);
    text[fallback_chars - 1] = L'\0';
    error.message_ = text;
    return text;
}

void throw_com_error(JNIEnv* env, const _com_error& error) noexcept
{
    try {
        BSTR text = nullptr;
        if (IErrorInfo* info = error.error_info()) {
            if (FAILED(info->GetDescription(&text))) text = nullptr;
        }
        const bstr_holder description(text); // always made; owns the description from here
        const unsigned hr = static_cast<unsigned>(error.hresult());
        if (description.get())
            throw_exception(env, L"COM error: [%#08x] %ls\r\n%ls", hr, com_error_text(error), description.get());
        else
            throw_exception(env, L"COM error: [%#08x] %ls", hr, com_error_text(error));
    } catch (const _com_error&) {
        // No memory even for the description holder: the native returns its
        // default result without an exception.
    }
}

} // namespace morvalent::jni
