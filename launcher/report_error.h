#pragma once

#include <windows.h>

namespace morvalent::launcher {

// Shows one modal warning box: the string-table message for `message_id`, an
// empty line, and the system's text for the Win32 error `code`, with the
// product name as caption. Returns when the user has closed it. Never fails
// visibly: missing texts are replaced, and without memory no box is shown.
void report_error(UINT message_id, DWORD code);

} // namespace morvalent::launcher
