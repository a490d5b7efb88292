// The WintabHelper natives as Java sees them: the states of an object and
// what each native does in them.

#include "tablet_fixture.h"

using namespace tablet_test;

namespace {

int count_kind(const driver& d, int kind)
{
    int n = 0;
    for (const auto& c : d.calls()) n += c.kind == kind ? 1 : 0;
    return n;
}

TEST_F(TabletTest, EnableWaitsForTheOpenRequestToBeHandled)
{
    window_thread window(100, 50, 200, 200);
    jobject helper = b.new_helper();
    b.construct(helper, window.hwnd());
    window.flush();
    driver d(L"wintab32.dll");
    const LOGCONTEXTW given = example_context();
    d.configure(&given, 1, 0, 511);

    EXPECT_FALSE(b.enable(b.env, helper)) << "no listener, no context";
    EXPECT_FALSE(b.is_enabled(b.env, helper));

    window.hold();
    jobject listener = b.new_listener();
    b.add_listener(b.env, helper, listener);
    EXPECT_FALSE(b.enable(b.env, helper)) << "the open request is still queued";
    EXPECT_FALSE(b.is_enabled(b.env, helper));
    window.release();
    window.flush();
    EXPECT_TRUE(b.enable(b.env, helper));
    EXPECT_TRUE(b.is_enabled(b.env, helper));
    EXPECT_EQ(b.take_exception(), "");
    b.finalize(b.env, helper);
    window.flush();
}

TEST_F(TabletTest, ListenerRemovalAndReturn)
{
    window_thread window(100, 50, 200, 200);
    jobject first = nullptr;
    jobject helper = open_helper(window, first);
    driver d(L"wintab32.dll");
    const int refs = b.vm.live_global_refs();
    EXPECT_EQ(refs, 1);

    // A second listener replaces the first; the context stays as it is.
    jobject second = b.new_listener();
    b.add_listener(b.env, helper, second);
    window.flush();
    EXPECT_EQ(b.vm.live_global_refs(), 1);
    EXPECT_EQ(count_kind(d, wintab_double::call_open), 1);
    deliver(window, {packet(500, 300, 255, 1)});
    ASSERT_EQ(b.calls().size(), 1u);
    EXPECT_EQ(b.calls()[0].listener, b.vm.deref(second));

    // Removal with a listener that was never added removes the held one and
    // closes the context; enabled stays set.
    b.remove_listener(b.env, helper, b.new_listener());
    window.flush();
    EXPECT_EQ(b.vm.live_global_refs(), 0);
    EXPECT_EQ(count_kind(d, wintab_double::call_close), 1);
    EXPECT_FALSE(b.is_enabled(b.env, helper));

    // Adding again reopens and delivers without another enable.
    b.clear_calls();
    b.add_listener(b.env, helper, first);
    window.flush();
    EXPECT_TRUE(b.is_enabled(b.env, helper));
    deliver(window, {packet(500, 300, 255, 1)});
    ASSERT_EQ(b.calls().size(), 1u);
    EXPECT_EQ(b.calls()[0].listener, b.vm.deref(first));

    // Null is a removal.
    b.add_listener(b.env, helper, nullptr);
    window.flush();
    EXPECT_EQ(b.vm.live_global_refs(), 0);
    EXPECT_EQ(count_kind(d, wintab_double::call_close), 2);
    EXPECT_FALSE(b.is_enabled(b.env, helper));
    EXPECT_EQ(b.take_exception(), "");

    b.finalize(b.env, helper);
    window.flush();
}

TEST_F(TabletTest, DisableKeepsTheContextAndTheQueue)
{
    window_thread window(100, 50, 200, 200);
    jobject listener = nullptr;
    jobject helper = open_helper(window, listener);
    driver d(L"wintab32.dll");
    b.disable(b.env, helper);
    EXPECT_FALSE(b.is_enabled(b.env, helper));
    deliver(window, {packet(500, 300, 255, 1), packet(400, 300, 255, 1)});
    EXPECT_TRUE(b.calls().empty());
    EXPECT_EQ(d.queued(), 2) << "packets stay queued while delivery is off";
    EXPECT_EQ(count_kind(d, wintab_double::call_close), 0);

    EXPECT_TRUE(b.enable(b.env, helper));
    deliver(window, {packet(300, 300, 255, 1)});
    ASSERT_EQ(b.calls().size(), 3u);
    EXPECT_FLOAT_EQ(b.calls()[0].x, 150.0f);
    EXPECT_FLOAT_EQ(b.calls()[1].x, 100.0f);
    EXPECT_FLOAT_EQ(b.calls()[2].x, 50.0f);
    b.finalize(b.env, helper);
    window.flush();
}

TEST_F(TabletTest, FinalizedObject)
{
    window_thread window(100, 50, 200, 200);
    jobject listener = nullptr;
    jobject helper = open_helper(window, listener);
    b.finalize(b.env, helper);
    EXPECT_EQ(b.take_exception(), "");
    EXPECT_EQ(b.handle_of(helper), 0);
    b.finalize(b.env, helper);
    EXPECT_EQ(b.take_exception(), "") << "a second finalize is silent";

    b.expect_natives_refuse(helper, listener);
    window.flush();
    EXPECT_EQ(b.vm.live_global_refs(), 0);
    EXPECT_EQ(GetModuleHandleW(driver_path(L"wintab32.dll").c_str()), nullptr);
}

} // namespace
