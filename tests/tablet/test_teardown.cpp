// Ending a WintabHelper while its window lives, while packets flow and while
// onAction runs, and replacing its listener during delivery.

#include <atomic>
#include <cstdio>
#include <thread>

#include "tablet_fixture.h"

using namespace tablet_test;

namespace {

int count_kind(const std::vector<wintab_double::call>& calls, int kind)
{
    int n = 0;
    for (const auto& c : calls) n += c.kind == kind ? 1 : 0;
    return n;
}

TEST_F(TabletTest, FinalizeWhileTheContextIsOpenAndPacketsAreQueued)
{
    const std::wstring path = driver_path(L"wintab32.dll");
    window_thread window(100, 50, 200, 200);
    jobject listener = nullptr;
    jobject helper = open_helper(window, listener);
    driver d(L"wintab32.dll");
    deliver(window, {packet(500, 300, 1, 1)});
    ASSERT_EQ(b.calls().size(), 1u);
    const int closes = driver_closes();

    // The window's thread is busy; packets and their WT_PACKET wait behind it.
    window.hold();
    d.queue(std::vector<PACKET>(5, packet(500, 300, 2, 1)).data(), 5);
    b.finalize(b.env, helper); // returns at once, without the window's thread
    EXPECT_EQ(b.take_exception(), "");
    EXPECT_EQ(b.vm.live_global_refs(), 0);
    EXPECT_TRUE(GetModuleHandleW(path.c_str())) << "the record and driver wait for the window's thread";
    window.release();
    window.flush();

    EXPECT_EQ(b.calls().size(), 1u) << "no packet after finalize";
    EXPECT_EQ(driver_closes() - closes, 1);
    EXPECT_EQ(GetModuleHandleW(path.c_str()), nullptr) << "the window's thread released the driver";
    // Nothing of ours is left on the window: later messages find no record.
    SendMessageW(window.hwnd(), morvalent::jni::wintab::WT_PACKET, 0, 0);
    SendMessageW(window.hwnd(), WM_ACTIVATE, WA_ACTIVE, 0);
    PostMessageW(window.hwnd(), RegisterWindowMessageW(L"TarvoDCK_Java_WintabHelper"), 1, 0);
    window.flush();
    window.destroy();
    EXPECT_EQ(b.calls().size(), 1u);
    EXPECT_EQ(driver_closes() - closes, 1);
    EXPECT_EQ(b.vm.live_global_refs(), 0);
    b.finalize(b.env, helper);
    EXPECT_EQ(b.take_exception(), "");
}

TEST_F(TabletTest, FinalizeDuringOnActionNeitherWaitsNorCallsAgain)
{
    const std::wstring path = driver_path(L"wintab32.dll");
    window_thread window(100, 50, 200, 200);
    jobject listener = nullptr;
    jobject helper = open_helper(window, listener);
    driver d(L"wintab32.dll");
    const int closes = driver_closes();

    HANDLE in_call = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE finalized = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    b.on_action([&](JNIEnv*) {
        SetEvent(in_call);
        WaitForSingleObject(finalized, 10000);
    });
    d.queue(std::vector<PACKET>(10, packet(500, 300, 1, 1)).data(), 10);
    ASSERT_EQ(WaitForSingleObject(in_call, 10000), WAIT_OBJECT_0);
    b.finalize(b.env, helper); // while onAction runs on the window's thread
    EXPECT_EQ(b.vm.live_global_refs(), 1) << "the listener in use is left to the window's thread";
    SetEvent(finalized);
    window.flush();
    b.on_action(nullptr);

    EXPECT_EQ(b.calls().size(), 1u) << "the call in progress ends, no other begins";
    EXPECT_EQ(b.vm.live_global_refs(), 0);
    window.flush();
    EXPECT_EQ(GetModuleHandleW(path.c_str()), nullptr);
    EXPECT_EQ(driver_closes() - closes, 1);
    CloseHandle(in_call);
    CloseHandle(finalized);
}

TEST_F(TabletTest, WindowDestroyedBeforeFinalize)
{
    const std::wstring path = driver_path(L"wintab32.dll");
    window_thread window(100, 50, 200, 200);
    jobject listener = nullptr;
    jobject helper = open_helper(window, listener);
    {
        driver d(L"wintab32.dll");
        window.destroy();
        EXPECT_EQ(count_kind(d.calls(), wintab_double::call_close), 1) << "the window's end closes the context";
    }
    EXPECT_FALSE(b.is_enabled(b.env, helper));
    EXPECT_TRUE(GetModuleHandleW(path.c_str())) << "the record lives until finalize";
    b.finalize(b.env, helper);
    EXPECT_EQ(GetModuleHandleW(path.c_str()), nullptr) << "released at once";
    EXPECT_EQ(b.vm.live_global_refs(), 0);
}

TEST_F(TabletTest, ListenerReplacedWhileDeliveryRuns)
{
    // The fake VM fails the test on any use of a deleted reference and on a
    // reference deleted twice.
    window_thread window(100, 50, 200, 200);
    jobject listener = nullptr;
    jobject helper = open_helper(window, listener);
    driver d(L"wintab32.dll");
    b.on_action([](JNIEnv*) { Sleep(0); });

    std::atomic<bool> done{false};
    std::thread feeder([&] {
        const std::vector<PACKET> packets(8, packet(500, 300, 1, 1));
        while (!done.load()) {
            d.queue(packets.data(), static_cast<int>(packets.size()));
            Sleep(0);
        }
    });
    for (int i = 0; i < 400; ++i) {
        if (i % 9 == 8)
            b.remove_listener(b.env, helper, nullptr);
        else
            b.add_listener(b.env, helper, b.new_listener());
        if (i % 50 == 0) Sleep(1);
    }
    done = true;
    feeder.join();
    b.add_listener(b.env, helper, b.new_listener());
    window.flush();
    deliver(window, {packet(500, 300, 1, 1)});
    EXPECT_GT(b.calls().size(), 0u);
    EXPECT_LE(b.vm.live_global_refs(), 1);

    b.finalize(b.env, helper);
    window.flush();
    EXPECT_EQ(b.vm.live_global_refs(), 0);
    EXPECT_TRUE(b.vm.violations().empty());
    std::printf("listener calls during the replacements: %u\n", static_cast<unsigned>(b.calls().size()));
}

} // namespace
