#include "wintab_subclass_proc.h"

#include <commctrl.h>

#include "deliver_packets.h"
#include "wintab_context.h"
#include "wintab_obj_data.h"

namespace morvalent::jni {

namespace {

// The window's side lets go of the record: no context, no subclass.
void leave_window(wintab_obj_data& record, HWND window, UINT_PTR id) noexcept
{
    close_context(record);
    RemoveWindowSubclass(window, wintab_subclass_proc, id);
    release_window_side(&record, nullptr);
}

LRESULT handle(wintab_obj_data& record, HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id) noexcept
{
    if (record.finalized.load()) {
        // The Java object is gone: whatever message comes first ends our part.
        leave_window(record, window, id);
        return DefSubclassProc(window, message, wparam, lparam);
    }
    if (message == record.control_message) {
        if (wparam == 1)
            open_context(record);
        else
            close_context(record);
    } else if (message == WM_TABLET_QUERYSYSTEMGESTURESTATUS_message) {
        if (record.enabled.load()) return tablet_gesture_answer;
    } else if (message == WM_ACTIVATE) {
        if (wintab::HCTX context = record.context.load()) {
            // Minimised but active (low word 0, high word set) counts as active.
            const BOOL active = wparam != 0;
            if (record.lib.WTOverlap) record.lib.WTOverlap(context, active);
            record.lib.WTEnable(context, active);
        }
    } else if (message == WM_NCDESTROY) {
        leave_window(record, window, id);
    } else if (message == wintab::WT_PACKET) {
        if (record.listener.load() && record.enabled.load()) deliver_packets(record, window);
    }
    return DefSubclassProc(window, message, wparam, lparam);
}

} // namespace

LRESULT CALLBACK wintab_subclass_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                      DWORD_PTR ref_data)
{
    auto* record = reinterpret_cast<wintab_obj_data*>(ref_data);
    // Keeps the record alive while this runs, even if finalize and the
    // window's destruction both happen meanwhile (onAction may pump messages).
    add_reference(*record);
    const LRESULT result = handle(*record, window, message, wparam, lparam, id);
    release_reference(record, nullptr);
    return result;
}

} // namespace morvalent::jni
