// Packets from the driver to onAction: the mapping to client coordinates,
// pressure, order and batching, and how a delivery meets the Java VM.

#include <cstring>

#include "tablet_fixture.h"

using namespace tablet_test;

namespace {

const UINT control_message = RegisterWindowMessageW(L"TarvoDCK_Java_WintabHelper");

uint32_t bits(float value)
{
    uint32_t out;
    std::memcpy(&out, &value, sizeof(out));
    return out;
}

RECT client_on_screen(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT*>(&client), 2);
    return client;
}

TEST_F(TabletTest, WorkedExample)
{
    window_thread window(100, 50, 200, 200);
    const RECT client = client_on_screen(window.hwnd());
    ASSERT_EQ(client.left, 100);
    ASSERT_EQ(client.top, 50);
    ASSERT_EQ(client.right, 300);
    ASSERT_EQ(client.bottom, 250);
    jobject listener = nullptr;
    jobject helper = open_helper(window, listener);

    deliver(window, {packet(500, 300, 255, 1)});
    const auto calls = b.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(calls[0].down);
    EXPECT_EQ(bits(calls[0].x), bits(150.0f));
    EXPECT_EQ(bits(calls[0].y), bits(100.0f));
    EXPECT_EQ(bits(calls[0].pressure), 0x3eff7fc0u) << calls[0].pressure; // 255 / 511 as float: 0.49902153
    EXPECT_EQ(calls[0].listener, b.vm.deref(listener));
    EXPECT_EQ(calls[0].thread, window.thread_id());
    b.finalize(b.env, helper);
    window.flush();
}

TEST_F(TabletTest, ManyPacketsArriveInOrderWithinOneMessageAndOneAttachment)
{
    window_thread window(100, 50, 200, 200);
    jobject listener = nullptr;
    jobject helper = open_helper(window, listener);
    std::vector<PACKET> packets;
    for (LONG i = 0; i < 40; ++i) packets.push_back(packet(210 + i, 300, static_cast<UINT>(i), 1));
    const int attaches = b.vm.attach_count();
    const int detaches = b.vm.detach_count();
    deliver(window, packets); // one WT_PACKET for all 40
    const auto calls = b.calls();
    ASSERT_EQ(calls.size(), 40u);
    for (size_t i = 0; i < calls.size(); ++i) EXPECT_FLOAT_EQ(calls[i].x, 5.0f + 0.5f * static_cast<float>(i)) << i;
    EXPECT_EQ(b.vm.attach_count() - attaches, 1);
    EXPECT_EQ(b.vm.detach_count() - detaches, 1);
    b.finalize(b.env, helper);
    window.flush();
}

TEST_F(TabletTest, ClientRectangleEdges)
{
    window_thread window(100, 50, 200, 200);
    jobject listener = nullptr;
    jobject helper = open_helper(window, listener);
    // Screen position = raw / 2, y from the top of the 600-unit tablet.
    struct {
        const char* where;
        LONG x, y;
        bool inside;
    } cases[] = {
        {"left edge", 200, 300, true},     {"left of it", 199, 300, false},
        {"right edge", 600, 300, false},   {"last column", 599, 300, true},
        {"top edge", 500, 500, true},      {"above it", 500, 501, false},
        {"bottom edge", 500, 100, false},  {"last row", 500, 101, true},
    };
    std::vector<PACKET> packets;
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i)
        packets.push_back(packet(cases[i].x, cases[i].y, static_cast<UINT>(i), 1));
    deliver(window, packets);

    const auto calls = b.calls();
    size_t next = 0;
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        const bool delivered = next < calls.size() && calls[next].pressure == static_cast<float>(static_cast<double>(i) / 511.0);
        EXPECT_EQ(delivered, cases[i].inside) << cases[i].where;
        if (delivered) ++next;
    }
    EXPECT_EQ(next, calls.size());
    b.finalize(b.env, helper);
    window.flush();
}

TEST_F(TabletTest, NegativeScreenPositionsTruncateTowardZero)
{
    // Client area from screen (0, 0); the mapping starts 10 pixels left of it.
    window_thread window(0, 0, 100, 100);
    const RECT client = client_on_screen(window.hwnd());
    ASSERT_EQ(client.left, 0);
    ASSERT_EQ(client.top, 0);
    LOGCONTEXTW context = example_context();
    context.lcSysOrgX = -10;
    context.lcSysOrgY = -10;
    jobject listener = nullptr;
    jobject helper = open_helper(window, listener, context);
    // xs = pkX / 2 - 10, ys = (600 - pkY) / 2 - 10.
    deliver(window, {packet(19, 400, 1, 1),    // xs -0.5: truncates to 0, inside
                     packet(18, 400, 2, 1),    // xs -1.0: outside
                     packet(40, 581, 3, 1),    // ys -0.5: inside
                     packet(40, 582, 4, 1)});  // ys -1.0: outside
    const auto calls = b.calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(bits(calls[0].x), bits(-0.5f));
    EXPECT_EQ(bits(calls[0].y), bits(90.0f));
    EXPECT_EQ(bits(calls[1].x), bits(10.0f));
    EXPECT_EQ(bits(calls[1].y), bits(-0.5f));
    b.finalize(b.env, helper);
    window.flush();
}

