#include <windows.h>

#include <jni.h>

#include "../support/jni_support.h"
#include "com_native.h"

using namespace morvalent::jni;

// The process command line exactly as Windows holds it, quotes and all.
extern "C" jstring JNICALL Java_com_morvalent_signature_CommandLine__1commandLine(JNIEnv* env, jclass)
{
    return run_com_native<jstring>(env, nullptr, [&](jstring& result) {
        to_jstring(env, GetCommandLineW(), result);
    });
}
