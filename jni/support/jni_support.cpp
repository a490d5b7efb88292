#include "jni_support.h"

#include <windows.h>

#include <cstdarg>
#include <cwchar>
#include <new>

namespace morvalent::jni {

namespace {

constexpr size_t message_chars = 4096;

// Used when the message buffer itself cannot be had: the caller still learns
// that its native failed.
constexpr wchar_t out_of_memory_message[] = L"out of memory while formatting an exception message";

jfieldID handle_field(JNIEnv* env, jobject object) noexcept
{
    jclass cls = env->GetObjectClass(object);
    if (!cls) return nullptr;
    return env->GetFieldID(cls, "handle", "J");
}

} // namespace

void throw_exception(JNIEnv* env, const wchar_t* format, ...) noexcept
{
    if (!env) return;
    if (env->ExceptionCheck()) return;
    jclass cls = env->FindClass("java/lang/Exception");
    if (!cls) return;
    jmethodID constructor = env->GetMethodID(cls, "<init>", "(Ljava/lang/String;)V");
    if (!constructor) return;

    wchar_t* buffer = new (std::nothrow) wchar_t[message_chars];
    const wchar_t* message = out_of_memory_message;
    if (buffer) {
        buffer[0] = L'\0';
        va_list args;
        va_start(args, format);
        _vsnwprintf(buffer, message_chars - 1, format, args);
        va_end(args);
        buffer[message_chars - 1] = L'\0';
        message = buffer;
    }

    jstring text = nullptr;
    if (to_jstring(env, message, text)) {
        if (jobject exception = env->NewObject(cls, constructor, text))
            env->Throw(static_cast<jthrowable>(exception));
    }
    delete[] buffer;
}

bool to_jstring(JNIEnv* env, const wchar_t* text, jstring& out) noexcept
{
    if (!text) {
        out = nullptr;
        return true;
    }
    const int length = lstrlenW(text);
    out = env->NewString(reinterpret_cast<const jchar*>(text), length);
    return out != nullptr;
}

bool get_handle(JNIEnv* env, jobject object, jlong& value) noexcept
{
    value = 0;
    if (!env) return false;
    if (!object) {
        throw_exception(env, L"attempt to call method on null object");
        return false;
    }
    jfieldID field = handle_field(env, object);
    if (!field) return false;
    value = env->GetLongField(object, field);
    if (value == 0) {
        throw_exception(env, L"'handle' null");
        return false;
    }
    return true;
}

bool set_handle(JNIEnv* env, jobject object, const void* address) noexcept
{
    if (!env) return false;
    if (!object) {
        throw_exception(env, L"attempt to call method on null object");
        return false;
    }
    jfieldID field = handle_field(env, object);
    if (!field) return false;
    env->SetLongField(object, field, address_to_jlong(address));
    return true;
}

bool take_handle(JNIEnv* env, jobject object, void*& address) noexcept
{
    address = nullptr;
    if (!env) return false;
    if (!object) {
        throw_exception(env, L"attempt to call method on null object");
        return false;
    }
    jfieldID field = handle_field(env, object);
    if (!field) return false;
    const jlong value = env->GetLongField(object, field);
    address = jlong_to_address(value);
    if (value != 0) env->SetLongField(object, field, 0);
    return true;
}

} // namespace morvalent::jni
