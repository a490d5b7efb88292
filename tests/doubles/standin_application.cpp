// Stand-in for the signing application that the launcher starts.
//
// It records its command line exactly, as UTF-16 code units without a
// terminator, into the file named by INKVALE_STANDIN_RECORD, after writing
// its process id in decimal into that name plus ".pid". The record appears
// at once, complete (written aside, then renamed). What it does next comes
// from INKVALE_STANDIN_MODE:
//   exit        ends at once (also when the variable is missing);
//   sleep:<ms>  ends after that many milliseconds;
//   delete      deletes the file named after "-delete-input-file" and keeps
//               running, like the real application once it has read it;
//   forever     keeps running.
// "Running" is bounded by a minute, so that a test that fails to end the
// stand-in by its process id leaves nothing behind for long.

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

constexpr DWORD keep_running_ms = 60000;
// A real application takes a while to start before it reads its input file;
// the launcher sets its watch on the file's folder after starting it.
constexpr DWORD delay_before_delete_ms = 500;

std::wstring environment(const wchar_t* name)
{
    wchar_t value[1024];
    const DWORD length = GetEnvironmentVariableW(name, value, 1024);
    return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
}

bool write_file(const std::wstring& path, const void* data, DWORD size)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, data, size, &written, nullptr);
    CloseHandle(file);
    return ok && written == size;
}

bool write_record(const std::wstring& record)
{
    const std::string pid = std::to_string(GetCurrentProcessId());
    if (!write_file(record + L".pid", pid.data(), DWORD(pid.size()))) return false;
    const wchar_t* line = GetCommandLineW();
    const std::wstring part = record + L".part";
    if (!write_file(part, line, DWORD(lstrlenW(line) * sizeof(wchar_t)))) return false;
    return MoveFileExW(part.c_str(), record.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

std::wstring input_file()
{
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::wstring path;
    for (int i = 0; arguments && i + 1 < count; ++i)
        if (std::wstring(arguments[i]) == L"-delete-input-file") path = arguments[i + 1];
    LocalFree(arguments);
    return path;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const std::wstring record = environment(L"INKVALE_STANDIN_RECORD");
    if (record.empty() || !write_record(record)) return 3;

    const std::wstring mode = environment(L"INKVALE_STANDIN_MODE");
    if (mode.rfind(L"sleep:", 0) == 0) {
        Sleep(DWORD(std::stoul(mode.substr(6))));
    } else if (mode == L"delete") {
        Sleep(delay_before_delete_ms);
        if (!DeleteFileW(input_file().c_str())) return 4;
        Sleep(keep_running_ms);
    } else if (mode == L"forever") {
        Sleep(keep_running_ms);
    }
    return 0;
}
