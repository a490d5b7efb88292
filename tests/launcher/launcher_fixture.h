#pragma once

// Shared by the launcher's tests: its texts, its registry settings in the test
// prefix, runs of the built launcher with a message-box reader beside them,
// and the stand-in application it starts.

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "message_box_reader.h"
#include "test_support.h"

namespace launcher_tests {

// The product name as the launcher writes it, with no-break spaces.
extern const std::wstring product_name;
extern const std::wstring bad_configuration_text; // message 2
extern const std::wstring wait_failed_text;       // message 3
extern const std::wstring launch_failed_text;     // message 4
extern const std::wstring launcher_problem_text;  // message 7

// The system's text for a Win32 error code, as the launcher asks for it.
std::wstring system_text(DWORD code);
// What a box of the launcher shows for a message and a code.
std::wstring box_text(const std::wstring& message, DWORD code);

std::wstring launcher_path();
std::wstring standin_path();

// The launcher's key HKLM "SOFTWARE\Morvalent\KV", removed before and after each test.
struct LauncherSettings : ::testing::Test {
    static const std::wstring key;
    LauncherSettings();
    ~LauncherSettings() override;
    static void set_text(const std::wstring& name, const std::wstring& value, DWORD type = REG_SZ);
    static void set_value(const std::wstring& name, DWORD type, const void* data, DWORD size);
    static void set_timeout(DWORD timeout_ms);
};

struct launcher_run {
    bool finished = false; // false: still running at the time-out (then ended)
    DWORD exit_code = 0;
    DWORD elapsed_ms = 0;
    std::vector<test_doubles::message_box> boxes; // read and closed while it ran
};

struct run_options {
    DWORD timeout_ms = 15000;
    std::function<void(HANDLE launcher)> while_running; // called once the launcher has started
    std::function<void()> on_box;                       // called for each box before OK is pressed
};

// Runs the launcher with `after_name` following its quoted path on its command
// line, pressing OK on any box it shows.
launcher_run run_launcher(const std::wstring& after_name, const run_options& options = {});

// Expects exactly one box, with the product name as caption and this text.
void expect_one_box(const launcher_run& run, const std::wstring& message, DWORD code);

// The stand-in application, told through the environment (which the launcher
// passes on) what to do and where to record its command line. Ended by its
// process id when the holder ends.
class standin_application {
public:
    explicit standin_application(const std::wstring& mode);
    ~standin_application();
    standin_application(const standin_application&) = delete;
    standin_application& operator=(const standin_application&) = delete;

    // Whether it has started (recorded its command line), waiting at most `timeout_ms`.
    bool started(DWORD timeout_ms = 0);
    std::wstring command_line();
    bool running();
    void end();

private:
    test_support::temp_folder folder_;
    std::wstring record_;
    HANDLE process_ = nullptr;
};

bool file_exists(const std::wstring& path);
void create_file(const std::wstring& path);

} // namespace launcher_tests
