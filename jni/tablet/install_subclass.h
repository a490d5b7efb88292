#pragma once

#include <windows.h>

#include "wintab_obj_data.h"

namespace morvalent::jni {

// Calling Java thread: arranges for the window's own thread to subclass the
// window (SetWindowSubclass must be called there). The window's procedure is
// swapped for swap_wndproc until the next message, and WM_NULL is posted so
// that one comes soon. When the window cannot be reached the window's side
// lets go of the record at once.
void install_subclass(wintab_obj_data& record) noexcept;

// Window's thread: the first message after install_subclass. Restores the
// window's procedure, installs wintab_subclass_proc, and passes the message
// to the previous procedure.
LRESULT CALLBACK swap_wndproc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

} // namespace morvalent::jni
