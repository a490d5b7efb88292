// read_configuration against values that the tests write into the prefix.

#include <gtest/gtest.h>

#include <cstring>

#include "configuration.h"
#include "launcher_fixture.h"
#include "process_state.h"

using namespace launcher_tests;
using morvalent::launcher::heap_string;
using morvalent::launcher::launcher_settings;
using morvalent::launcher::read_configuration;
using test_support::narrow;

namespace {

struct LauncherConfiguration : LauncherSettings {
    LauncherConfiguration() { morvalent::launcher::take_process_state(); }

    static std::string text(const heap_string& value) { return value.empty() ? "<absent>" : narrow(value.get()); }
};

TEST_F(LauncherConfiguration, MissingKey)
{
    launcher_settings settings;
    EXPECT_EQ(read_configuration(settings), DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(settings.application_path.empty());
    EXPECT_TRUE(settings.application_options.empty());
    EXPECT_EQ(settings.timeout_ms, INFINITE);
}

TEST_F(LauncherConfiguration, MissingApplicationPathReadsNothingElse)
{
    set_text(L"MON_QUORVALEND_OPT", L"-x");
    set_timeout(100);
    launcher_settings settings;
    EXPECT_EQ(read_configuration(settings), DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(settings.application_path.empty());
    EXPECT_TRUE(settings.application_options.empty());
    EXPECT_EQ(settings.timeout_ms, INFINITE);
}

TEST_F(LauncherConfiguration, AllThreeValues)
{
    set_text(L"QUORVALEND_EXE", L"C:\\Program Files\\Quorvalend\\quorvalend.exe");
    set_text(L"MON_QUORVALEND_OPT", L"-jar \"%APPDATA%\\x.jar\"");
    set_timeout(2500);
    launcher_settings settings;
    EXPECT_EQ(read_configuration(settings), 0u);
    EXPECT_EQ(text(settings.application_path), "C:\\Program Files\\Quorvalend\\quorvalend.exe");
    EXPECT_EQ(text(settings.application_options), "-jar \"%APPDATA%\\x.jar\""); // not expanded
    EXPECT_EQ(settings.timeout_ms, 2500u);
}

TEST_F(LauncherConfiguration, OptionalValuesAbsent)
{
    set_text(L"QUORVALEND_EXE", L"C:\\q.exe");
    launcher_settings settings;
    EXPECT_EQ(read_configuration(settings), 0u);
    EXPECT_EQ(text(settings.application_path), "C:\\q.exe");
    EXPECT_TRUE(settings.application_options.empty());
    EXPECT_EQ(settings.timeout_ms, INFINITE);
}

TEST_F(LauncherConfiguration, TextValuesWhateverTheirType)
{
    const DWORD number = 0x00420041; // "AB" read as UTF-16
    const char odd[] = {'a', 0, 'b', 0, 'c'};
    struct {
        DWORD type;
        const void* data;
        DWORD size;
        const char* expected;
    } cases[] = {
        {REG_DWORD, &number, sizeof(number), "AB"},
        {REG_BINARY, L"no terminator", 26, "no terminator"},
        {REG_BINARY, odd, sizeof(odd), "abc"}, // the odd byte becomes a character of its own
        {REG_EXPAND_SZ, L"%SystemRoot%\\q.exe", 38, "%SystemRoot%\\q.exe"},
        {REG_MULTI_SZ, L"first\0second\0", 28, "first"},
        {REG_SZ, L"", 0, ""},
    };
    for (const auto& c : cases) {
        set_value(L"QUORVALEND_EXE", c.type, c.data, c.size);
        launcher_settings settings;
        EXPECT_EQ(read_configuration(settings), 0u) << c.expected;
        EXPECT_EQ(text(settings.application_path), c.expected) << "type " << c.type;
    }
}

TEST_F(LauncherConfiguration, TimeoutIsTheFirstFourBytesWhateverTheType)
{
    set_text(L"QUORVALEND_EXE", L"C:\\q.exe");
    const DWORD dword = 750;
    const BYTE one_byte[] = {0x64};
    const BYTE two_bytes[] = {0x10, 0x27};
    struct {
        const char* what;
        DWORD type;
        const void* data;
        DWORD size;
        DWORD expected;
    } cases[] = {
        {"REG_DWORD", REG_DWORD, &dword, sizeof(dword), 750},
        {"one-digit string", REG_SZ, L"5", 4, 53}, // the digit's code and the terminator
        {"longer than four bytes", REG_SZ, L"250", 8, INFINITE},
        {"one byte", REG_BINARY, one_byte, 1, 100}, // the other bytes start from zero
        {"two bytes", REG_BINARY, two_bytes, 2, 10000},
        {"zero", REG_DWORD, "\0\0\0", 4, 0},
    };
    for (const auto& c : cases) {
        set_value(L"MON_QUORVALEND_TIMEOUT", c.type, c.data, c.size);
        launcher_settings settings;
        EXPECT_EQ(read_configuration(settings), 0u);
        EXPECT_EQ(settings.timeout_ms, c.expected) << c.what;
    }
}

} // namespace
