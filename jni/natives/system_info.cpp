#include <windows.h>

#include <jni.h>

#include "../support/jni_support.h"
#include "com_native.h"

using namespace morvalent::jni;

// The name of the user as whom the calling thread runs.
extern "C" jstring JNICALL Java_com_morvalent_signature_SystemInfo__1userName(JNIEnv* env, jclass)
{
    return run_com_native<jstring>(env, nullptr, [&](jstring& result) {
        constexpr DWORD name_chars = 257; // longest user name plus its terminator
        wchar_t name[name_chars];
        DWORD size = name_chars;
        SetLastError(ERROR_SUCCESS);
        if (!GetUserNameW(name, &size)) {
            const DWORD error = GetLastError();
            throw_exception(env, L"GetUserNameW failed, error %lu", static_cast<unsigned long>(error));
            return;
        }
        to_jstring(env, name, result);
    });
}
