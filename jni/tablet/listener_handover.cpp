#include "listener_handover.h"

namespace morvalent::jni {

namespace {

// Deletes `old` now, or leaves it to the window's thread when that is calling it.
void retire_listener(wintab_obj_data& record, JNIEnv* env, jobject old) noexcept
{
    if (!old) return;
    if (record.in_use.load() != old) {
        env->DeleteGlobalRef(old);
        return;
    }
    // Hand it over. Whatever was parked before is ours now.
    retire_listener(record, env, record.retired.exchange(old));
    if (record.in_use.load() == old) return; // still in use: the window's thread deletes it
    // The call ended while we parked it and the window's thread may have
    // looked before: take back whatever is parked and dispose of it ourselves.
    retire_listener(record, env, record.retired.exchange(nullptr));
}

} // namespace

void replace_listener(wintab_obj_data& record, JNIEnv* env, jobject listener) noexcept
{
    retire_listener(record, env, record.listener.exchange(listener));
}

jobject acquire_listener(wintab_obj_data& record) noexcept
{
    for (;;) {
        jobject listener = record.listener.load();
        record.in_use.store(listener);
        if (!listener || record.listener.load() == listener) return listener;
    }
}

void end_listener_use(wintab_obj_data& record, JNIEnv* env) noexcept
{
    record.in_use.store(nullptr);
    if (jobject old = record.retired.exchange(nullptr)) env->DeleteGlobalRef(old);
}

} // namespace morvalent::jni
