// Child process for the command-line test: calls CommandLine._commandLine
// through the DLL's export and prints the result's code units in hex.

#include <windows.h>

#include <cstdio>

#include "fake_jvm.h"
#include "test_support.h"

int main()
{
    fakejvm::vm vm;
    auto command_line = test_support::jni_export<jstring(JNICALL*)(JNIEnv*, jclass)>(
        "_Java_com_morvalent_signature_CommandLine__1commandLine@8");
    if (!command_line) return 2;
    jstring result = command_line(vm.env(), nullptr);
    if (!result || vm.exception_pending()) return 3;
    for (char16_t c : vm.string_of(result)) std::printf("%04X ", static_cast<unsigned>(c));
    std::fflush(stdout);
    return 0;
}
