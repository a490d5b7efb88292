// Benchmark, run by hand (not by CTest): how long MAPIMessage.send takes from
// call to return when the provider opens its compose dialog at once. It should
// return as soon as postwell waits for input, far below the 5 s cap.
//   build/x64/run-under-wine build/x64/bin/mapi_send_benchmark.exe [runs]

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "fake_jvm.h"
#include "mail_folder.h"
#include "test_support.h"

namespace {

using send_native = jint(JNICALL*)(JNIEnv*, jclass, jstring, jstring, jstring, jstring);
const wchar_t settings_key[] = L"Software\\Tarvo\\inkvale";

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    auto send = test_support::jni_export<send_native>("_Java_com_morvalent_signature_MAPIMessage_send@24");
    if (!send) return 1;

    fakejvm::vm vm;
    test_doubles::mail_folder folder;
    folder.behave("0 dialog");
    test_support::set_registry_string(HKEY_LOCAL_MACHINE, settings_key, L"postwell", folder.postwell());

    std::vector<double> times;
    int failures = 0;
    for (int i = 0; i < runs; ++i) {
        LARGE_INTEGER frequency, start, end;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        const jint result = send(vm.env(), nullptr, vm.new_string(u"alice@example.org"), vm.new_string(u"Subject"),
                                 vm.new_string(u"Text"), nullptr);
        QueryPerformanceCounter(&end);
        const double ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                          static_cast<double>(frequency.QuadPart);
        const bool open = test_doubles::close_compose_dialog();
        std::printf("run %d: %.1f ms, result %ld, dialog %s\n", i + 1, ms, static_cast<long>(result),
                    open ? "was open" : "NOT open");
        if (result != 0 || !open) ++failures;
        times.push_back(ms);
    }
    test_support::delete_registry_value(HKEY_LOCAL_MACHINE, settings_key, L"postwell");
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, settings_key);

    std::sort(times.begin(), times.end());
    std::printf("MAPIMessage.send with the provider's dialog open: median %.1f ms over %d runs (min %.1f, max %.1f)\n",
                times[times.size() / 2], runs, times.front(), times.back());
    return failures == 0 ? 0 : 1;
}
