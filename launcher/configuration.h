#pragma once

#include <windows.h>

#include "holders.h"

namespace morvalent::launcher {

// The launcher's settings, read from HKLM "SOFTWARE\Morvalent\KV".
struct launcher_settings {
    heap_string application_path;    // "QUORVALEND_EXE", required
    heap_string application_options; // "MON_QUORVALEND_OPT", none counts as empty
    DWORD timeout_ms = INFINITE;     // "MON_QUORVALEND_TIMEOUT", print-monitor waits
};

// Fills `settings`, which holds its defaults. Returns 0, or the Win32 error of
// opening the key or of reading "QUORVALEND_EXE"; the other two values are
// optional and leave their defaults when they cannot be read.
DWORD read_configuration(launcher_settings& settings);

// Reads one value as UTF-16 text up to its first zero, whatever its type,
// always terminated after its bytes. Returns 0 with a new heap string in
// `value`, or the error of the query (ERROR_OUTOFMEMORY when the heap refuses
// the buffer) with `value` left empty.
DWORD query_string_value(HKEY key, const wchar_t* name, heap_string& value);

} // namespace morvalent::launcher
