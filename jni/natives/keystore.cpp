#include <windows.h>
#include <wincrypt.h>

#include <jni.h>

#include "../support/jni_support.h"
#include "../support/local_ref.h"
#include "alias_register.h"
#include "cert_handles.h"
#include "keystore_steps.h"

using namespace morvalent::jni;

namespace {

// Gives one entry the display name of its certificate as alias. Whatever is
// missing leaves the entry as it was; a Java exception stays pending and the
// caller stops.
void fix_entry(JNIEnv* env, HCERTSTORE store, const keystore_entry_list& entries, jint index,
               alias_register& aliases)
{
    local_ref<jobject> entry(env, env->CallObjectMethod(entries.collection.get(), entries.get, index));
    if (!entry || env->ExceptionCheck()) return;
    local_ref<jclass> entry_class(env, env->GetObjectClass(entry.get()));
    if (!entry_class) return;

    local_ref<jobject> certificate = first_certificate(env, entry.get());
    if (!certificate) return;
    local_ref<jbyteArray> serial = serial_bytes(env, certificate.get());
    if (env->ExceptionCheck()) return;
    local_ref<jbyteArray> issuer = issuer_bytes(env, certificate.get());
    if (!serial || !issuer) return;

    std::wstring display_name;
    if (!display_name_of(env, store, serial.get(), issuer.get(), display_name)) return;
    std::wstring alias = aliases.alias_for(display_name);

    jmethodID set_alias = env->GetMethodID(entry_class.get(), "setAlias", "(Ljava/lang/String;)V");
    if (!set_alias) return;
    jstring text = nullptr;
    if (!to_jstring(env, alias.c_str(), text)) return;
    local_ref<jstring> text_ref(env, text);
    env->CallVoidMethod(entry.get(), set_alias, text);
    if (env->ExceptionCheck()) return;
    aliases.hold(std::move(alias));
}

void fix_aliases(JNIEnv* env, jobject keystore)
{
    local_ref<jobject> provider;
    std::wstring store_name;
    if (!store_name_of(env, keystore, provider, store_name)) return;

    const cert_store store(CertOpenSystemStoreW(0, store_name.c_str()));
    if (!store) return;

    const keystore_entry_list entries = keystore_entries(env, provider.get());
    alias_register aliases;
    for (jint i = 0; i < entries.count; ++i) {
        fix_entry(env, store.get(), entries, i, aliases);
        if (env->ExceptionCheck()) return;
    }
}

} // namespace

// Sets the alias of every entry of a keystore backed by a Windows system
// store to the name under which Windows shows the entry's certificate.
// Silent: whatever cannot be done is skipped, and Java exceptions raised by
// the keystore's own methods stay pending for the caller.
extern "C" void JNICALL Java_com_morvalent_signature_KeyStore_fixKeyStore(JNIEnv* env, jclass, jobject keystore)
{
    if (!env || env->ExceptionCheck() || !keystore) return;
    try {
        fix_aliases(env, keystore);
    } catch (...) {
        // Out of memory for a name: the holders have given everything back,
        // and the native stays silent.
    }
}
