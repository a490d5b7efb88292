#pragma once

#include <jni.h>

namespace morvalent::jni {

// Raises a java.lang.Exception whose message is the printf-style wide format
// with its arguments, cut at 4095 characters. Raises nothing when an
// exception is already pending: a thread carries one, and the first is kept.
void throw_exception(JNIEnv* env, const wchar_t* format, ...) noexcept;

// Makes a Java string of the text up to its first NUL; a null text gives a
// null string. False when the VM gave no string (its exception is pending).
bool to_jstring(JNIEnv* env, const wchar_t* text, jstring& out) noexcept;

// Access to the Java `long handle` field that holds a native object's address.
bool get_handle(JNIEnv* env, jobject object, jlong& value) noexcept;
bool set_handle(JNIEnv* env, jobject object, const void* address) noexcept;
bool take_handle(JNIEnv* env, jobject object, void*& address) noexcept;

// The same address conversions that the `handle` field uses.
inline jlong address_to_jlong(const void* address) noexcept
{
    return static_cast<jlong>(reinterpret_cast<intptr_t>(address));
}
inline void* jlong_to_address(jlong value) noexcept
{
    return reinterpret_cast<void*>(static_cast<intptr_t>(value));
}

} // namespace morvalent::jni
