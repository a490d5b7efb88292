#pragma once

#include <windows.h>

#include <new>

#include <jni.h>

#include "../support/com_error.h"

namespace morvalent::jni {

// Runs a native's body under the COM-error handler: the body updates `result`
// step by step, and a COM error (or a failed allocation) becomes a pending
// Java exception while the result reached so far is returned. Nothing escapes
// into the VM.
template <class Result, class Body>
Result run_com_native(JNIEnv* env, Result result, Body&& body) noexcept
{
    try {
        body(result);
    } catch (const _com_error& error) {
        throw_com_error(env, error);
    } catch (const std::bad_alloc&) {
        throw_com_error(env, _com_error(E_OUTOFMEMORY));
    } catch (...) {
        throw_com_error(env, _com_error(E_UNEXPECTED));
    }
    return result;
}

} // namespace morvalent::jni
