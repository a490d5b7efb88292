#include "wintab_lib.h"

#include <cstring>

#include "../registry/registry.h"
#include "../support/scoped_module.h"

namespace morvalent::jni {

namespace {

constexpr wchar_t default_library[] = L"WINTAB32.DLL";

// Bindings that hold a pin, and the mask that was in force before the first.
// Touched only through interlocked operations.
volatile LONG pin_count = 0;
PVOID volatile saved_mask = nullptr;

LONG current_count() noexcept { return InterlockedCompareExchange(&pin_count, 0, 0); }
DWORD_PTR current_saved() noexcept
{
    return reinterpret_cast<DWORD_PTR>(InterlockedCompareExchangePointer(&saved_mask, nullptr, nullptr));
}

DWORD_PTR highest_processor(DWORD_PTR mask) noexcept
{
    for (int bit = static_cast<int>(sizeof(DWORD_PTR) * 8) - 1; bit >= 0; --bit) {
        const DWORD_PTR one = static_cast<DWORD_PTR>(1) << bit;
        if (mask & one) return one;
    }
    return 0;
}

// Brings the process mask in line with the count. Threads that move the count
// between 0 and 1 at the same time may set masks in either order; each one
// re-reads the count after its own write and writes again while they
// disagree, so the last write always matches the final count.
void settle_affinity() noexcept
{
    const DWORD_PTR saved = current_saved();
    if (saved == 0) return;
    for (;;) {
        const bool pinned = current_count() > 0;
        SetProcessAffinityMask(GetCurrentProcess(), pinned ? highest_processor(saved) : saved);
        if ((current_count() > 0) == pinned) return;
    }
}

// The library name from the registry, or the default; `none` when the value
// exists without data: then nothing is loaded.
void library_name(wide_string& name, bool& none)
{
    none = false;
    reg_key key;
    if (open_company_key(root_morvalent, key, L"qf") == ERROR_SUCCESS && read_registry_string(key, L"wtLibrary", name)) {
        none = name.empty();
        return;
    }
    name.assign(default_library);
}

} // namespace

DWORD_PTR pin_to_one_processor() noexcept
{
    const LONG count = InterlockedIncrement(&pin_count);
    if (count == 1 || current_saved() == 0) {
        DWORD_PTR process_mask = 0;
        DWORD_PTR system_mask = 0;
        if (!GetProcessAffinityMask(GetCurrentProcess(), &process_mask, &system_mask) || process_mask == 0) {
            unpin_processor();
            return 0;
        }
        const DWORD_PTR saved = current_saved();
        if (count == 1) {
            // First pin: save the mask in force, unless it is still our own
            // single-processor mask from a last release that is settling.
            if (saved == 0 || process_mask != highest_processor(saved))
                InterlockedExchangePointer(&saved_mask, reinterpret_cast<PVOID>(process_mask));
        } else {
            // The first pin has not saved its mask yet: offer ours.
            InterlockedCompareExchangePointer(&saved_mask, reinterpret_cast<PVOID>(process_mask), nullptr);
        }
    }
    settle_affinity();
    return current_saved();
}

void unpin_processor() noexcept
{
    if (InterlockedDecrement(&pin_count) == 0) settle_affinity();
}

void load_wintab(wintab_lib_data& lib) noexcept
{
    std::memset(&lib, 0, sizeof(lib));
    try {
        wide_string name;
        bool none = false;
        library_name(name, none);
        if (none) return;

        scoped_module library(LoadLibraryW(name.get()));
        if (!library) return;

        auto info = library.entry<wintab::WTInfoW_fn>("WTInfoW");
        if (!info || info(0, 0, nullptr) == 0) return;
        auto open = library.entry<wintab::WTOpenW_fn>("WTOpenW");
        auto close = library.entry<wintab::WTClose_fn>("WTClose");
        auto enable = library.entry<wintab::WTEnable_fn>("WTEnable");
        auto packets_get = library.entry<wintab::WTPacketsGet_fn>("WTPacketsGet");
        auto overlap = library.entry<wintab::WTOverlap_fn>("WTOverlap");
        if (!open || !close || !enable || !packets_get) return;

        lib.WTInfoW = info;
        lib.WTOpenW = open;
        lib.WTClose = close;
        lib.WTEnable = enable;
        lib.WTPacketsGet = packets_get;
        lib.WTOverlap = overlap;
        // Drivers that carry this export need the process on one processor.
        if (GetProcAddress(library.get(), "lcd_serial_no")) lib.saved_affinity_mask = pin_to_one_processor();
        lib.library = library.release();
    } catch (...) {
        // Out of memory for the name: no driver, as if it were missing.
        std::memset(&lib, 0, sizeof(lib));
    }
}

void release_wintab(wintab_lib_data& lib) noexcept
{
    if (lib.library) {
        FreeLibrary(lib.library);
        lib.library = nullptr;
    }
    if (lib.saved_affinity_mask) {
        lib.saved_affinity_mask = 0;
        unpin_processor();
    }
}

} // namespace morvalent::jni
