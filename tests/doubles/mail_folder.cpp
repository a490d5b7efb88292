#include "mail_folder.h"

#include <gtest/gtest.h>

#include <vector>

namespace test_doubles {

namespace {

bool exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

mail_folder::mail_folder(provider kind)
{
    // Wine prefers its own built-in mapi32 over a library next to the program
    // (Windows does not). For postwell only the library file is allowed: the
    // built-in one would hand the mail to the desktop's mail program.
    // The desktop exists before postwell starts: under Wine the first program
    // that needs it waits for it with its message loop, which counts as ready
    // for input and would end MAPIMessage.send's wait before the send.
    GetDesktopWindow();
    test_support::set_registry_string(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\postwell.exe\\DllOverrides",
                                      L"mapi32", L"native");
    const std::wstring bin = test_support::program_folder();
    const wchar_t* dll = kind == provider::with_send ? L"stand_in_mapi32.dll" : L"stand_in_mapi32_no_send.dll";
    SetLastError(0xdeadbeef);
    EXPECT_TRUE(CopyFileW((bin + L"postwell.exe").c_str(), postwell().c_str(), FALSE))
        << "copy of postwell.exe, error " << GetLastError();
    SetLastError(0xdeadbeef);
    EXPECT_TRUE(CopyFileW((bin + dll).c_str(), (path() + L"mapi32.dll").c_str(), FALSE))
        << "copy of the stand-in provider, error " << GetLastError();
}

mail_folder::~mail_folder()
{
    // The folder can be removed only when the postwell that ran there ended.
    const auto record = received_now();
    const auto pid = record.find("pid");
    if (pid == record.end()) return;
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, std::stoul(pid->second));
    if (!process) return;
    EXPECT_EQ(WaitForSingleObject(process, 10000), WAIT_OBJECT_0) << "postwell still running";
    CloseHandle(process);
}

void mail_folder::behave(const std::string& behaviour) const
{
    HANDLE file = CreateFileW((path() + L"mapi_behaviour.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, behaviour.data(), static_cast<DWORD>(behaviour.size()), &written, nullptr);
    CloseHandle(file);
}

run_outcome mail_folder::run(const std::wstring& command_line, const wchar_t* current_directory,
                             DWORD timeout_ms) const
{
    run_outcome outcome;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    std::vector<wchar_t> line(command_line.begin(), command_line.end());
    line.push_back(L'\0');
    SetLastError(0xdeadbeef);
    outcome.started = CreateProcessW(postwell().c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                     current_directory, &startup, &info) != FALSE;
    if (!outcome.started) {
        ADD_FAILURE() << "cannot start postwell, error " << GetLastError();
        return outcome;
    }
    const test_support::process_end end = test_support::finish_process(info, timeout_ms);
    outcome.finished = end.finished;
    outcome.exit_code = end.exit_code;
    return outcome;
}

bool mail_folder::provider_loaded() const
{
    return exists(path() + L"mapi_loaded.txt");
}

bool mail_folder::provider_called() const
{
    return exists(path() + L"mapi_received.txt");
}

std::map<std::string, std::string> mail_folder::received() const
{
    // postwell may still be on its way to the provider when the native returns.
    for (int wait = 0; wait < 200 && !provider_called(); ++wait) Sleep(50);
    EXPECT_TRUE(provider_called()) << "the provider was not called";
    return received_now();
}

std::map<std::string, std::string> mail_folder::received_now() const
{
    std::map<std::string, std::string> record;
    const std::string text = test_support::read_file(path() + L"mapi_received.txt");
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        const size_t equals = line.find('=');
        if (equals != std::string::npos) record[line.substr(0, equals)] = line.substr(equals + 1);
        start = end + 1;
    }
    return record;
}

std::optional<std::string> text_field(const std::map<std::string, std::string>& record, const std::string& name)
{
    const auto found = record.find(name);
    if (found == record.end() || found->second == "null") return std::nullopt;
    const std::string& raw = found->second;
    std::string text;
    for (size_t i = 1; i + 1 < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 3 < raw.size() && raw[i + 1] == 'x') {
            text += static_cast<char>(std::stoi(raw.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            text += raw[i];
        }
    }
    return text;
}

bool close_compose_dialog(DWORD timeout_ms)
{
    HWND window = FindWindowW(L"InkvaleStandInCompose", nullptr);
    if (!window) return false;
    DWORD process_id = 0;
    GetWindowThreadProcessId(window, &process_id);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, process_id);
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (!process) return false;
    const bool ended = WaitForSingleObject(process, timeout_ms) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

} // namespace test_doubles
