#include "keystore_steps.h"

#include "../support/java_elements.h"

namespace morvalent::jni {

namespace {

// Calls a no-argument method that returns an object, looked up on the
// target's run-time class.
local_ref<jobject> call_object_method(JNIEnv* env, jobject target, const char* name, const char* signature)
{
    local_ref<jclass> cls(env, env->GetObjectClass(target));
    if (!cls) return {};
    jmethodID method = env->GetMethodID(cls.get(), name, signature);
    if (!method) return {};
    local_ref<jobject> result(env, env->CallObjectMethod(target, method));
    if (env->ExceptionCheck()) return {};
    return result;
}

// Reads an object field, looked up on the target's run-time class. JNI
// ignores Java access rules, so private fields of the platform's classes can
// be read too.
local_ref<jobject> object_field(JNIEnv* env, jobject target, const char* name, const char* signature)
{
    local_ref<jclass> cls(env, env->GetObjectClass(target));
    if (!cls) return {};
    jfieldID field = env->GetFieldID(cls.get(), name, signature);
    if (!field) return {};
    return local_ref<jobject>(env, env->GetObjectField(target, field));
}

} // namespace

bool store_name_of(JNIEnv* env, jobject keystore, local_ref<jobject>& provider, std::wstring& name)
{
    provider = object_field(env, keystore, "keyStoreSpi", "Ljava/security/KeyStoreSpi;");
    if (!provider) return false;
    local_ref<jobject> text = call_object_method(env, provider.get(), "getName", "()Ljava/lang/String;");
    if (!text) return false;

    // The VM may be unable to give the characters; then there is no name.
    string_chars chars(env, static_cast<jstring>(text.get()));
    if (!chars) return false;
    name.assign(reinterpret_cast<const wchar_t*>(chars.get()), static_cast<size_t>(chars.length()));
    return true;
}

keystore_entry_list keystore_entries(JNIEnv* env, jobject provider)
{
    keystore_entry_list list;
    local_ref<jobject> collection = object_field(env, provider, "entries", "Ljava/util/Collection;");
    if (!collection) return {};
    local_ref<jclass> cls(env, env->GetObjectClass(collection.get()));
    if (!cls) return {};
    jmethodID get = env->GetMethodID(cls.get(), "get", "(I)Ljava/lang/Object;");
    if (!get) return {};
    jmethodID size = env->GetMethodID(cls.get(), "size", "()I");
    if (!size) return {};
    const jint count = env->CallIntMethod(collection.get(), size);
    if (env->ExceptionCheck()) return {};

    list.collection = std::move(collection);
    list.get = get;
    list.count = count;
    return list;
}

local_ref<jobject> first_certificate(JNIEnv* env, jobject entry)
{
    local_ref<jobject> chain =
        call_object_method(env, entry, "getCertificateChain", "()[Ljava/security/cert/X509Certificate;");
    if (!chain) return {};
    const auto array = static_cast<jobjectArray>(chain.get());
    if (env->GetArrayLength(array) <= 0) return {};
    local_ref<jobject> certificate(env, env->GetObjectArrayElement(array, 0));
    if (env->ExceptionCheck()) return {};
    return certificate;
}

local_ref<jbyteArray> serial_bytes(JNIEnv* env, jobject certificate)
{
    local_ref<jobject> serial = call_object_method(env, certificate, "getSerialNumber", "()Ljava/math/BigInteger;");
    if (!serial) return {};
    local_ref<jobject> bytes = call_object_method(env, serial.get(), "toByteArray", "()[B");
    return local_ref<jbyteArray>(env, static_cast<jbyteArray>(bytes.release()));
}

local_ref<jbyteArray> issuer_bytes(JNIEnv* env, jobject certificate)
{
    local_ref<jobject> issuer = call_object_method(env, certificate, "getIssuerX500Principal",
                                                   "()Ljavax/security/auth/x500/X500Principal;");
    if (!issuer) return {};
    local_ref<jobject> bytes = call_object_method(env, issuer.get(), "getEncoded", "()[B");
    return local_ref<jbyteArray>(env, static_cast<jbyteArray>(bytes.release()));
}

} // namespace morvalent::jni
