#include "report_error.h"

#include "holders.h"
#include "process_state.h"
#include "resource_ids.h"

namespace morvalent::launcher {

namespace {

wchar_t* copy_chars(wchar_t* to, const wchar_t* from, DWORD count)
{
    while (count--) *to++ = *from++;
    return to;
}

} // namespace

void report_error(UINT message_id, DWORD code)
{
    // A buffer size of 0 yields a read-only pointer into the resource,
    // not terminated, and its length.
    const wchar_t* message = nullptr;
    int loaded = LoadStringW(the_process.module, message_id, reinterpret_cast<LPWSTR>(&message), 0);
    wchar_t numbered_message[32];
    if (loaded <= 0 || !message) {
        loaded = wsprintfW(numbered_message, L"Error: %u", message_id);
        message = numbered_message;
    }
    const DWORD message_length = loaded > 0 ? DWORD(loaded) : 0;

    local_memory system_text;
    DWORD system_length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, 0,
                                         reinterpret_cast<LPWSTR>(system_text.receive()), 0, nullptr);
    if (system_length == 0 || !system_text.valid()) {
        // 16 characters hold "GLE: 4294967295" and its terminator.
        system_text.reset(LocalAlloc(LMEM_FIXED, 32));
        const int written =
            system_text.valid() ? wsprintfW(static_cast<wchar_t*>(system_text.get()), L"GLE: %u", code) : 0;
        system_length = written > 0 ? DWORD(written) : 0;
    }
    const wchar_t* system = static_cast<const wchar_t*>(system_text.get());

    const wchar_t* caption = nullptr;
    loaded = LoadStringW(the_process.module, IDS_PRODUCT_NAME, reinterpret_cast<LPWSTR>(&caption), 0);
    const DWORD caption_length = loaded > 0 && caption ? DWORD(loaded) : 0;

    // One block: message, two line breaks, system text, zero, caption, zero.
    const unsigned long long characters =
        static_cast<unsigned long long>(message_length) + system_length + caption_length + 6;
    heap_string box;
    if (!box.allocate(heap_size(characters * sizeof(wchar_t)))) return;
    wchar_t* end = copy_chars(box.get(), message, message_length);
    end = copy_chars(end, L"\r\n\r\n", 4);
    end = copy_chars(end, system, system_length);
    wchar_t* const box_caption = end + 1;
    copy_chars(box_caption, caption, caption_length);

    MessageBoxW(nullptr, box.get(), box_caption, MB_OK | MB_ICONWARNING | MB_SETFOREGROUND | MB_TOPMOST);
}

} // namespace morvalent::launcher
