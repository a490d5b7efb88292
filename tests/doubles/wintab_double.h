#pragma once

// Control interface of the stand-in Wintab driver (wintab_double.cpp), shared
// with the tests that drive it through its extra exports.

#include <windows.h>

#include "tablet/wintab_api.h"

namespace wintab_double {

using morvalent::jni::wintab::AXIS;
using morvalent::jni::wintab::HCTX;
using morvalent::jni::wintab::LOGCONTEXTW;
using morvalent::jni::wintab::PACKET;

enum call_kind : int { call_open = 1, call_close, call_enable, call_overlap };

struct call {
    int kind;
    DWORD thread;       // thread that made the call
    HWND window;        // WTOpenW
    HCTX context;       // the context (the result of WTOpenW)
    BOOL flag;          // WTOpenW's enable, WTEnable's and WTOverlap's BOOL
    LOGCONTEXTW opened; // the description WTOpenW got
};

// Extra exports, all cdecl.
using configure_fn = void (*)(const LOGCONTEXTW* default_context, UINT devices, LONG axis_min, LONG axis_max);
// Appends packets to the queue; with a context open, posts one WT_PACKET to
// its window as a driver does.
using queue_fn = void (*)(const PACKET* packets, int count);
using queued_fn = int (*)();
using call_count_fn = int (*)();
using call_at_fn = BOOL (*)(int index, call* out);
using open_window_fn = HWND (*)();

// Environment variables that outlive the library: every load of any variant
// increments the first, every WTClose the second.
constexpr wchar_t loads_variable[] = L"INKVALE_WINTAB_DOUBLE_LOADS";
constexpr wchar_t closes_variable[] = L"INKVALE_WINTAB_DOUBLE_CLOSES";

} // namespace wintab_double
