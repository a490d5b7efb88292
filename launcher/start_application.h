#pragma once

#include <windows.h>

#include "holders.h"

namespace morvalent::launcher {

// The most characters a command line may have, its terminator included.
constexpr unsigned long long max_command_line = 32767;

// Joins `count` texts into one new heap string of exactly the needed size.
// Returns 0; ERROR_FILENAME_EXCED_RANGE when the result with its terminator
// would exceed `max_command_line` characters (nothing is allocated then); or
// ERROR_OUTOFMEMORY when the heap refuses the buffer.
DWORD join_command_line(const wchar_t* const* pieces, unsigned count, heap_string& line);

// Starts the application with the command line joined from `pieces`, with
// the launcher's own environment and current directory and no inherited
// handles. On success closes the new thread's handle and hands over the
// process handle. Every failure is shown through report_error: message 7
// with code 14 when no buffer can be had, message 4 with the start error
// otherwise (ERROR_FILENAME_EXCED_RANGE for a command line that is too long).
bool start_application(const wchar_t* const* pieces, unsigned count, scoped_handle& process);

} // namespace morvalent::launcher
