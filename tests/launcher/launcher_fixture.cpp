#include "launcher_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace launcher_tests {

namespace {

// Under Wine without a window manager, closing a managed window waits two
// seconds for the manager that never answers; unmanaged windows close at once.
// Set for the programs that show the launcher's boxes, in the test prefix.
class unmanaged_windows : public ::testing::Environment {
public:
    void SetUp() override
    {
        for (const wchar_t* program : programs)
            test_support::set_registry_string(HKEY_CURRENT_USER, settings_key(program), L"Managed", L"N");
    }
    void TearDown() override
    {
        for (const wchar_t* program : programs)
            test_support::delete_registry_tree(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\" + std::wstring(program));
    }

private:
    static std::wstring settings_key(const wchar_t* program)
    {
        return L"Software\\Wine\\AppDefaults\\" + std::wstring(program) + L"\\X11 Driver";
    }
    static constexpr const wchar_t* programs[] = {L"launcher_tests.exe", L"inkvale_Application_Launcher.exe"};
};

::testing::Environment* const unmanaged = ::testing::AddGlobalTestEnvironment(new unmanaged_windows);

} // namespace

const std::wstring product_name = L"Tarvo\u00A0inkvale\u00A0PDF";
const std::wstring bad_configuration_text =
    L"The configuration settings held in the registry are missing or invalid.";
const std::wstring wait_failed_text = L"There was a problem in waiting for the " + product_name +
                                      L" application to either remove a temporary file or to exit.";
const std::wstring launch_failed_text = L"The application launcher was unable to run the " + product_name +
                                        L" application. Check the registry settings have been configured correctly "
                                        L"and point to the " +
                                        product_name + L" application.";
const std::wstring launcher_problem_text = L"There was a problem with the " + product_name +
                                           L" application launcher. Please refer to the code below for more "
                                           L"information.";

std::wstring system_text(DWORD code)
{
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, 0,
                                        reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::wstring result = length && text ? std::wstring(text, length) : L"GLE: " + std::to_wstring(code);
    LocalFree(text);
    return result;
}

std::wstring box_text(const std::wstring& message, DWORD code) { return message + L"\r\n\r\n" + system_text(code); }

std::wstring launcher_path() { return test_support::program_folder() + L"inkvale_Application_Launcher.exe"; }
std::wstring standin_path() { return test_support::program_folder() + L"standin_application.exe"; }

const std::wstring LauncherSettings::key = L"SOFTWARE\\Morvalent\\KV";

LauncherSettings::LauncherSettings() { test_support::delete_registry_tree(HKEY_LOCAL_MACHINE, key); }
LauncherSettings::~LauncherSettings() { test_support::delete_registry_tree(HKEY_LOCAL_MACHINE, key); }

void LauncherSettings::set_text(const std::wstring& name, const std::wstring& value, DWORD type)
{
    test_support::set_registry_string(HKEY_LOCAL_MACHINE, key, name, value, type);
}

void LauncherSettings::set_value(const std::wstring& name, DWORD type, const void* data, DWORD size)
{
    test_support::set_registry_value(HKEY_LOCAL_MACHINE, key, name, type, data, size);
}

void LauncherSettings::set_timeout(DWORD timeout_ms)
{
    set_value(L"MON_QUORVALEND_TIMEOUT", REG_DWORD, &timeout_ms, sizeof(timeout_ms));
}

launcher_run run_launcher(const std::wstring& after_name, const run_options& options)
{
    launcher_run run;
    test_doubles::message_box_reader reader(product_name, options.on_box);
    const std::wstring line = L"\"" + launcher_path() + L"\"" + after_name;
    std::vector<wchar_t> buffer(line.begin(), line.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    const DWORD start = GetTickCount();
    SetLastError(0xdeadbeef);
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        ADD_FAILURE() << "cannot start the launcher, error " << GetLastError();
        return run;
    }
    if (options.while_running) options.while_running(info.hProcess);
    const test_support::process_end end = test_support::finish_process(info, options.timeout_ms);
    run.elapsed_ms = GetTickCount() - start;
    run.finished = end.finished;
    run.exit_code = end.exit_code;
    run.boxes = reader.stop();
    return run;
}

void expect_one_box(const launcher_run& run, const std::wstring& message, DWORD code)
{
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(test_support::narrow(run.boxes[0].caption), test_support::narrow(product_name));
    EXPECT_EQ(test_support::narrow(run.boxes[0].text), test_support::narrow(box_text(message, code)));
}

standin_application::standin_application(const std::wstring& mode) : record_(folder_.path() + L"command-line.bin")
{
    SetEnvironmentVariableW(L"INKVALE_STANDIN_RECORD", record_.c_str());
    SetEnvironmentVariableW(L"INKVALE_STANDIN_MODE", mode.c_str());
}

standin_application::~standin_application()
{
    end();
    SetEnvironmentVariableW(L"INKVALE_STANDIN_RECORD", nullptr);
    SetEnvironmentVariableW(L"INKVALE_STANDIN_MODE", nullptr);
}

bool standin_application::started(DWORD timeout_ms)
{
    const DWORD start = GetTickCount();
    while (!file_exists(record_)) {
        if (GetTickCount() - start >= timeout_ms) return false;
        Sleep(10);
    }
    if (!process_) {
        const DWORD pid = DWORD(std::strtoul(test_support::read_file(record_ + L".pid").c_str(), nullptr, 10));
        // Fails when it has already ended, which is what running() reports then.
        process_ = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
    }
    return true;
}

std::wstring standin_application::command_line()
{
    if (!started()) return L"<not started>";
    const std::string data = test_support::read_file(record_);
    std::wstring line(data.size() / sizeof(wchar_t), L'\0');
    std::memcpy(&line[0], data.data(), line.size() * sizeof(wchar_t));
    return line;
}

bool standin_application::running()
{
    return started() && process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

void standin_application::end()
{
    if (!process_) return;
    TerminateProcess(process_, 0);
    WaitForSingleObject(process_, 5000);
    CloseHandle(process_);
    process_ = nullptr;
}

bool file_exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void create_file(const std::wstring& path)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot create " << test_support::narrow(path);
    DWORD written = 0;
    WriteFile(file, "print job", 9, &written, nullptr);
    CloseHandle(file);
}

} // namespace launcher_tests
