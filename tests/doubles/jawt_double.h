#pragma once

// Control interface of the stand-in "jawt.dll" (jawt_double.cpp).

#include <windows.h>

namespace jawt_double {

// The step that fails: none, JAWT_GetAWT returns false, no drawing surface,
// Lock reports an error, no surface information, no platform information.
enum step : int { fail_none = 0, fail_get_awt, fail_surface, fail_lock, fail_info, fail_platform };

using set_fn = void (*)(HWND window, int failing_step);
// The calls made so far, comma-separated, then cleared.
using take_log_fn = void (*)(char* out, int size);

// While this variable is set the library refuses to load.
constexpr wchar_t refuse_variable[] = L"INKVALE_JAWT_DOUBLE_REFUSE";

} // namespace jawt_double
