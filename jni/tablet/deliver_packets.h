#pragma once

#include <windows.h>

#include "wintab_obj_data.h"

namespace morvalent::jni {

// Window's thread only. Attaches the thread to the Java VM, drains the
// context's queue 16 packets at a time and calls the listener's onAction for
// each packet inside the window's client area, then detaches. Stops early when
// the listener goes, delivery is disabled (packets not yet fetched stay
// queued) or onAction throws (the exception is described and cleared).
void deliver_packets(wintab_obj_data& record, HWND window) noexcept;

} // namespace morvalent::jni
