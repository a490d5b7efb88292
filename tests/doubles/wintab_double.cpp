// Stand-in Wintab driver. One source, several variants chosen by compile
// definitions: WINTAB_DOUBLE_PIN (exports "lcd_serial_no"), WINTAB_DOUBLE_NO_INFO
// (no "WTInfoW"), WINTAB_DOUBLE_PROBE_ZERO (the probe returns 0),
// WINTAB_DOUBLE_NO_OVERLAP (no "WTOverlap"), WINTAB_DOUBLE_NO_PACKETS_GET (no
// "WTPacketsGet"). Its state lives as long as the library stays loaded.

#include "wintab_double.h"

#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <vector>

using namespace wintab_double;
using morvalent::jni::wintab::WT_PACKET;

namespace {

std::mutex lock;
LOGCONTEXTW default_context{};
UINT devices = 1;
AXIS pressure{0, 1023, 0, 0};
std::deque<PACKET> queue;
std::vector<call> calls;
HCTX open_context = nullptr;
HWND open_window = nullptr;
UINT_PTR next_context = 0x100;

void log(int kind, HWND window, HCTX context, BOOL flag, const LOGCONTEXTW* opened)
{
    call c{};
    c.kind = kind;
    c.thread = GetCurrentThreadId();
    c.window = window;
    c.context = context;
    c.flag = flag;
    if (opened) c.opened = *opened;
    calls.push_back(c);
}

void count(const wchar_t* variable)
{
    wchar_t text[16] = L"0";
    GetEnvironmentVariableW(variable, text, 16);
    wchar_t next[16];
    wsprintfW(next, L"%d", _wtoi(text) + 1);
    SetEnvironmentVariableW(variable, next);
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) count(loads_variable);
    return TRUE;
}

#ifndef WINTAB_DOUBLE_NO_INFO
extern "C" __declspec(dllexport) UINT WINAPI WTInfoW(UINT category, UINT index, LPVOID out)
{
    std::lock_guard<std::mutex> hold(lock);
    if (category == 0 && index == 0) {
#ifdef WINTAB_DOUBLE_PROBE_ZERO
        return 0;
#else
        return 1;
#endif
    }
    if (category == 1 && index == 4) {
        if (out) std::memcpy(out, &devices, sizeof(devices));
        return sizeof(devices);
    }
    if (category == 4 && index == 0) {
        if (out) std::memcpy(out, &default_context, sizeof(default_context));
        return sizeof(default_context);
    }
    if (category == 100 + default_context.lcDevice && index == 15) {
        if (out) std::memcpy(out, &pressure, sizeof(pressure));
        return sizeof(pressure);
    }
    return 0;
}
#endif

extern "C" __declspec(dllexport) HCTX WINAPI WTOpenW(HWND window, LOGCONTEXTW* context, BOOL enable)
{
    std::lock_guard<std::mutex> hold(lock);
    open_context = reinterpret_cast<HCTX>(next_context++);
    open_window = window;
    log(call_open, window, open_context, enable, context);
    return open_context;
}

extern "C" __declspec(dllexport) BOOL WINAPI WTClose(HCTX context)
{
    std::lock_guard<std::mutex> hold(lock);
    log(call_close, nullptr, context, FALSE, nullptr);
    count(closes_variable);
    if (context == open_context) {
        open_context = nullptr;
        open_window = nullptr;
    }
    return TRUE;
}

extern "C" __declspec(dllexport) BOOL WINAPI WTEnable(HCTX context, BOOL enable)
{
    std::lock_guard<std::mutex> hold(lock);
    log(call_enable, nullptr, context, enable, nullptr);
    return TRUE;
}

#ifndef WINTAB_DOUBLE_NO_OVERLAP
extern "C" __declspec(dllexport) BOOL WINAPI WTOverlap(HCTX context, BOOL to_top)
{
    std::lock_guard<std::mutex> hold(lock);
    log(call_overlap, nullptr, context, to_top, nullptr);
    return TRUE;
}
#endif

#ifndef WINTAB_DOUBLE_NO_PACKETS_GET
extern "C" __declspec(dllexport) int WINAPI WTPacketsGet(HCTX context, int max, LPVOID out)
{
    std::lock_guard<std::mutex> hold(lock);
    if (!context || context != open_context) return 0;
    int n = 0;
    auto* packets = static_cast<PACKET*>(out);
    while (n < max && !queue.empty()) {
        packets[n++] = queue.front();
        queue.pop_front();
    }
    return n;
}
#endif

#ifdef WINTAB_DOUBLE_PIN
// Only looked up by the bridge, never called.
extern "C" __declspec(dllexport) int lcd_serial_no() { return 0; }
#endif

extern "C" __declspec(dllexport) void double_configure(const LOGCONTEXTW* context, UINT device_count, LONG axis_min,
                                                       LONG axis_max)
{
    std::lock_guard<std::mutex> hold(lock);
    default_context = *context;
    devices = device_count;
    pressure.axMin = axis_min;
    pressure.axMax = axis_max;
}

extern "C" __declspec(dllexport) void double_queue(const PACKET* packets, int count)
{
    std::lock_guard<std::mutex> hold(lock);
    queue.insert(queue.end(), packets, packets + count);
    if (open_context && open_window)
        PostMessageW(open_window, WT_PACKET, 0, reinterpret_cast<LPARAM>(open_context));
}

extern "C" __declspec(dllexport) int double_queued()
{
    std::lock_guard<std::mutex> hold(lock);
    return static_cast<int>(queue.size());
}

extern "C" __declspec(dllexport) int double_call_count()
{
    std::lock_guard<std::mutex> hold(lock);
    return static_cast<int>(calls.size());
}

extern "C" __declspec(dllexport) BOOL double_call_at(int index, call* out)
{
    std::lock_guard<std::mutex> hold(lock);
    if (index < 0 || static_cast<size_t>(index) >= calls.size()) return FALSE;
    *out = calls[static_cast<size_t>(index)];
    return TRUE;
}

extern "C" __declspec(dllexport) HWND double_open_window()
{
    std::lock_guard<std::mutex> hold(lock);
    return open_window;
}