TEST_F(TabletTest, ButtonZeroGivesDown)
{
    window_thread window(100, 50, 200, 200);
    jobject listener = nullptr;
    jobject helper = open_helper(window, listener);
    deliver(window, {packet(500, 300, 0, 0), packet(500, 300, 0, 2), packet(500, 300, 0, 3), packet(500, 300, 0, 1)});
    const auto calls = b.calls();
    ASSERT_EQ(calls.size(), 4u) << "hover and pen-up packets are delivered too";
    EXPECT_FALSE(calls[0].down);
    EXPECT_FALSE(calls[1].down);
    EXPECT_TRUE(calls[2].down);
    EXPECT_TRUE(calls[3].down);
    b.finalize(b.env, helper);
    window.flush();
}

TEST_F(TabletTest, PressureStaysWithinZeroAndOne)
{
    window_thread window(100, 50, 200, 200);
    jobject listener = nullptr;
    jobject helper = open_helper(window, listener);
    driver d(L"wintab32.dll");
    struct {
        LONG axis_min, axis_max;
        UINT pressure;
        float expected;
    } cases[] = {
        {0, 511, 511, 1.0f},      {0, 511, 0, 0.0f},
        {10, 511, 5, 0.0f},       // below the axis: no longer wraps to millions
        {0, 511, 600, 1.0f},      // above the axis
        {0, 1023, 0xFFFFFFFFu, 1.0f},
        {-100, 100, 0, 0.5f},     {-100, 100, 0xFFFFFF9Cu, 1.0f}, // the field is unsigned: far above
        {100, 100, 100, 0.0f},    // empty axis
        {200, 100, 150, 0.0f},    // inverted axis
    };
    for (const auto& c : cases) {
        PostMessageW(window.hwnd(), control_message, 0, 0);
        const LOGCONTEXTW context = example_context();
        d.configure(&context, 1, c.axis_min, c.axis_max);
        PostMessageW(window.hwnd(), control_message, 1, 0);
        window.flush(); // the driver posts WT_PACKET only to an open context
        b.clear_calls();
        deliver(window, {packet(500, 300, c.pressure, 1)});
        const auto calls = b.calls();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].pressure, c.expected)
            << "axis " << c.axis_min << ".." << c.axis_max << ", pressure " << c.pressure;
    }
    b.finalize(b.env, helper);
    window.flush();
}

TEST_F(TabletTest, ThrowingListenerEndsTheMessageCleanly)
{
    window_thread window(100, 50, 200, 200);
    jobject listener = nullptr;
    jobject helper = open_helper(window, listener);
    driver d(L"wintab32.dll");
    b.on_action([&](JNIEnv* env) { b.vm.throw_new(env, "java/lang/RuntimeException", u"listener failed"); });
    const int detaches = b.vm.detach_count();
    std::vector<PACKET> packets(20, packet(500, 300, 1, 1));
    deliver(window, packets);
    EXPECT_EQ(b.calls().size(), 1u) << "no call after the one that threw";
    EXPECT_EQ(b.vm.detach_count() - detaches, 1);
    EXPECT_EQ(d.queued(), 4) << "the fetched batch is dropped, the rest stays queued";

    b.on_action(nullptr);
    deliver(window, {packet(500, 300, 1, 1)});
    EXPECT_EQ(b.calls().size(), 6u) << "the next message delivers normally";
    b.finalize(b.env, helper);
    window.flush();
}

TEST_F(TabletTest, DeliveryLeavesNoLocalReferenceOnAJavaThread)
{
    // The window's thread is a Java thread already, as AWT's is: detaching
    // does not end its frame, so whatever a delivery leaves would pile up.
    window_thread window(100, 50, 200, 200, &b.vm);
    jobject listener = nullptr;
    jobject helper = open_helper(window, listener);
    const int before = b.vm.live_local_refs(window.thread_id());
    for (int i = 0; i < 3; ++i) deliver(window, {packet(500, 300, 1, 1)});
    EXPECT_EQ(b.calls().size(), 3u);
    EXPECT_EQ(b.vm.live_local_refs(window.thread_id()), before);
    b.finalize(b.env, helper);
    window.flush();
}

TEST_F(TabletTest, UndeliverablePacketsStayQueued)
{
    window_thread window(100, 50, 200, 200);
    jobject listener = nullptr;
    jobject helper = open_helper(window, listener);
    driver d(L"wintab32.dll");

    // The thread cannot be attached: nothing fetched, nothing detached.
    b.vm.fail_next("AttachCurrentThread");
    const int detaches = b.vm.detach_count();
    deliver(window, {packet(500, 300, 1, 1)});
    EXPECT_TRUE(b.calls().empty());
    EXPECT_EQ(d.queued(), 1);
    EXPECT_EQ(b.vm.detach_count(), detaches);

    // A listener without onAction: nothing fetched, the lookup's error cleared.
    jobject stranger = b.vm.new_object("test/NotAListener");
    b.add_listener(b.env, helper, stranger);
    deliver(window, {packet(500, 300, 2, 1)});
    EXPECT_TRUE(b.calls().empty());
    EXPECT_EQ(d.queued(), 2);

    b.add_listener(b.env, helper, listener);
    deliver(window, {packet(500, 300, 3, 1)});
    EXPECT_EQ(b.calls().size(), 3u) << "queued packets are delivered later";
    b.finalize(b.env, helper);
    window.flush();
}

} // namespace
