// The process entry point of the launcher. No runtime start-up code runs
// before it; it ends the process itself.

#include <windows.h>

#include "command_line.h"
#include "launch_application.h"
#include "print_monitor.h"
#include "process_state.h"

using namespace morvalent::launcher;

extern "C" DECLSPEC_NORETURN void WINAPI launcher_entry()
{
    take_process_state();
    wchar_t* const arguments = skip_program_name();
    // A plain, case-sensitive search: the switch may stand anywhere.
    const DWORD status =
        contains_text(arguments, L"/printmonitor") ? run_print_monitor(arguments) : launch_application(arguments);
    ExitProcess(status);
}
