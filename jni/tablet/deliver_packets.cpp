#include "deliver_packets.h"

#include "listener_handover.h"
#include "packet_mapping.h"

namespace morvalent::jni {

namespace {

constexpr int batch_packets = 16;

// Nothing can go on this thread: no Java caller will ever see the exception.
void describe_and_clear(JNIEnv* env) noexcept
{
    if (env->ExceptionCheck()) {
        env->ExceptionDescribe();
        env->ExceptionClear();
    }
}

// The listener being called, with its class and onAction.
struct target {
    jobject listener = nullptr;
    jclass cls = nullptr;
    jmethodID on_action = nullptr;
};

// Takes the current listener and looks up its onAction; false when there is
// none or the lookup failed (any exception is cleared).
bool take_target(wintab_obj_data& record, JNIEnv* env, target& t) noexcept
{
    t.listener = acquire_listener(record);
    if (!t.listener) return false;
    t.cls = env->GetObjectClass(t.listener);
    if (t.cls) t.on_action = env->GetMethodID(t.cls, "onAction", "(ZFFF)V");
    describe_and_clear(env);
    return t.on_action != nullptr;
}

void drop_target(wintab_obj_data& record, JNIEnv* env, target& t) noexcept
{
    if (t.cls) env->DeleteLocalRef(t.cls);
    end_listener_use(record, env);
    t = target{};
}

} // namespace

void deliver_packets(wintab_obj_data& record, HWND window) noexcept
{
    // A listener that pumps messages may bring another WT_PACKET here; the
    // outer delivery drains the queue anyway.
    if (record.delivering) return;

    JNIEnv* env = nullptr;
    if (record.vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) != JNI_OK || !env) return;
    record.delivering = true;

    target t;
    if (take_target(record, env, t)) {
        RECT client{};
        GetClientRect(window, &client);
        MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT*>(&client), 2);

        wintab::PACKET packets[batch_packets];
        bool stop = false;
        while (!stop && record.enabled.load() && record.listener.load()) {
            wintab::HCTX context = record.context.load();
            if (!context) break;
            int count = record.lib.WTPacketsGet(context, batch_packets, packets);
            if (count <= 0) break;
            if (count > batch_packets) count = batch_packets;

            const packet_scale scale = batch_scale(record.context_description);
            for (int i = 0; i < count; ++i) {
                mapped_packet m;
                if (!map_packet(record.context_description, record.pressure_axis, scale, client, packets[i], m))
                    continue;
                // The listener as it is now: replaced or removed meanwhile?
                if (record.listener.load() != t.listener) {
                    drop_target(record, env, t);
                    if (!take_target(record, env, t)) {
                        stop = true;
                        break;
                    }
                }
                env->CallVoidMethod(t.listener, t.on_action, static_cast<jboolean>(m.down ? JNI_TRUE : JNI_FALSE),
                                    static_cast<double>(m.x), static_cast<double>(m.y),
                                    static_cast<double>(m.pressure));
                if (env->ExceptionCheck()) {
                    // The rest of this message's packets are dropped.
                    describe_and_clear(env);
                    stop = true;
                    break;
                }
            }
        }
    }
    drop_target(record, env, t);
    record.delivering = false;
    record.vm->DetachCurrentThread();
}

} // namespace morvalent::jni
