#include "wintab_obj_data.h"

#include <new>

namespace morvalent::jni {

wintab_obj_data* create_obj_data(JavaVM* vm, HWND window) noexcept
{
    auto* record = new (std::nothrow) wintab_obj_data;
    if (!record) return nullptr;
    record->vm = vm;
    record->window = window;
    record->control_message = RegisterWindowMessageW(control_message_name);
    return record;
}

void destroy_obj_data(wintab_obj_data* record, JNIEnv* env) noexcept
{
    if (!record) return;
    release_wintab(record->lib);
    if (env) {
        // Normally both are null here: finalize has handed the listener over.
        if (jobject listener = record->listener.exchange(nullptr)) env->DeleteGlobalRef(listener);
        if (jobject old = record->retired.exchange(nullptr)) env->DeleteGlobalRef(old);
    }
    delete record;
}

void add_reference(wintab_obj_data& record) noexcept { InterlockedIncrement(&record.references); }

void release_reference(wintab_obj_data* record, JNIEnv* env) noexcept
{
    if (InterlockedDecrement(&record->references) == 0) destroy_obj_data(record, env);
}

void release_window_side(wintab_obj_data* record, JNIEnv* env) noexcept
{
    if (record->window_side.exchange(false)) release_reference(record, env);
}

} // namespace morvalent::jni
