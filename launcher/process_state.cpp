#include "process_state.h"

namespace morvalent::launcher {

process_state the_process = {nullptr, nullptr};

void take_process_state()
{
    the_process.heap = GetProcessHeap();
    the_process.module = GetModuleHandleW(nullptr);
}

} // namespace morvalent::launcher
