// Stand-in Simple MAPI provider ("mapi32.dll" next to a copy of postwell).
//
// MAPISendMail writes everything it received to "mapi_received.txt" next to
// this library, one "name=value" line each: numbers in decimal, strings as
// null or in double quotes with bytes below 0x20, from 0x7F up, '"' and '\'
// written as \xHH. It also lists the windows of the calling thread with their
// visibility. "mapi_behaviour.txt" next to the library, when present, holds
// the result to return and optionally the word "dialog": then a visible
// window stands in for the compose dialog and the call returns only when the
// window is closed (or after 30 s, so that nothing hangs).
//
// Loading the library creates "mapi_loaded.txt" next to it. Built without
// MAPISEND_EXPORT it exports nothing of Simple MAPI.

#include <windows.h>
#include <mapi.h>

#include <cstdlib>
#include <string>

namespace {

HMODULE self;

std::string folder_of_self()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

} // namespace

#ifdef MAPISEND_EXPORT
namespace {

std::string quoted(const char* text)
{
    if (!text) return "null";
    std::string out = "\"";
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        if (*p < 0x20 || *p >= 0x7F || *p == '"' || *p == '\\') {
            char hex[8];
            wsprintfA(hex, "\\x%02X", *p);
            out += hex;
        } else {
            out += static_cast<char>(*p);
        }
    }
    return out + "\"";
}

void line(std::string& out, const std::string& name, const std::string& value)
{
    out += name + "=" + value + "\n";
}

std::string number(unsigned long long value)
{
    char text[32];
    wsprintfA(text, "%I64u", value);
    return text;
}

BOOL CALLBACK list_window(HWND window, LPARAM lparam)
{
    char name[256] = "";
    GetClassNameA(window, name, sizeof(name));
    auto& out = *reinterpret_cast<std::string*>(lparam);
    line(out, std::string("window.") + name, IsWindowVisible(window) ? "visible" : "hidden");
    return TRUE;
}

void write_file(const std::string& path, const std::string& text)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

std::string read_file(const std::string& path)
{
    std::string text;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return text;
    char buffer[256];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) text.append(buffer, got);
    CloseHandle(file);
    return text;
}

LRESULT CALLBACK compose_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_TIMER:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wparam, lparam);
    }
}

// A visible window and its message loop, as a compose dialog would have.
void show_compose_dialog()
{
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = compose_proc;
    window_class.hInstance = self;
    window_class.lpszClassName = "InkvaleStandInCompose";
    RegisterClassA(&window_class);
    HWND window = CreateWindowExA(0, "InkvaleStandInCompose", "Stand-in compose", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  10, 10, 200, 100, nullptr, nullptr, self, nullptr);
    if (!window) return;
    SetTimer(window, 1, 30000, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

} // namespace

extern "C" __declspec(dllexport) ULONG WINAPI MAPISendMail(LHANDLE session, ULONG_PTR ui_param, lpMapiMessage message,
                                                           FLAGS flags, ULONG reserved)
{
    std::string out;
    line(out, "pid", number(GetCurrentProcessId()));
    line(out, "session", number(session));
    line(out, "ui_param", number(ui_param));
    line(out, "flags", number(flags));
    line(out, "reserved", number(reserved));
    if (message) {
        line(out, "message.reserved", number(message->ulReserved));
        line(out, "message.flags", number(message->flFlags));
        line(out, "message.type", quoted(message->lpszMessageType));
        line(out, "message.date", quoted(message->lpszDateReceived));
        line(out, "message.conversation", quoted(message->lpszConversationID));
        line(out, "message.originator", message->lpOriginator ? "set" : "null");
        line(out, "subject", quoted(message->lpszSubject));
        line(out, "text", quoted(message->lpszNoteText));
        line(out, "recip_count", number(message->nRecipCount));
        line(out, "recips", message->lpRecips ? "set" : "null");
        for (ULONG i = 0; message->lpRecips && i < message->nRecipCount; ++i) {
            const MapiRecipDesc& recip = message->lpRecips[i];
            const std::string prefix = "recip" + number(i) + ".";
            line(out, prefix + "class", number(recip.ulRecipClass));
            line(out, prefix + "name", quoted(recip.lpszName));
            line(out, prefix + "address", quoted(recip.lpszAddress));
            line(out, prefix + "eid_size", number(recip.ulEIDSize));
        }
        line(out, "file_count", number(message->nFileCount));
        line(out, "files", message->lpFiles ? "set" : "null");
        for (ULONG i = 0; message->lpFiles && i < message->nFileCount; ++i) {
            const MapiFileDesc& file = message->lpFiles[i];
            const std::string prefix = "file" + number(i) + ".";
            line(out, prefix + "position", number(file.nPosition));
            line(out, prefix + "path", quoted(file.lpszPathName));
            line(out, prefix + "name", quoted(file.lpszFileName));
            line(out, prefix + "flags", number(file.flFlags));
            line(out, prefix + "type", file.lpFileType ? "set" : "null");
        }
    } else {
        line(out, "message", "null");
    }
    EnumThreadWindows(GetCurrentThreadId(), list_window, reinterpret_cast<LPARAM>(&out));

    const std::string folder = folder_of_self();
    const std::string behaviour = read_file(folder + "mapi_behaviour.txt");
    const ULONG result = strtoul(behaviour.c_str(), nullptr, 10);
    const bool dialog = behaviour.find("dialog") != std::string::npos;
    line(out, "end", "1");
    // Renamed when complete, so that a reader never sees half of it.
    write_file(folder + "mapi_received.txt.part", out);
    MoveFileExA((folder + "mapi_received.txt.part").c_str(), (folder + "mapi_received.txt").c_str(),
                MOVEFILE_REPLACE_EXISTING);

    if (dialog) show_compose_dialog();
    return result;
}
#endif

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        self = instance;
        // Marks that the program under test loaded the provider at all.
        HANDLE marker = CreateFileA((folder_of_self() + "mapi_loaded.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
    }
    return TRUE;
}
