#pragma once

#include <windows.h>

#include <atomic>

#include <jni.h>

#include "wintab_api.h"
#include "wintab_lib.h"

namespace morvalent::jni {

// The native record behind one WintabHelper, shared by the Java threads that
// call its natives and the thread that owns the component's window.
//
// Lifetime: two owners hold a reference each, the Java object (from ctr to
// finalize) and the window's side (from install_subclass until the window's
// thread has closed the context and removed its subclass, or until the window
// is gone). The subclass procedure also holds one while it runs. Whoever drops
// the last reference destroys the record and unloads the driver, so finalize
// never waits for the window's thread and the window's thread never finds a
// freed record.
struct wintab_obj_data {
    JavaVM* vm = nullptr;
    HWND window = nullptr;
    UINT control_message = 0;
    // Global reference to the listener, null for none. Replaced only through
    // replace_listener (listener_handover.h).
    std::atomic<jobject> listener{nullptr};
    std::atomic<bool> enabled{false};
    // Written only on the window's thread; read by enable and isEnabled.
    std::atomic<wintab::HCTX> context{nullptr};
    wintab::LOGCONTEXTW context_description{};
    wintab::AXIS pressure_axis{};
    wintab_lib_data lib{};

    // Listener hand-over: the listener the window's thread is calling, and an
    // old listener whose global reference it is to delete when done.
    std::atomic<jobject> in_use{nullptr};
    std::atomic<jobject> retired{nullptr};

    // Set by finalize: no more delivery; the window's side lets go.
    std::atomic<bool> finalized{false};
    // True while the window's side still holds its reference.
    std::atomic<bool> window_side{true};
    volatile LONG references = 2;

    // Window's thread only: a delivery is running (onAction may pump messages).
    bool delivering = false;
};

// A new record for the window, holding the Java object's and the window
// side's references; null when there is no memory.
wintab_obj_data* create_obj_data(JavaVM* vm, HWND window) noexcept;

// Unloads the driver, deletes a listener reference still held when `env` is
// given, and frees the record.
void destroy_obj_data(wintab_obj_data* record, JNIEnv* env) noexcept;

void add_reference(wintab_obj_data& record) noexcept;
// Drops one reference; the last one destroys the record (`env` may be null).
void release_reference(wintab_obj_data* record, JNIEnv* env) noexcept;
// Drops the window side's reference, once, whoever asks first.
void release_window_side(wintab_obj_data* record, JNIEnv* env) noexcept;

// Name of the message that carries open (wParam 1) and close requests.
constexpr wchar_t control_message_name[] = L"TarvoDCK_Java_WintabHelper";

} // namespace morvalent::jni
