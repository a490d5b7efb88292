// The launcher without "/printmonitor", end to end: the command line the
// stand-in application receives, the boxes shown and the exit status.

#include <gtest/gtest.h>

#include "launcher_fixture.h"

using namespace launcher_tests;
using test_support::narrow;

namespace {

constexpr DWORD start_timeout_ms = 10000;

struct PlainMode : LauncherSettings {
    PlainMode() { set_text(L"QUORVALEND_EXE", standin_path()); }
    static std::wstring quoted_standin() { return L"\"" + standin_path() + L"\""; }
};

TEST_F(PlainMode, ArgumentsArePassedOnCharacterForCharacter)
{
    set_text(L"MON_QUORVALEND_OPT", L"-Xmx512m -jar \"C:\\Program Files\\q.jar\"");
    const std::wstring options = L" -Xmx512m -jar \"C:\\Program Files\\q.jar\" ";
    struct {
        const wchar_t* after_name; // what follows the launcher's quoted path
        const wchar_t* arguments;  // what the application gets after its options
    } cases[] = {
        {L"", L""}, // the options, then one trailing space
        {L" a.pdf", L"a.pdf"},
        {L"    \"C:\\my files\\a.pdf\"   -x  \"\"  \"un\"closed \"", L"\"C:\\my files\\a.pdf\"   -x  \"\"  \"un\"closed \""},
        {L"direct after the quote", L"direct after the quote"},
        {L" tab\tand\u00E9\u4E2D ", L"tab\tand\u00E9\u4E2D "},
        {L" /PrintMonitor x", L"/PrintMonitor x"}, // the switch is case-sensitive
    };
    for (const auto& c : cases) {
        standin_application application(L"exit");
        const launcher_run run = run_launcher(c.after_name);
        EXPECT_TRUE(run.finished);
        EXPECT_EQ(run.exit_code, 0u);
        EXPECT_TRUE(run.boxes.empty());
        ASSERT_TRUE(application.started(start_timeout_ms)) << narrow(c.after_name);
        EXPECT_EQ(narrow(application.command_line()), narrow(quoted_standin() + options + c.arguments))
            << narrow(c.after_name);
    }
}

TEST_F(PlainMode, AbsentOptionsLeaveTwoSpaces)
{
    standin_application application(L"exit");
    const launcher_run run = run_launcher(L" a b");
    EXPECT_EQ(run.exit_code, 0u);
    ASSERT_TRUE(application.started(start_timeout_ms));
    EXPECT_EQ(narrow(application.command_line()), narrow(quoted_standin() + L"  a b"));
}

TEST_F(PlainMode, LauncherDoesNotWaitForTheApplication)
{
    standin_application application(L"forever");
    const launcher_run run = run_launcher(L" x");
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(run.exit_code, 0u);
    ASSERT_TRUE(application.started(start_timeout_ms));
    EXPECT_TRUE(application.running());
}

TEST_F(PlainMode, LongArgumentsArriveWhole)
{
    // Options make the application's line longer than the launcher's own, so
    // that the application's line can reach the system's limit.
    const std::wstring options(2000, L'o');
    set_text(L"MON_QUORVALEND_OPT", options);
    const std::wstring fixed = quoted_standin() + L" " + options + L" ";
    for (size_t length : {size_t(3000), 32766 - fixed.size()}) {
        const std::wstring argument = L"C:\\" + std::wstring(length - 9, L'd') + L"\\a.pdf";
        standin_application application(L"exit");
        const launcher_run run = run_launcher(L" " + argument);
        EXPECT_EQ(run.exit_code, 0u);
        EXPECT_TRUE(run.boxes.empty()) << length;
        ASSERT_TRUE(application.started(start_timeout_ms)) << length;
        const std::wstring received = application.command_line();
        EXPECT_EQ(received.size(), fixed.size() + argument.size());
        EXPECT_TRUE(received == fixed + argument) << "argument of " << length << " characters changed";
    }
}

TEST_F(PlainMode, CommandLineOverTheSystemsLimitStartsNothing)
{
    const std::wstring options(2000, L'o');
    set_text(L"MON_QUORVALEND_OPT", options);
    const std::wstring fixed = quoted_standin() + L" " + options + L" ";
    // One character more than the 32766 that fit with the terminator.
    const std::wstring argument(32767 - fixed.size(), L'a');
    standin_application application(L"exit");
    const launcher_run run = run_launcher(L" " + argument);
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(run.exit_code, 0u);
    expect_one_box(run, launch_failed_text, ERROR_FILENAME_EXCED_RANGE);
    EXPECT_FALSE(application.started(300));
}

TEST_F(PlainMode, FailedStartShowsMessage4AndExitsWithZero)
{
    const DWORD as_number = 0x00420041; // read as the text "AB"
    struct {
        const char* what;
        DWORD type;
        std::wstring path;
        DWORD code;
    } cases[] = {
        {"missing program", REG_SZ, test_support::program_folder() + L"no-such-program.exe", ERROR_FILE_NOT_FOUND},
        {"number", REG_DWORD, L"", ERROR_FILE_NOT_FOUND},
    };
    for (const auto& c : cases) {
        if (c.type == REG_DWORD) set_value(L"QUORVALEND_EXE", REG_DWORD, &as_number, sizeof(as_number));
        else set_text(L"QUORVALEND_EXE", c.path);
        const launcher_run run = run_launcher(L" x");
        EXPECT_TRUE(run.finished) << c.what;
        EXPECT_EQ(run.exit_code, 0u) << c.what;
        expect_one_box(run, launch_failed_text, c.code);
    }
}

TEST_F(PlainMode, UnreadableConfigurationShowsMessage2AndExitsWithTheRegistryError)
{
    standin_application application(L"exit");
    // Without the application's path.
    test_support::delete_registry_value(HKEY_LOCAL_MACHINE, key, L"QUORVALEND_EXE");
    set_text(L"MON_QUORVALEND_OPT", L"-x");
    launcher_run run = run_launcher(L" x");
    EXPECT_EQ(run.exit_code, DWORD(ERROR_FILE_NOT_FOUND));
    expect_one_box(run, bad_configuration_text, ERROR_FILE_NOT_FOUND);

    // Without the key.
    test_support::delete_registry_tree(HKEY_LOCAL_MACHINE, key);
    run = run_launcher(L" x");
    EXPECT_EQ(run.exit_code, DWORD(ERROR_FILE_NOT_FOUND));
    expect_one_box(run, bad_configuration_text, ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(application.started());
}

} // namespace
