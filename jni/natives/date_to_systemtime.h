#pragma once

#include <windows.h>

#include <jni.h>

namespace morvalent::jni {

// Fills `out` with the local date and time that a java.util.Calendar (read
// through get() with the field numbers of the Calendar class) or a
// java.util.Date (read through its getters) holds. False, with `out`
// unchanged, for a null environment or object, an object of neither kind, a
// missing class, method or field, or an exception thrown by a Java call (it
// stays pending).
bool date_to_systemtime(JNIEnv* env, jobject date, SYSTEMTIME& out) noexcept;

} // namespace morvalent::jni
