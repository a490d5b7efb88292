#pragma once

#include <windows.h>

namespace morvalent::jni {

// Each record subclasses with its own address as the identifier: two
// WintabHelpers over one component then keep two subclasses, where one fixed
// identifier would let the second silently take over the first's.
inline UINT_PTR wintab_subclass_id(const void* record) { return reinterpret_cast<UINT_PTR>(record); }
// What the gesture query gets while delivery is enabled: press-and-hold, pen
// feedback, touch UI switching, flicks and smooth scrolling all off.
constexpr LRESULT tablet_gesture_answer = 0x00198319;
constexpr UINT WM_TABLET_QUERYSYSTEMGESTURESTATUS_message = 0x02CC;

// The subclass procedure on the component's window; reference data is the
// wintab_obj_data.
LRESULT CALLBACK wintab_subclass_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                      DWORD_PTR ref_data);

} // namespace morvalent::jni
