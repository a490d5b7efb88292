#pragma once

#include <jni.h>

#include "wintab_obj_data.h"

namespace morvalent::jni {

// Replacing the listener while the window's thread may be calling it.
//
// The window's thread announces the listener it is about to call in `in_use`
// and then checks that the field still holds it (acquire_listener); it clears
// `in_use` when done (end_listener_use). A Java thread swaps the field
// atomically and then looks at `in_use`: when the old listener is not in use
// it deletes the reference at once; otherwise it parks the reference in
// `retired`, and the window's thread deletes it after its call, while still
// attached. All operations are sequentially consistent, so either the Java
// thread sees the announcement or the window's thread sees the new field and
// never calls the old listener. A reference is deleted by whoever takes it out
// of `retired` with an exchange, so it is deleted exactly once.

// Java thread: makes `listener` (a new global reference, or null) the
// listener and disposes of the old one. Returns nothing; never blocks.
void replace_listener(wintab_obj_data& record, JNIEnv* env, jobject listener) noexcept;

// Window's thread: the current listener, announced as in use, or null.
jobject acquire_listener(wintab_obj_data& record) noexcept;
// Window's thread: ends the use and deletes a reference handed over meanwhile.
void end_listener_use(wintab_obj_data& record, JNIEnv* env) noexcept;

} // namespace morvalent::jni
