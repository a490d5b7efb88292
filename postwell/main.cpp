// postwell: hands one e-mail from its command line to the Simple MAPI
// provider, whose compose dialog then belongs to the user. It never shows a
// window of its own and reports only through its exit code.

#include <windows.h>

#include "send_mail.h"
#include "send_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return postwell::run_send_window(instance, [] { return postwell::send_from_command_line(); });
}
