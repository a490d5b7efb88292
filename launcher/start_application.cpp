#include "start_application.h"

#include "report_error.h"
#include "resource_ids.h"

namespace morvalent::launcher {

DWORD join_command_line(const wchar_t* const* pieces, unsigned count, heap_string& line)
{
    line.reset();
    unsigned long long characters = 1;
    for (unsigned i = 0; i < count; ++i) characters += unsigned(lstrlenW(pieces[i]));
    // Checked here: some implementations of CreateProcessW cut a longer line
    // silently instead of failing.
    if (characters > max_command_line) return ERROR_FILENAME_EXCED_RANGE;
    if (!line.allocate(heap_size(characters * sizeof(wchar_t)))) return ERROR_OUTOFMEMORY;
    wchar_t* end = line.get();
    for (unsigned i = 0; i < count; ++i)
        for (const wchar_t* from = pieces[i]; *from != L'\0';) *end++ = *from++;
    return ERROR_SUCCESS;
}

bool start_application(const wchar_t* const* pieces, unsigned count, scoped_handle& process)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};

    heap_string line;
    const DWORD joined = join_command_line(pieces, count, line);
    if (joined == ERROR_OUTOFMEMORY) {
        report_error(IDS_LAUNCHER_PROBLEM, ERROR_OUTOFMEMORY);
        return false;
    }
    if (joined != ERROR_SUCCESS) {
        report_error(IDS_LAUNCH_FAILED, joined);
        return false;
    }
    if (!CreateProcessW(nullptr, line.get(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
        const DWORD error = GetLastError();
        report_error(IDS_LAUNCH_FAILED, error);
        return false;
    }
    CloseHandle(started.hThread);
    process.reset(started.hProcess);
    return true;
}

} // namespace morvalent::launcher
