// The launcher's text handling: its own name skipped, tokens cut, the switch
// found, the folder to watch, and the application's command line joined.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command_line.h"
#include "print_monitor.h"
#include "process_state.h"
#include "start_application.h"
#include "test_support.h"

using namespace morvalent::launcher;
using test_support::narrow;

namespace {

TEST(LauncherCommandLine, SkipProgramName)
{
    struct {
        const wchar_t* line;
        const wchar_t* arguments;
    } cases[] = {
        {L"\"C:\\Program Files\\launcher.exe\" a b", L"a b"},
        {L"C:\\launcher.exe a b", L"a b"},
        {L"\"C:\\launcher.exe\"arg  x", L"arg  x"},           // no blank after the closing quote
        {L"launcher.exe    \"quoted  arg\"  ", L"\"quoted  arg\"  "}, // only the leading blanks go
        {L"launcher.exe\ta b", L"b"},                          // a tab is part of the name
        {L"launcher.exe \tx", L"\tx"},                         // and not a blank after it
        {L"\"C:\\unclosed name a b", L""},
        {L"\"C:\\launcher.exe\"", L""},
        {L"launcher.exe", L""},
        {L"launcher.exe   ", L""},
        {L"\"\" x", L"x"},
        {L"", L""},
    };
    for (const auto& c : cases) {
        std::wstring line = c.line;
        const wchar_t* arguments = skip_program_name(&line[0]);
        ASSERT_NE(arguments, nullptr);
        EXPECT_GE(arguments, line.c_str());
        EXPECT_LE(arguments, line.c_str() + line.size());
        EXPECT_EQ(narrow(arguments), narrow(c.arguments)) << narrow(c.line);
    }
}

TEST(LauncherCommandLine, ProcessArgumentsAreTheTailOfItsOwnCommandLine)
{
    const wchar_t* line = GetCommandLineW();
    const wchar_t* arguments = skip_program_name();
    EXPECT_GE(arguments, line);
    EXPECT_LE(arguments, line + lstrlenW(line));
}

TEST(LauncherCommandLine, CutToken)
{
    struct {
        const wchar_t* text;
        std::vector<std::wstring> tokens; // cut one after the other
        const wchar_t* rest;              // where the cursor is left
    } cases[] = {
        {L"C:\\in.tmp /printmonitor", {L"C:\\in.tmp", L"/printmonitor"}, L""},
        {L"\"C:\\my files\\in put.tmp\" /printmonitor x", {L"C:\\my files\\in put.tmp"}, L" /printmonitor x"},
        {L"   a    b", {L"a", L"b"}, L""},
        {L"a\tb c", {L"a\tb"}, L"c"},
        {L"\"unclosed quote b", {L"unclosed quote b"}, L""},
        {L"\"\" b", {L"", L"b"}, L""},
        {L"\"ab\"cd e", {L"ab", L"cd"}, L"e"},
        {L"", {L""}, L""},
        {L"   ", {L""}, L""},
    };
    for (const auto& c : cases) {
        std::wstring text = c.text;
        wchar_t* cursor = &text[0];
        for (const std::wstring& expected : c.tokens) {
            const wchar_t* token = cut_token(&cursor);
            ASSERT_NE(token, nullptr) << narrow(c.text);
            EXPECT_EQ(narrow(token), narrow(expected)) << narrow(c.text);
        }
        EXPECT_EQ(narrow(cursor), narrow(c.rest)) << narrow(c.text);
    }
}

TEST(LauncherCommandLine, CutTokenWithoutCursor)
{
    EXPECT_EQ(cut_token(nullptr), nullptr);
    wchar_t* cursor = nullptr;
    EXPECT_EQ(cut_token(&cursor), nullptr);
}

TEST(LauncherCommandLine, PrintMonitorSwitchIsAPlainCaseSensitiveSearch)
{
    const std::wstring switch_text = L"/printmonitor";
    struct {
        const wchar_t* text;
        bool found;
    } cases[] = {
        {L"/printmonitor", true},
        {L"C:\\in.tmp /printmonitor", true},
        {L"x/printmonitorx", true},
        {L"/printmonito", false},
        {L"/PrintMonitor C:\\in.tmp", false},
        {L"/printmonitoR", false},
        {L"//printmonitor", true},
        {L"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(contains_text(c.text, switch_text.c_str()), c.found) << narrow(c.text);
}

struct LauncherHeap : ::testing::Test {
    LauncherHeap() { take_process_state(); }
};

TEST_F(LauncherHeap, FolderToWatch)
{
    struct {
        const wchar_t* path;
        const wchar_t* folder;
    } cases[] = {
        {L"C:\\spool\\job 1.tmp", L"C:\\spool\\"},
        {L"C:\\job.tmp", L"C:\\"},
        {L"C:job.tmp", L"C:"},
        {L"\\\\server\\share\\job.tmp", L"\\\\server\\share\\"},
        {L"C:/spool/job.tmp", L"C:/spool/"},
        {L"job.tmp", L"."}, // no folder part: the current folder
        {L"", L"."},
    };
    for (const auto& c : cases) {
        heap_string folder;
        ASSERT_TRUE(folder_of(c.path, folder));
        EXPECT_EQ(narrow(folder.get()), narrow(c.folder)) << narrow(c.path);
    }
}

TEST_F(LauncherHeap, CommandLineIsJoinedInFullUpToTheSystemsLimit)
{
    // The longest line the system takes has 32767 characters with its terminator.
    const std::wstring head = L"\"C:\\app.exe\" ";
    struct {
        size_t length;
        DWORD status;
    } cases[] = {{head.size(), ERROR_SUCCESS},
                 {3000, ERROR_SUCCESS},
                 {32766, ERROR_SUCCESS},
                 {32767, ERROR_FILENAME_EXCED_RANGE},
                 {100000, ERROR_FILENAME_EXCED_RANGE}};
    for (const auto& c : cases) {
        const std::wstring tail(c.length - head.size(), L'x');
        const wchar_t* pieces[] = {L"\"", L"C:\\app.exe", L"\" ", tail.c_str()};
        heap_string line;
        EXPECT_EQ(join_command_line(pieces, 4, line), c.status) << c.length;
        if (c.status == ERROR_SUCCESS) {
            ASSERT_FALSE(line.empty());
            EXPECT_TRUE(std::wstring(line.get()) == head + tail) << c.length;
            EXPECT_EQ(HeapSize(GetProcessHeap(), 0, line.get()), (c.length + 1) * sizeof(wchar_t));
        } else {
            EXPECT_TRUE(line.empty());
        }
    }
}

} // namespace
