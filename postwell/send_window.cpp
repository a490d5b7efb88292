#include "send_window.h"

#include "exit_codes.h"

namespace postwell {

const char send_window_class[] = "tdckSendMAPIClass";

namespace {

struct send_state {
    int (*send)();
    bool ran;
    int result;
};

LRESULT CALLBACK send_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_CREATE: {
        auto* state = static_cast<send_state*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
        state->result = state->send();
        state->ran = true;
        PostQuitMessage(state->result);
        return 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        // The class is an ANSI one: its messages carry ANSI text.
        return DefWindowProcA(window, message, wparam, lparam);
    }
}

} // namespace

int run_send_window(HINSTANCE instance, int (*send)())
{
    WNDCLASSEXA window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.style = CS_HREDRAW | CS_VREDRAW;
    window_class.lpfnWndProc = send_window_proc;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
    window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    window_class.lpszClassName = send_window_class;
    // Without a class nothing was sent: that is no success.
    if (!RegisterClassExA(&window_class)) return exit_no_window;

    send_state state{send, false, 0};
    HWND window = CreateWindowExA(0, send_window_class, "tdckSendMAPI", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, &state);
    int exit_code = 0;
    if (window) {
        ShowWindow(window, SW_HIDE);
        MSG message;
        for (;;) {
            const BOOL got = GetMessageW(&message, nullptr, 0, 0);
            if (got == 0) break;
            if (got == -1) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        exit_code = static_cast<int>(message.wParam);
        DestroyWindow(window);
    } else {
        // No WM_QUIT is coming when the send never ran; when it ran inside a
        // creation that failed afterwards, its result stands.
        exit_code = state.ran ? state.result : exit_no_window;
    }

    // WM_DESTROY (and a send that ran in a failed creation) left a WM_QUIT.
    MSG quit;
    PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    UnregisterClassA(send_window_class, instance);
    return exit_code;
}

} // namespace postwell
