#pragma once

#include <windows.h>

#include "holders.h"

namespace morvalent::launcher {

// Print-monitor mode: hands the file named by the first token of `arguments`
// to the application with "-delete-input-file", waits until the file has gone
// after a change in its folder, the application has ended or the configured
// wait time has run out, and deletes the file unless it was found gone.
// Cuts the token out of `arguments` in place. Returns the configuration status.
DWORD run_print_monitor(wchar_t* arguments);

// The folder to watch for `path`: its directory part with the trailing
// separator ("C:\" for a file in a root, "C:" for a drive-relative name), or
// "." for a bare file name. False when the heap refuses the copy.
bool folder_of(const wchar_t* path, heap_string& folder);

} // namespace morvalent::launcher
