// Child process for the regional-settings test: formats one fixed calendar
// date (Tuesday, 7 January 2014, 13:07:09) with each format code through
// DateConverter.toString and prints one line per code. Run after the parent
// has changed the user's regional settings, because a process keeps the
// settings it has read once.

#include <windows.h>

#include <cstdio>

#include "fake_jvm.h"
#include "java_dates.h"
#include "test_support.h"

int main()
{
    fakejvm::vm vm;
    test_dates::java_dates dates(vm);
    auto to_string = test_support::jni_export<jstring(JNICALL*)(JNIEnv*, jclass, jobject, jint)>(
        "_Java_com_morvalent_signature_DateConverter_toString@16");
    if (!to_string) return 2;
    jobject date = dates.calendar({2014, 0, 7, 13, 7, 9});
    for (jint code = 0; code <= 3; ++code) {
        jstring text = to_string(vm.env(), nullptr, date, code);
        if (!text || vm.exception_pending()) return 3;
        std::printf("%s\n", test_support::narrow(vm.string_of(text)).c_str());
    }
    std::fflush(stdout);
    return 0;
}
