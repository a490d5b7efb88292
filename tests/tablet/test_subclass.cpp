// The window side: the subclass installed by the window's own thread, the
// context the driver is asked for, control messages, activation and the
// pen-gesture query.

#include <algorithm>

#include "tablet_fixture.h"
#include "test_support.h"

using namespace tablet_test;

namespace {

const UINT control_message = RegisterWindowMessageW(L"TarvoDCK_Java_WintabHelper");

std::vector<int> kinds(const std::vector<wintab_double::call>& calls)
{
    std::vector<int> out;
    for (const auto& c : calls) out.push_back(c.kind);
    return out;
}

TEST_F(TabletTest, SubclassIsInstalledByTheWindowsThreadAndOpensTheContext)
{
    window_thread window(100, 50, 200, 200);
    SetWindowLongPtrW(window.hwnd(), GWLP_USERDATA, 0x5A5A);
    jobject helper = b.new_helper();
    b.construct(helper, window.hwnd());
    window.flush();
    // The first message after ctr went to the window's own procedure; the
    // window's user data was never touched.
    const std::vector<UINT> seen = window.messages();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), static_cast<UINT>(WM_NULL));
    EXPECT_EQ(GetWindowLongPtrW(window.hwnd(), GWLP_USERDATA), 0x5A5A);

    driver d(L"wintab32.dll");
    const LOGCONTEXTW given = example_context();
    d.configure(&given, 1, 0, 511);
    jobject listener = b.new_listener();
    b.add_listener(b.env, helper, listener);
    window.flush();

    const auto calls = d.calls();
    ASSERT_EQ(calls.size(), 1u);
    const wintab_double::call& open = calls[0];
    EXPECT_EQ(open.kind, wintab_double::call_open);
    EXPECT_EQ(open.thread, window.thread_id());
    EXPECT_EQ(open.window, window.hwnd());
    EXPECT_EQ(open.flag, TRUE);

    const LOGCONTEXTW& got = open.opened;
    EXPECT_EQ(std::wstring(got.lcName), L"default");
    EXPECT_EQ(got.lcOptions, given.lcOptions | 0x0004u);
    EXPECT_EQ(got.lcStatus, given.lcStatus);
    EXPECT_EQ(got.lcLocks, given.lcLocks);
    EXPECT_EQ(got.lcMsgBase, 0x7FF0u);
    EXPECT_EQ(got.lcDevice, given.lcDevice);
    EXPECT_EQ(got.lcPktRate, given.lcPktRate);
    EXPECT_EQ(got.lcPktData, 0x15C4u);
    EXPECT_EQ(got.lcPktMode, 0u);
    EXPECT_EQ(got.lcMoveMask, 0xFFFFFFFFu);
    EXPECT_EQ(got.lcBtnDnMask, 0xFFFFFFFFu);
    EXPECT_EQ(got.lcBtnUpMask, 0xFFFFFFFFu);
    EXPECT_EQ(got.lcInOrgX, given.lcInOrgX);
    EXPECT_EQ(got.lcInOrgY, given.lcInOrgY);
    EXPECT_EQ(got.lcInOrgZ, given.lcInOrgZ);
    EXPECT_EQ(got.lcInExtX, given.lcInExtX);
    EXPECT_EQ(got.lcInExtY, given.lcInExtY);
    EXPECT_EQ(got.lcInExtZ, given.lcInExtZ);
    EXPECT_EQ(got.lcOutOrgX, given.lcInOrgX);
    EXPECT_EQ(got.lcOutOrgY, given.lcInOrgY);
    EXPECT_EQ(got.lcOutOrgZ, given.lcInOrgZ);
    EXPECT_EQ(got.lcOutExtX, given.lcInExtX);
    EXPECT_EQ(got.lcOutExtY, given.lcInExtY);
    EXPECT_EQ(got.lcOutExtZ, given.lcInExtZ);
    EXPECT_EQ(got.lcSensX, given.lcSensX);
    EXPECT_EQ(got.lcSensY, given.lcSensY);
    EXPECT_EQ(got.lcSensZ, given.lcSensZ);
    EXPECT_EQ(got.lcSysMode, given.lcSysMode);
    EXPECT_EQ(got.lcSysOrgX, given.lcSysOrgX);
    EXPECT_EQ(got.lcSysOrgY, given.lcSysOrgY);
    EXPECT_EQ(got.lcSysExtX, given.lcSysExtX);
    EXPECT_EQ(got.lcSysExtY, given.lcSysExtY);
    EXPECT_EQ(got.lcSysSensX, given.lcSysSensX);
    EXPECT_EQ(got.lcSysSensY, given.lcSysSensY);

    b.finalize(b.env, helper);
    window.flush();
}

