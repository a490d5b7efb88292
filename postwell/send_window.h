#pragma once

#include <windows.h>

namespace postwell {

extern const char send_window_class[]; // "tdckSendMAPIClass"

// The program's life: registers the class of the hidden window, creates the
// window (its WM_CREATE runs `send` once and posts the result as WM_QUIT),
// hides it and runs the message loop until WM_QUIT. Returns the exit code:
// the send's result, or exit_no_window when the send never ran because the
// class or the window could not be made. Leaves no window, class or pending
// WM_QUIT behind, so that it can run more than once on a thread.
int run_send_window(HINSTANCE instance, int (*send)());

} // namespace postwell
