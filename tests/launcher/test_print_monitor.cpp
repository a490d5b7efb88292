// The launcher with "/printmonitor", end to end: one case per way a run can
// end, with the input file, the stand-in application and the boxes shown.

#include <gtest/gtest.h>

#include "launcher_fixture.h"

using namespace launcher_tests;
using test_support::narrow;

namespace {

constexpr DWORD start_timeout_ms = 10000;

struct PrintMonitor : LauncherSettings {
    PrintMonitor() : input(input_folder.path() + L"print-job.tmp")
    {
        set_text(L"QUORVALEND_EXE", standin_path());
        set_text(L"MON_QUORVALEND_OPT", L"-Xmx512m -jar q.jar");
        create_file(input);
    }
    std::wstring expected_line() const
    {
        return L"\"" + standin_path() + L"\" -Xmx512m -jar q.jar -delete-input-file \"" + input + L"\"";
    }

    test_support::temp_folder input_folder;
    std::wstring input;
};

TEST_F(PrintMonitor, ApplicationTakesTheFileAndKeepsRunning)
{
    standin_application application(L"delete");
    const launcher_run run = run_launcher(L" " + input + L" /printmonitor");
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(run.exit_code, 0u);
    EXPECT_TRUE(run.boxes.empty());
    ASSERT_TRUE(application.started());
    EXPECT_EQ(narrow(application.command_line()), narrow(expected_line()));
    EXPECT_TRUE(application.running()) << "the launcher waited for the application instead of the file";
    EXPECT_FALSE(file_exists(input));
}

TEST_F(PrintMonitor, LauncherDeletesTheFileWhenTheApplicationEndsOrTheTimeRunsOut)
{
    struct {
        const char* what;
        const wchar_t* mode;
        DWORD timeout_ms; // 0xFFFFFFFF: none configured
        bool application_ends;
    } cases[] = {
        {"application ends at once", L"exit", INFINITE, true},
        {"application ends later", L"sleep:700", INFINITE, true},
        {"application ends within the wait time", L"sleep:300", 10000, true},
        {"zero wait time", L"forever", 0, false},
        {"wait time runs out", L"forever", 600, false},
    };
    for (const auto& c : cases) {
        create_file(input);
        if (c.timeout_ms != INFINITE) set_timeout(c.timeout_ms);
        else test_support::delete_registry_value(HKEY_LOCAL_MACHINE, key, L"MON_QUORVALEND_TIMEOUT");
        standin_application application(c.mode);
        const launcher_run run = run_launcher(L" \"" + input + L"\" /printmonitor");
        EXPECT_TRUE(run.finished) << c.what;
        EXPECT_EQ(run.exit_code, 0u) << c.what;
        EXPECT_TRUE(run.boxes.empty()) << c.what;
        ASSERT_TRUE(application.started(start_timeout_ms)) << c.what;
        EXPECT_EQ(narrow(application.command_line()), narrow(expected_line())) << c.what;
        EXPECT_NE(application.running(), c.application_ends) << c.what;
        if (c.timeout_ms != INFINITE && !c.application_ends) {
            EXPECT_GE(run.elapsed_ms, c.timeout_ms) << c.what;
        }
        EXPECT_FALSE(file_exists(input)) << c.what;
    }
}

TEST_F(PrintMonitor, OtherFilesInTheFolderDoNotEndTheWait)
{
    standin_application application(L"sleep:3000");
    const std::wstring other = input_folder.path() + L"other.tmp";
    bool other_created_while_waiting = false;
    run_options options;
    options.while_running = [&](HANDLE launcher) {
        if (!application.started(start_timeout_ms)) return;
        Sleep(300); // the launcher watches the folder by now
        create_file(other);
        Sleep(200);
        DeleteFileW(other.c_str());
        Sleep(200);
        other_created_while_waiting = WaitForSingleObject(launcher, 0) == WAIT_TIMEOUT;
    };
    const launcher_run run = run_launcher(L" " + input + L" /printmonitor", options);
    EXPECT_TRUE(other_created_while_waiting) << "the launcher ended at a change of another file";
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(run.exit_code, 0u);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_FALSE(application.running());
    EXPECT_FALSE(file_exists(input)) << "the launcher took another file's change for the input's removal";
}

TEST_F(PrintMonitor, FailuresAreShownAndTheFileIsDeletedAfterwards)
{
    const std::wstring long_options(32767, L'o');
    struct {
        const char* what;
        bool key;
        std::wstring application;
        std::wstring options;
        DWORD exit_code;
        const std::wstring* message;
        DWORD code;
    } cases[] = {
        {"configuration missing", false, L"", L"", ERROR_FILE_NOT_FOUND, &bad_configuration_text,
         ERROR_FILE_NOT_FOUND},
        {"application missing", true, input_folder.path() + L"missing.exe", L"", 0, &launch_failed_text,
         ERROR_FILE_NOT_FOUND},
        {"command line too long", true, standin_path(), long_options, 0, &launch_failed_text,
         ERROR_FILENAME_EXCED_RANGE},
    };
    for (const auto& c : cases) {
        test_support::delete_registry_tree(HKEY_LOCAL_MACHINE, key);
        if (c.key) {
            set_text(L"QUORVALEND_EXE", c.application);
            set_text(L"MON_QUORVALEND_OPT", c.options);
        }
        create_file(input);
        standin_application application(L"exit");
        bool file_kept_while_box_shown = false;
        run_options options;
        options.on_box = [&] { file_kept_while_box_shown = file_exists(input); };
        const launcher_run run = run_launcher(L" " + input + L" /printmonitor", options);
        EXPECT_TRUE(run.finished) << c.what;
        EXPECT_EQ(run.exit_code, c.exit_code) << c.what;
        expect_one_box(run, *c.message, c.code);
        EXPECT_TRUE(file_kept_while_box_shown) << c.what;
        EXPECT_FALSE(file_exists(input)) << c.what;
        EXPECT_FALSE(application.started()) << c.what;
    }
}

TEST_F(PrintMonitor, OnlyTheInputFileReachesTheApplication)
{
    const std::wstring spaced = input_folder.path() + L"print job 2.tmp";
    struct {
        std::wstring after_name;
        std::wstring input;
    } cases[] = {
        {L" \"" + spaced + L"\" /printmonitor extra \"more args\"", spaced},
        {L"   " + input + L"   /printmonitor  -x", input},
        {L" " + input + L" x/printmonitorx", input}, // the switch inside a longer word
    };
    for (const auto& c : cases) {
        create_file(c.input);
        standin_application application(L"delete");
        const launcher_run run = run_launcher(c.after_name);
        EXPECT_EQ(run.exit_code, 0u);
        EXPECT_TRUE(run.boxes.empty());
        ASSERT_TRUE(application.started(start_timeout_ms)) << narrow(c.after_name);
        EXPECT_EQ(narrow(application.command_line()),
                  narrow(L"\"" + standin_path() + L"\" -Xmx512m -jar q.jar -delete-input-file \"" + c.input + L"\""));
        EXPECT_FALSE(file_exists(c.input));
    }
}

TEST_F(PrintMonitor, BareFileNameIsWatchedInTheCurrentFolder)
{
    // The launcher and the application it starts share the test's current folder.
    wchar_t previous[MAX_PATH];
    ASSERT_NE(GetCurrentDirectoryW(MAX_PATH, previous), 0u);
    ASSERT_TRUE(SetCurrentDirectoryW(input_folder.path().c_str()));
    standin_application application(L"delete");
    const launcher_run run = run_launcher(L" print-job.tmp /printmonitor");
    SetCurrentDirectoryW(previous);
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(run.exit_code, 0u);
    ASSERT_TRUE(application.started());
    EXPECT_EQ(narrow(application.command_line()),
              narrow(L"\"" + standin_path() + L"\" -Xmx512m -jar q.jar -delete-input-file \"print-job.tmp\""));
    EXPECT_TRUE(application.running()) << "the launcher did not see the file go";
    EXPECT_FALSE(file_exists(input));
}

TEST_F(PrintMonitor, FolderThatCannotBeWatchedWaitsForTheApplicationAlone)
{
    const std::wstring unwatchable = input_folder.path() + L"missing-folder\\job.tmp";
    standin_application application(L"sleep:300");
    const launcher_run run = run_launcher(L" " + unwatchable + L" /printmonitor");
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(run.exit_code, 0u);
    EXPECT_TRUE(run.boxes.empty());
    ASSERT_TRUE(application.started());
    EXPECT_FALSE(application.running());
}

} // namespace
