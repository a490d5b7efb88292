#pragma once

#include <windows.h>

#include "wintab_api.h"

namespace morvalent::jni {

// The Wintab driver as one WintabHelper binds it. Bound: the library and the
// five required entry points are set (WTOverlap may be missing). Unbound:
// everything is null/0. Written only by load_wintab, before the record is
// published to other threads.
struct wintab_lib_data {
    // The process mask saved by the pinning count when this binding holds one
    // of its pins; 0 when this binding did not pin.
    DWORD_PTR saved_affinity_mask;
    HMODULE library;
    wintab::WTInfoW_fn WTInfoW;
    wintab::WTOpenW_fn WTOpenW;
    wintab::WTClose_fn WTClose;
    wintab::WTEnable_fn WTEnable;
    wintab::WTPacketsGet_fn WTPacketsGet;
    wintab::WTOverlap_fn WTOverlap;

    bool bound() const noexcept { return library != nullptr; }
};

// Finds the driver (HKLM "Software\Morvalent\qf" "wtLibrary", else
// "WINTAB32.DLL"), loads it and resolves its entry points. A failure leaves
// the record unbound and reports nothing.
void load_wintab(wintab_lib_data& lib) noexcept;

// Unloads the driver and gives back this binding's processor pin.
void release_wintab(wintab_lib_data& lib) noexcept;

// Process-wide pinning count. The first pin saves the process mask and pins the
// process to its highest processor; later pins change nothing; the last unpin
// restores the saved mask. Returns the saved mask (the pin is held) or 0 (no
// pin was taken). Lock-free: safe from any threads at once.
DWORD_PTR pin_to_one_processor() noexcept;
void unpin_processor() noexcept;

} // namespace morvalent::jni
