#include "install_subclass.h"

#include <commctrl.h>

#include <new>

#include "wintab_subclass_proc.h"

namespace morvalent::jni {

namespace {

// Carries the record onto the window's thread. It travels in a window
// property, not in the window's user data: the component's own window
// procedure (and other threads asking for the component behind the window)
// may read the user data at any moment, also before the first message.
struct wndproc_swap_data {
    wintab_obj_data* record;
    HANDLE previous_swap; // another object's hand-over still pending, or null
    WNDPROC previous_wndproc;
};

constexpr wchar_t swap_property[] = L"TarvoDCK_WintabHelper_swap";

} // namespace

void install_subclass(wintab_obj_data& record) noexcept
{
    HWND window = record.window;
    auto* swap = new (std::nothrow) wndproc_swap_data{&record, nullptr, nullptr};
    if (!swap) {
        release_window_side(&record, nullptr);
        return;
    }
    swap->previous_swap = GetPropW(window, swap_property);
    swap->previous_wndproc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
    if (!swap->previous_wndproc || !SetPropW(window, swap_property, swap)) {
        // No such window (or one of another process): nothing to subclass.
        delete swap;
        release_window_side(&record, nullptr);
        return;
    }
    SetLastError(0);
    if (!SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&swap_wndproc)) && GetLastError() != 0) {
        if (swap->previous_swap)
            SetPropW(window, swap_property, swap->previous_swap);
        else
            RemovePropW(window, swap_property);
        delete swap;
        release_window_side(&record, nullptr);
        return;
    }
    PostMessageW(window, WM_NULL, 0, 0);
}

LRESULT CALLBACK swap_wndproc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    auto* swap = static_cast<wndproc_swap_data*>(GetPropW(window, swap_property));
    wintab_obj_data* record = swap->record;
    const WNDPROC previous = swap->previous_wndproc;
    // Back as before; a hand-over of another object still pending runs next
    // (its swap_wndproc is the previous procedure then).
    if (swap->previous_swap)
        SetPropW(window, swap_property, swap->previous_swap);
    else
        RemovePropW(window, swap_property);
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    delete swap;

    // A window that is going away, or an object already finalised, gets no
    // subclass: the window's side lets go here.
    if (message == WM_NCDESTROY || record->finalized.load() ||
        !SetWindowSubclass(window, wintab_subclass_proc, wintab_subclass_id(record),
                           reinterpret_cast<DWORD_PTR>(record)))
        release_window_side(record, nullptr);
    return CallWindowProcW(previous, window, message, wparam, lparam);
}

} // namespace morvalent::jni
