// postwell's hidden window and message loop, run in this process with a send
// function of the test's own.

#include <gtest/gtest.h>

#include "exit_codes.h"
#include "send_window.h"

namespace {

using postwell::run_send_window;

int calls;
int send_result;

int counting_send()
{
    ++calls;
    // The window exists during the send, and is not visible.
    HWND window = FindWindowA(postwell::send_window_class, "tdckSendMAPI");
    EXPECT_NE(window, nullptr);
    if (window) {
        EXPECT_FALSE(IsWindowVisible(window));
    }
    return send_result;
}

struct SendWindow : testing::Test {
    void SetUp() override
    {
        calls = 0;
        send_result = 0;
    }
    HINSTANCE instance = GetModuleHandleW(nullptr);
};

TEST_F(SendWindow, ExitCodeIsTheSendsResultWhateverItsSign)
{
    for (int result : {0, 1, 2, 26, -1, -4, -5, 259}) {
        SCOPED_TRACE(result);
        calls = 0;
        send_result = result;
        EXPECT_EQ(run_send_window(instance, counting_send), result);
        EXPECT_EQ(calls, 1);
    }
}

TEST_F(SendWindow, ClassThatCannotBeRegisteredSendsNothingAndFails)
{
    WNDCLASSEXA taken{};
    taken.cbSize = sizeof(taken);
    taken.lpfnWndProc = DefWindowProcA;
    taken.hInstance = instance;
    taken.lpszClassName = postwell::send_window_class;
    ASSERT_TRUE(RegisterClassExA(&taken));
    EXPECT_EQ(run_send_window(instance, counting_send), postwell::exit_no_window);
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(UnregisterClassA(postwell::send_window_class, instance));
}

LRESULT CALLBACK refuse_creation(int code, WPARAM wparam, LPARAM lparam)
{
    if (code == HCBT_CREATEWND) return 1; // the window is not created
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

TEST_F(SendWindow, WindowThatCannotBeCreatedEndsAtOnceWithoutSending)
{
    HHOOK hook = SetWindowsHookExW(WH_CBT, refuse_creation, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    send_result = 7;
    const int exit_code = run_send_window(instance, counting_send);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(exit_code, postwell::exit_no_window);
    EXPECT_EQ(calls, 0);
}

int send_then_destroy()
{
    ++calls;
    // Destroying the window inside WM_CREATE makes the creation fail after
    // the send ran; WM_DESTROY posts a WM_QUIT of 0 on top of the send's.
    DestroyWindow(FindWindowA(postwell::send_window_class, nullptr));
    return 3;
}

TEST_F(SendWindow, SendThatRanInAFailedCreationKeepsItsResult)
{
    EXPECT_EQ(run_send_window(instance, send_then_destroy), 3);
    EXPECT_EQ(calls, 1);
    // Nothing is left behind: the next run works as the first.
    send_result = 4;
    EXPECT_EQ(run_send_window(instance, counting_send), 4);
    MSG left;
    EXPECT_FALSE(PeekMessageW(&left, nullptr, 0, 0, PM_REMOVE)) << "message " << left.message << " left";
}

} // namespace
