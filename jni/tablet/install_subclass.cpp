#include "install_subclass.h"

#include <commctrl.h>

#include <new>

#include "wintab_subclass_proc.h"

namespace morvalent::jni {

namespace {

// Carries the record onto the window's thread, in the window's user data.
struct wndproc_swap_data {
    wintab_obj_data* record;
    LONG_PTR previous_user_data;
    WNDPROC previous_wndproc;
};

} // namespace

void install_subclass(wintab_obj_data& record) noexcept
{
    HWND window = record.window;
    auto* swap = new (std::nothrow) wndproc_swap_data{&record, 0, nullptr};
    if (!swap) {
        release_window_side(&record, nullptr);
        return;
    }
    swap->previous_user_data = GetWindowLongPtrW(window, GWLP_USERDATA);
    swap->previous_wndproc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
    if (!swap->previous_wndproc) {
        // No such window (or one of another process): nothing to subclass.
        delete swap;
        release_window_side(&record, nullptr);
        return;
    }
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(swap));
    SetLastError(0);
    if (!SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&swap_wndproc)) && GetLastError() != 0) {
        SetWindowLongPtrW(window, GWLP_USERDATA, swap->previous_user_data);
        delete swap;
        release_window_side(&record, nullptr);
        return;
    }
    PostMessageW(window, WM_NULL, 0, 0);
}

LRESULT CALLBACK swap_wndproc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    auto* swap = reinterpret_cast<wndproc_swap_data*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    wintab_obj_data* record = swap->record;
    const WNDPROC previous = swap->previous_wndproc;
    SetWindowLongPtrW(window, GWLP_USERDATA, swap->previous_user_data);
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
