// Stand-in postwell for the tests of MAPIMessage.send: writes its command line
// (UTF-16, as the system gave it) to "command_line.txt" next to itself and ends.

#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    folder.erase(folder.find_last_of(L'\\') + 1);
    const std::wstring target = folder + L"command_line.txt";
    const std::wstring partial = target + L".part";

    const wchar_t* line = GetCommandLineW();
    HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(lstrlenW(line) * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(file);
    // Renamed when complete, so that a reader never sees half of it.
    return MoveFileExW(partial.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
