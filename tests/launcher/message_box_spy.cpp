#include "message_box_spy.h"

#include <mutex>

namespace launcher_tests {

namespace {

std::mutex calls_mutex;
std::vector<message_box_spy::call> recorded;
decltype(&MessageBoxW) system_message_box = nullptr;

int WINAPI spy_message_box(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style)
{
    {
        std::lock_guard<std::mutex> lock(calls_mutex);
        recorded.push_back({owner, text ? text : L"<null>", caption ? caption : L"<null>", style});
    }
    return system_message_box(owner, text, caption, style);
}

// The import-table entry of this program through which it calls `function` of `dll`.
void** import_entry(const char* dll, void* function)
{
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto* descriptor = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
    for (; descriptor->Name; ++descriptor) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + descriptor->Name), dll) != 0) continue;
        for (auto* thunk = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->FirstThunk); thunk->u1.Function;
             ++thunk)
            if (reinterpret_cast<void*>(thunk->u1.Function) == function)
                return reinterpret_cast<void**>(&thunk->u1.Function);
    }
    return nullptr;
}

void write_entry(void** entry, void* value)
{
    DWORD protection = 0;
    VirtualProtect(entry, sizeof(*entry), PAGE_READWRITE, &protection);
    *entry = value;
    VirtualProtect(entry, sizeof(*entry), protection, &protection);
}

} // namespace

message_box_spy::message_box_spy()
{
    void* function = reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "MessageBoxW"));
    entry_ = import_entry("user32.dll", function);
    if (!entry_) return;
    original_ = *entry_;
    system_message_box = reinterpret_cast<decltype(&MessageBoxW)>(original_);
    {
        std::lock_guard<std::mutex> lock(calls_mutex);
        recorded.clear();
    }
    write_entry(entry_, reinterpret_cast<void*>(&spy_message_box));
}

message_box_spy::~message_box_spy()
{
    if (entry_) write_entry(entry_, original_);
}

std::vector<message_box_spy::call> message_box_spy::calls() const
{
    std::lock_guard<std::mutex> lock(calls_mutex);
    return recorded;
}

} // namespace launcher_tests
