#pragma once

#include <windows.h>

namespace morvalent::launcher {

// Plain mode: starts the application with its configured options followed by
// the launcher's argument text exactly as received, and does not wait for it.
// Returns the configuration status (0, or the registry error, which is shown).
DWORD launch_application(const wchar_t* arguments);

} // namespace morvalent::launcher
