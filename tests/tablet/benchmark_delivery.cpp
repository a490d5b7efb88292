// Packets per second from the driver's queue to a listener that does nothing:
// through the bridge (one WT_PACKET, the subclass procedure, attach, mapping,
// onAction, detach) against a plain loop that fetches, maps and calls the same
// way without the window message and the bridge. Not a test: run by hand,
// under Xvfb, with the stand-in driver preferred over Wine's own:
//   WINEDLLOVERRIDES="mscoree,mshtml=;wintab32=n,b" ./run-under-wine bin/tablet_benchmark.exe

#include <cstdio>
#include <vector>

#include "tablet/packet_mapping.h"
#include "tablet_fixture.h"
#include "test_support.h"

using namespace tablet_test;
namespace wt = morvalent::jni::wintab;

namespace {

constexpr int packet_count = 100000;

double seconds_since(const LARGE_INTEGER& start)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::vector<PACKET> packets()
{
    std::vector<PACKET> out;
    for (int i = 0; i < packet_count; ++i) out.push_back(packet(300 + i % 400, 200 + i % 300, 255, 1));
    return out;
}

double through_bridge(bridge& b, jobject listener)
{
    window_thread window(100, 50, 200, 200);
    jobject helper = b.new_helper();
    b.construct(helper, window.hwnd());
    window.flush();
    driver d(L"wintab32.dll");
    const LOGCONTEXTW context = example_context();
    d.configure(&context, 1, 0, 511);
    b.add_listener(b.env, helper, listener);
    window.flush();
    if (!b.enable(b.env, helper)) {
        std::printf("the bridge did not open a context (is wintab32=n,b set?)\n");
        return 0;
    }
    const std::vector<PACKET> queued = packets();
    window.hold();
    d.queue(queued.data(), packet_count); // one WT_PACKET behind the hold
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    window.release();
    window.flush();
    const double elapsed = seconds_since(start);
    if (d.queued() != 0) std::printf("packets left in the queue: %d\n", d.queued());
    b.finalize(b.env, helper);
    window.flush();
    return packet_count / elapsed;
}

double plain_loop(bridge& b, jobject listener)
{
    test_support::loaded_module library(driver_path(L"wintab32.dll"));
    auto get = [&](const char* name) { return reinterpret_cast<void*>(library.symbol(name)); };
    auto configure = reinterpret_cast<wintab_double::configure_fn>(get("double_configure"));
    auto queue = reinterpret_cast<wintab_double::queue_fn>(get("double_queue"));
    auto open = reinterpret_cast<wt::WTOpenW_fn>(get("WTOpenW"));
    auto packets_get = reinterpret_cast<wt::WTPacketsGet_fn>(get("WTPacketsGet"));
    auto close = reinterpret_cast<wt::WTClose_fn>(get("WTClose"));

    LOGCONTEXTW context = example_context();
    configure(&context, 1, 0, 511);
    context.lcOutOrgX = context.lcInOrgX;
    context.lcOutOrgY = context.lcInOrgY;
    context.lcOutExtX = context.lcInExtX;
    context.lcOutExtY = context.lcInExtY;
    wt::HCTX handle = open(nullptr, &context, TRUE); // no window: nothing is posted
    const wt::AXIS axis{0, 511, 0, 0};
    const RECT client{100, 50, 300, 250};
    const std::vector<PACKET> queued = packets();
    queue(queued.data(), packet_count);

    JNIEnv* env = b.env;
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    jclass cls = env->GetObjectClass(listener);
    jmethodID on_action = env->GetMethodID(cls, "onAction", "(ZFFF)V");
    PACKET batch[16];
    int count;
    while ((count = packets_get(handle, 16, batch)) > 0) {
        const morvalent::jni::packet_scale scale = morvalent::jni::batch_scale(context);
        for (int i = 0; i < count; ++i) {
            morvalent::jni::mapped_packet m;
            if (!morvalent::jni::map_packet(context, axis, scale, client, batch[i], m)) continue;
            env->CallVoidMethod(listener, on_action, static_cast<jboolean>(m.down), static_cast<double>(m.x),
                                static_cast<double>(m.y), static_cast<double>(m.pressure));
        }
    }
    env->DeleteLocalRef(cls);
    const double elapsed = seconds_since(start);
    close(handle);
    return packet_count / elapsed;
}

} // namespace

int main()
{
    use_driver(L"wintab32.dll");
    double bridged = 0, plain = 0;
    {
        bridge b;
        b.vm.define_class("bench/Listener").add_method("onAction", "(ZFFF)V", [](JNIEnv*, jobject, const jvalue*) {
            return fakejvm::jv_void();
        });
        jobject listener = b.vm.new_object("bench/Listener");
        plain_loop(b, listener); // warm-up
        bridged = through_bridge(b, listener);
        plain = plain_loop(b, listener);
    }
    remove_driver_setting();
    std::printf("packets per second, %d packets behind one WT_PACKET:\n", packet_count);
    std::printf("  through the bridge: %.0f\n", bridged);
    std::printf("  plain loop:         %.0f\n", plain);
    std::printf("  plain / bridge:     %.2f\n", bridged > 0 ? plain / bridged : 0.0);
    std::printf("  headroom over a 266 packets/s pad: %.0fx (over 100 packets/s: %.0fx)\n", bridged / 266.0,
                bridged / 100.0);
    return 0;
}
