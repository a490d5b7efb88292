// The registry settings reader and its string holder, against values that the
// tests write into the prefix's HKLM\Software\Morvalent.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "registry/registry.h"
#include "registry/wide_string.h"
#include "support/com_error.h"
#include "test_support.h"

using namespace morvalent::jni;
using test_support::narrow;

namespace {

const std::wstring company_key = L"Software\\Morvalent";
const std::wstring test_subkey = L"inkvale-reader-tests";
const std::wstring test_key = company_key + L"\\" + test_subkey;

struct RegistryReader : ::testing::Test {
    RegistryReader() { test_support::delete_registry_tree(HKEY_LOCAL_MACHINE, test_key); }
    ~RegistryReader() override { test_support::delete_registry_tree(HKEY_LOCAL_MACHINE, test_key); }

    void write(const std::wstring& name, DWORD type, const void* data, DWORD size)
    {
        test_support::set_registry_value(HKEY_LOCAL_MACHINE, test_key, name, type, data, size);
    }
    bool read(const std::wstring& name, wide_string& value)
    {
        reg_key key;
        EXPECT_EQ(open_company_key(root_morvalent, key, test_subkey.c_str()), ERROR_SUCCESS);
        return read_registry_string(key, name.c_str(), value);
    }
    static std::string text(const wide_string& value) { return value.get() ? narrow(value.get()) : "<none>"; }
};

TEST_F(RegistryReader, StringValues)
{
    wchar_t system_root[MAX_PATH];
    ASSERT_NE(GetEnvironmentVariableW(L"SystemRoot", system_root, MAX_PATH), 0u);
    struct {
        const wchar_t* stored;
        DWORD type;
        std::wstring expected;
    } cases[] = {
        {L"C:\\Program Files\\postwell.exe", REG_SZ, L"C:\\Program Files\\postwell.exe"},
        {L"%SystemRoot%\\wintab32.dll", REG_SZ, L"%SystemRoot%\\wintab32.dll"},
        {L"%SystemRoot%\\wintab32.dll", REG_EXPAND_SZ, std::wstring(system_root) + L"\\wintab32.dll"},
        {L"%INKVALE_UNDEFINED_VARIABLE%\\x", REG_EXPAND_SZ, L"%INKVALE_UNDEFINED_VARIABLE%\\x"},
        {L"", REG_SZ, L""},
    };
    for (const auto& c : cases) {
        test_support::set_registry_string(HKEY_LOCAL_MACHINE, test_key, L"value", c.stored, c.type);
        wide_string value;
        ASSERT_TRUE(read(L"value", value)) << narrow(c.stored);
        EXPECT_EQ(text(value), narrow(c.expected)) << narrow(c.stored) << " type " << c.type;
    }
}

TEST_F(RegistryReader, EmptyDataGivesNoText)
{
    write(L"empty", REG_SZ, nullptr, 0);
    wide_string value(L"old");
    EXPECT_TRUE(read(L"empty", value));
    EXPECT_TRUE(value.empty());
}

TEST_F(RegistryReader, MissingValueKeepsThePreviousText)
{
    test_support::set_registry_string(HKEY_LOCAL_MACHINE, test_key, L"other", L"x");
    wide_string value(L"previous");
    EXPECT_FALSE(read(L"missing", value));
    EXPECT_EQ(text(value), "previous");
}

TEST_F(RegistryReader, DataWithoutTerminatorIsNeverReadPast)
{
    // Three characters stored without their NUL, and an odd byte count.
    write(L"unterminated", REG_SZ, L"abc", 3 * sizeof(wchar_t));
    const BYTE odd[] = {'x', 0, 'y', 0, 'z'};
    write(L"odd", REG_BINARY, odd, sizeof(odd));
    const DWORD number = 0x00420041; // "AB" as UTF-16, no terminator
    write(L"number", REG_DWORD, &number, sizeof(number));

    wide_string value;
    ASSERT_TRUE(read(L"unterminated", value));
    EXPECT_EQ(text(value), "abc");
    ASSERT_TRUE(read(L"odd", value));
    EXPECT_EQ(text(value), std::string("xy") + "z");
    ASSERT_TRUE(read(L"number", value));
    EXPECT_EQ(text(value), "AB");
}

TEST_F(RegistryReader, OpenCompanyKeys)
{
    test_support::set_registry_string(HKEY_LOCAL_MACHINE, test_key, L"v", L"1");
    reg_key key;
    EXPECT_EQ(open_company_key(root_morvalent, key, nullptr), ERROR_SUCCESS) << "a null subkey opens the root";
    HKEY root = key.get();
    ASSERT_NE(root, nullptr);

    // Reopening through the same holder closes the first key: either its handle
    // was freed and reused for the new key, or it no longer works.
    EXPECT_EQ(open_company_key(root_morvalent, key, test_subkey.c_str()), ERROR_SUCCESS);
    EXPECT_TRUE(key.get() == root ||
                RegQueryValueExW(root, nullptr, nullptr, nullptr, nullptr, nullptr) == ERROR_INVALID_HANDLE);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(key.get(), L"v", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);

    EXPECT_EQ(open_company_key(root_tarvo, key, L"inkvale-no-such-subkey"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key.get(), nullptr);
    wide_string value(L"kept");
    EXPECT_FALSE(read_registry_string(key, L"postwell", value)) << "no key, no value";
    EXPECT_EQ(text(value), "kept");
}

TEST(WideString, JoinAssignReserve)
{
    wide_string s;
    s.join(3, L"Software\\Tarvo", L"\\", L"inkvale");
    EXPECT_EQ(narrow(s.get()), "Software\\Tarvo\\inkvale");
    s.join(2, nullptr, nullptr);
    ASSERT_NE(s.get(), nullptr);
    EXPECT_EQ(s.get()[0], L'\0');

    wide_string other(L"copy me");
    s.assign(other);
    EXPECT_EQ(narrow(s.get()), "copy me");
    EXPECT_NE(s.get(), other.get());
    s.assign(s.get());
    EXPECT_EQ(narrow(s.get()), "copy me");
    s.assign(nullptr);
    EXPECT_TRUE(s.empty());

    s.reserve(5);
    ASSERT_NE(s.get(), nullptr);
    EXPECT_EQ(s.get()[0], L'\0');
    s.reserve(0);
    EXPECT_TRUE(s.empty());
}

TEST(WideString, ImpossibleSizeRaisesOutOfMemory)
{
    wide_string s;
    try {
        s.reserve(SIZE_MAX / 2 + 1);
        FAIL() << "no error for a size that overflows";
    } catch (const _com_error& error) {
        EXPECT_EQ(error.hresult(), E_OUTOFMEMORY);
    }
}

} // namespace