TEST_F(TabletTest, ControlMessageOpensWithOneAndClosesOtherwise)
{
    window_thread window(100, 50, 200, 200);
    jobject helper = b.new_helper();
    b.construct(helper, window.hwnd());
    window.flush();
    driver d(L"wintab32.dll");
    const LOGCONTEXTW given = example_context();
    d.configure(&given, 1, 0, 511);

    struct {
        WPARAM wparam;
        std::vector<int> calls;
    } steps[] = {
        {1, {wintab_double::call_open}},
        {1, {}}, // already open
        {0, {wintab_double::call_close}},
        {0, {}}, // already closed
        {1, {wintab_double::call_open}},
        {2, {wintab_double::call_close}},
    };
    size_t seen = 0;
    for (const auto& step : steps) {
        PostMessageW(window.hwnd(), control_message, step.wparam, 0);
        window.flush();
        const auto calls = d.calls();
        EXPECT_EQ(kinds({calls.begin() + static_cast<ptrdiff_t>(seen), calls.end()}), step.calls)
            << "wParam " << step.wparam;
        seen = calls.size();
    }
    b.finalize(b.env, helper);
    window.flush();
}

TEST_F(TabletTest, ActivationRaisesThenEnablesTheContext)
{
    for (const wchar_t* file : {L"wintab32.dll", L"wintab_nooverlap.dll"}) {
        SCOPED_TRACE(test_support::narrow(file));
        use_driver(file);
        window_thread window(100, 50, 200, 200);
        jobject helper = b.new_helper();
        b.construct(helper, window.hwnd());
        window.flush();
        driver d(file);
        const LOGCONTEXTW given = example_context();
        d.configure(&given, 1, 0, 511);
        const bool has_overlap = std::wstring(file) == L"wintab32.dll";

        // No context yet: activation touches nothing.
        SendMessageW(window.hwnd(), WM_ACTIVATE, WA_ACTIVE, 0);
        EXPECT_TRUE(d.calls().empty());

        jobject listener = b.new_listener();
        b.add_listener(b.env, helper, listener);
        window.flush();
        struct {
            WPARAM wparam;
            BOOL active;
        } cases[] = {{WA_ACTIVE, TRUE}, {WA_INACTIVE, FALSE}, {MAKEWPARAM(WA_INACTIVE, 1), TRUE}, {WA_CLICKACTIVE, TRUE}};
        for (const auto& c : cases) {
            const size_t before = d.calls().size();
            SendMessageW(window.hwnd(), WM_ACTIVATE, c.wparam, 0);
            const auto calls = d.calls();
            std::vector<wintab_double::call> made(calls.begin() + static_cast<ptrdiff_t>(before), calls.end());
            std::vector<int> expected;
            if (has_overlap) expected.push_back(wintab_double::call_overlap);
            expected.push_back(wintab_double::call_enable);
            ASSERT_EQ(kinds(made), expected) << "wParam " << c.wparam;
            for (const auto& call : made) {
                EXPECT_EQ(call.flag, c.active) << "wParam " << c.wparam;
                EXPECT_EQ(call.context, calls[0].context);
                EXPECT_EQ(call.thread, window.thread_id());
            }
        }
        b.finalize(b.env, helper);
        window.flush();
    }
}

TEST_F(TabletTest, GestureQueryIsAnsweredOnlyWhileEnabled)
{
    window_thread window(100, 50, 200, 200);
    constexpr UINT query = 0x02CC;
    jobject listener = nullptr;
    jobject helper = b.new_helper();
    b.construct(helper, window.hwnd());
    window.flush();
    EXPECT_EQ(SendMessageW(window.hwnd(), query, 0, 0), 0) << "not enabled: the window's own answer";

    driver d(L"wintab32.dll");
    const LOGCONTEXTW given = example_context();
    d.configure(&given, 1, 0, 511);
    listener = b.new_listener();
    b.add_listener(b.env, helper, listener);
    window.flush();
    ASSERT_TRUE(b.enable(b.env, helper));
    EXPECT_EQ(SendMessageW(window.hwnd(), query, 0, 0), 0x00198319);

    // The context closes, enabled stays set: still answered without a context.
    b.remove_listener(b.env, helper, nullptr);
    window.flush();
    EXPECT_FALSE(b.is_enabled(b.env, helper));
    EXPECT_EQ(SendMessageW(window.hwnd(), query, 0, 0), 0x00198319);

    b.disable(b.env, helper);
    EXPECT_EQ(SendMessageW(window.hwnd(), query, 0, 0), 0);
    b.finalize(b.env, helper);
    window.flush();
}

} // namespace
