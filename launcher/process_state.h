#pragma once

#include <windows.h>

namespace morvalent::launcher {

// What the whole run uses: the process heap, from which every buffer comes,
// and the launcher's own module, which holds its string resources.
struct process_state {
    HANDLE heap;
    HMODULE module;
};

extern process_state the_process;

// Takes the heap and the module of the running program; done once at start-up.
void take_process_state();

} // namespace morvalent::launcher
