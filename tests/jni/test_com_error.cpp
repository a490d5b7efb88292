// COM errors: their message text and how they become Java exceptions.

#include <gtest/gtest.h>

#include <string>

#include "fake_jvm.h"
#include "support/com_error.h"
#include "test_support.h"

using namespace morvalent::jni;

namespace {

// An error-info object that gives a fixed description (or fails to).
class fake_error_info : public IErrorInfo {
public:
    explicit fake_error_info(const wchar_t* description) : description_(description) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override
    {
        *out = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    HRESULT STDMETHODCALLTYPE GetGUID(GUID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSource(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDescription(BSTR* out) override
    {
        *out = SysAllocString(description_);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetHelpFile(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetHelpContext(DWORD*) override { return E_NOTIMPL; }
    ULONG refs = 1;

private:
    const wchar_t* description_;
};

std::wstring system_text(DWORD code)
{
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                   reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::wstring result = (n && text) ? std::wstring(text) : std::wstring();
    if (text) LocalFree(text);
    return result;
}

TEST(ComErrorText, SystemTextLosesOneLineEnd)
{
    const std::wstring raw = system_text(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(raw.empty()) << "the system has no text for error 2";
    std::wstring expected = raw;
    if (expected.size() > 1 && expected.back() == L'\n') {
        expected.pop_back();
        if (!expected.empty() && expected.back() == L'\r') expected.pop_back();
    }
    _com_error error(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    // FormatMessage takes the HRESULT itself as message id: compare with the system's text for it.
    const std::wstring for_hresult = system_text(static_cast<DWORD>(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)));
    if (!for_hresult.empty()) {
        std::wstring trimmed = for_hresult;
        if (trimmed.size() > 1 && trimmed.back() == L'\n') {
            trimmed.pop_back();
            if (!trimmed.empty() && trimmed.back() == L'\r') trimmed.pop_back();
        }
        EXPECT_EQ(test_support::narrow(com_error_text(error)), test_support::narrow(trimmed));
    }
    _com_error plain(static_cast<HRESULT>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(test_support::narrow(com_error_text(plain)), test_support::narrow(expected));
    EXPECT_EQ(com_error_text(plain), com_error_text(plain)) << "the text is built once and kept";
}

TEST(ComErrorText, FallbackTexts)
{
    struct {
        HRESULT hr;
        const wchar_t* expected;
    } cases[] = {
        {static_cast<HRESULT>(0x80040205), L"IDispatch error #5"},
        {static_cast<HRESULT>(0x80040200), L"Unknown error 0x80040200"},
        {static_cast<HRESULT>(0x8004FFFF), L"IDispatch error #65023"},
        {static_cast<HRESULT>(0xA0011234), L"Unknown error 0xA0011234"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(system_text(static_cast<DWORD>(c.hr)).empty()) << "the system has a text for " << std::hex << c.hr;
        _com_error error(c.hr);
        EXPECT_EQ(test_support::narrow(com_error_text(error)), test_support::narrow(c.expected));
    }
}

TEST(ComErrorText, CopyStartsWithoutTextAndHoldsTheErrorInfo)
{
    fake_error_info info(L"described");
    {
        _com_error error(E_FAIL, &info, true);
        EXPECT_EQ(info.refs, 2u);
        com_error_text(error);
        _com_error copy(error);
        EXPECT_EQ(info.refs, 3u);
        EXPECT_NE(com_error_text(copy), com_error_text(error));
        EXPECT_EQ(std::wstring(com_error_text(copy)), std::wstring(com_error_text(error)));
    }
    EXPECT_EQ(info.refs, 1u);
}

TEST(ThrowComError, MessageWithAndWithoutDescription)
{
    fakejvm::vm vm;
    const HRESULT hr = static_cast<HRESULT>(0x80040205);

    _com_error bare(hr);
    throw_com_error(vm.env(), bare);
    EXPECT_EQ(vm.pending_class(), "java/lang/Exception");
    EXPECT_EQ(vm.pending_message(), u"COM error: [0x80040205] IDispatch error #5");
    vm.clear_exception();

    fake_error_info described(L"the reason");
    _com_error with_info(hr, &described, true);
    throw_com_error(vm.env(), with_info);
    EXPECT_EQ(vm.pending_message(), u"COM error: [0x80040205] IDispatch error #5\r\nthe reason");
    vm.clear_exception();

    fake_error_info empty(L"");
    _com_error with_empty(hr, &empty, true);
    throw_com_error(vm.env(), with_empty);
    EXPECT_EQ(vm.pending_message(), u"COM error: [0x80040205] IDispatch error #5\r\n");
    vm.clear_exception();
}

TEST(ThrowComError, OutOfMemoryShowsTheSystemText)
{
    fakejvm::vm vm;
    _com_error error(E_OUTOFMEMORY);
    throw_com_error(vm.env(), error);
    const std::u16string expected = u"COM error: [0x8007000e] " + test_support::u16(com_error_text(error));
    EXPECT_EQ(vm.pending_message(), expected);
}

} // namespace
