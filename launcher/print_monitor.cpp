#include "print_monitor.h"

#include "command_line.h"
#include "configuration.h"
#include "report_error.h"
#include "resource_ids.h"
#include "start_application.h"

namespace morvalent::launcher {

namespace {

// Waits for the application alone, as when no change watch can be had.
void wait_for_application(HANDLE process, DWORD timeout_ms)
{
    const DWORD result = WaitForSingleObjectEx(process, timeout_ms, FALSE);
    if (result != WAIT_OBJECT_0 && result != WAIT_TIMEOUT) {
        const DWORD error = GetLastError();
        report_error(IDS_WAIT_FAILED, error);
    }
}

bool file_exists(const wchar_t* path)
{
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(path, &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

// Waits until the application ends, the wait time runs out, or the input file
// is found gone after a change of names in its folder. True only in the last
// case: the application has taken the file.
bool wait_until_taken(HANDLE process, const wchar_t* input, DWORD timeout_ms)
{
    change_watch watch;
    heap_string folder;
    if (folder_of(input, folder))
        watch.reset(FindFirstChangeNotificationW(folder.get(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME));
    if (!watch.valid()) {
        wait_for_application(process, timeout_ms);
        return false;
    }

    // The process first: when both are signalled, its end counts first.
    const HANDLE wait_set[2] = {process, watch.get()};
    for (;;) {
        const DWORD result = WaitForMultipleObjectsEx(2, wait_set, FALSE, timeout_ms, FALSE);
        if (result == WAIT_OBJECT_0 || result == WAIT_TIMEOUT) return false;
        if (result != WAIT_OBJECT_0 + 1) {
            const DWORD error = GetLastError();
            report_error(IDS_WAIT_FAILED, error);
            return false;
        }
        if (!file_exists(input)) return true;
        // Another name changed in the folder: wait again with the whole time.
        if (!FindNextChangeNotification(watch.get())) {
            wait_for_application(process, timeout_ms);
            return false;
        }
    }
}

} // namespace

bool folder_of(const wchar_t* path, heap_string& folder)
{
    // Length up to and including the last separator or drive colon.
    int length = 0;
    for (int i = 0; path[i] != L'\0'; ++i)
        if (path[i] == L'\\' || path[i] == L'/' || (i == 1 && path[i] == L':')) length = i + 1;
    if (length == 0) {
        path = L".";
        length = 1;
    }
    if (!folder.allocate(heap_size((static_cast<unsigned long long>(length) + 1) * sizeof(wchar_t)))) return false;
    for (int i = 0; i < length; ++i) folder.get()[i] = path[i];
    return true;
}

DWORD run_print_monitor(wchar_t* arguments)
{
    wchar_t* cursor = arguments;
    const wchar_t* const input = cut_token(&cursor);
    bool delete_input = true;

    launcher_settings settings;
    const DWORD status = read_configuration(settings);
    if (status != ERROR_SUCCESS) {
        report_error(IDS_BAD_CONFIGURATION, status);
        DeleteFileW(input);
        return status;
    }

    // "path" options -delete-input-file "input"
    const wchar_t* const pieces[] = {L"\"", settings.application_path.get(), L"\" ",
                                     settings.application_options.text_or_empty(), L" -delete-input-file \"", input,
                                     L"\""};
    scoped_handle process;
    if (start_application(pieces, sizeof(pieces) / sizeof(pieces[0]), process)) {
        if (wait_until_taken(process.get(), input, settings.timeout_ms)) delete_input = false;
        process.reset();
    }
    // Whatever the outcome, no input file is left behind unless the
    // application has taken it.
    if (delete_input) DeleteFileW(input);
    return status;
}

} // namespace morvalent::launcher
