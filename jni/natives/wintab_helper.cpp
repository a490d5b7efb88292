// The natives of com.morvalent.signature.WintabHelper: the Java-facing half of
// the tablet bridge. They reach the window's thread only by posting messages.

#include <windows.h>

#include <jni.h>

#include "../support/jni_support.h"
#include "../tablet/install_subclass.h"
#include "../tablet/jawt_data.h"
#include "../tablet/listener_handover.h"
#include "../tablet/wintab_obj_data.h"

using namespace morvalent::jni;

namespace {

enum control_request : WPARAM { close_request = 0, open_request = 1 };

wintab_obj_data* record_of(JNIEnv* env, jobject self) noexcept
{
    jlong value = 0;
    if (!get_handle(env, self, value)) return nullptr;
    return static_cast<wintab_obj_data*>(jlong_to_address(value));
}

void post_request(const wintab_obj_data& record, control_request request) noexcept
{
    if (record.window && record.control_message) PostMessageW(record.window, record.control_message, request, 0);
}

} // namespace

extern "C" void JNICALL Java_com_morvalent_signature_WintabHelper_ctr(JNIEnv* env, jobject self,
                                                                                 jobject component)
{
    if (!env) return;
    JavaVM* vm = nullptr;
    if (env->GetJavaVM(&vm) != JNI_OK || !vm) return;

    jawt_data awt_library; // "jawt.dll" for this call only
    HWND window = nullptr;
    if (!get_component_hwnd(env, awt_library, component, window)) return;

    wintab_obj_data* record = create_obj_data(vm, window);
    if (!record) {
        throw_exception(env, L"jobject initialzation failed");
        return;
    }
    load_wintab(record->lib);
    if (!set_handle(env, self, record)) {
        destroy_obj_data(record, env);
        // A failed field lookup has left the VM's own exception pending; that
        // one reaches Java (throw_exception adds none then).
        throw_exception(env, L"jobject initialzation failed");
        return;
    }
    install_subclass(*record);
}

extern "C" void JNICALL Java_com_morvalent_signature_WintabHelper_finalize(JNIEnv* env, jobject self)
{
    if (!env) return;
    void* address = nullptr;
    if (!take_handle(env, self, address) || !address) return;
    auto* record = static_cast<wintab_obj_data*>(address);

    // From here on no packet reaches a listener: the window's thread checks
    // the listener before every call.
    record->finalized.store(true);
    replace_listener(*record, env, nullptr);
    // The window's thread closes the context, removes its subclass and lets
    // go on the next message that reaches it; this one makes sure there is one.
    post_request(*record, close_request);
    // A window that is gone without its thread's goodbye (its thread ended)
    // never will; the record is then released here.
    if (!IsWindow(record->window)) release_window_side(record, env);
    release_reference(record, env);
}

extern "C" void JNICALL Java_com_morvalent_signature_WintabHelper_addActionListener(JNIEnv* env,
                                                                                               jobject self,
                                                                                               jobject listener)
{
    if (!env) return;
    wintab_obj_data* record = record_of(env, self);
    if (!record) return;
    jobject held = nullptr;
    if (listener) {
        held = env->NewGlobalRef(listener);
        if (!held) return; // the VM's OutOfMemoryError is pending
    }
    replace_listener(*record, env, held);
    post_request(*record, held ? open_request : close_request);
}

extern "C" void JNICALL Java_com_morvalent_signature_WintabHelper_removeActionListener(JNIEnv* env,
                                                                                                  jobject self,
                                                                                                  jobject)
{
    if (!env) return;
    wintab_obj_data* record = record_of(env, self);
    if (!record) return;
    post_request(*record, close_request);
    replace_listener(*record, env, nullptr);
}

extern "C" jboolean JNICALL Java_com_morvalent_signature_WintabHelper_enable(JNIEnv* env, jobject self)
{
    if (!env) return JNI_FALSE;
    wintab_obj_data* record = record_of(env, self);
    if (!record || !record->context.load()) return JNI_FALSE;
    record->enabled.store(true);
    return JNI_TRUE;
}

extern "C" void JNICALL Java_com_morvalent_signature_WintabHelper_disable(JNIEnv* env, jobject self)
{
    if (!env) return;
    if (wintab_obj_data* record = record_of(env, self)) record->enabled.store(false);
}

extern "C" jboolean JNICALL Java_com_morvalent_signature_WintabHelper_isEnabled(JNIEnv* env, jobject self)
{
    if (!env) return JNI_FALSE;
    wintab_obj_data* record = record_of(env, self);
    return (record && record->context.load() && record->enabled.load()) ? JNI_TRUE : JNI_FALSE;
}
