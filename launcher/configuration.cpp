#include "configuration.h"

namespace morvalent::launcher {

DWORD query_string_value(HKEY key, const wchar_t* name, heap_string& value)
{
    value.reset();
    DWORD size = 0;
    LONG status = RegQueryValueExW(key, name, nullptr, nullptr, nullptr, &size);
    if (status != ERROR_SUCCESS) return DWORD(status);

    // The size rounded up to whole characters, plus a terminator of our own
    // for a value stored without one.
    const unsigned long long characters = (static_cast<unsigned long long>(size) + (size & 1)) / 2 + 1;
    heap_string buffer;
    if (!buffer.allocate(heap_size(characters * sizeof(wchar_t)))) return ERROR_OUTOFMEMORY;
    buffer.get()[size / 2] = L'\0';

    status = RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.get()), &size);
    if (status != ERROR_SUCCESS) return DWORD(status);
    value = static_cast<heap_string&&>(buffer);
    return ERROR_SUCCESS;
}

DWORD read_configuration(launcher_settings& settings)
{
    reg_key key;
    const LONG opened = RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Morvalent\\KV", 0, KEY_QUERY_VALUE,
                                      key.receive());
    if (opened != ERROR_SUCCESS) return DWORD(opened);

    const DWORD status = query_string_value(key.get(), L"QUORVALEND_EXE", settings.application_path);
    if (settings.application_path.empty()) return status;

    // A missing options value is no error: the options are then empty.
    query_string_value(key.get(), L"MON_QUORVALEND_OPT", settings.application_options);

    // Exactly four bytes, whatever the type. A shorter value fills only the
    // low bytes of a variable that starts from zero; a longer one fails with
    // ERROR_MORE_DATA and leaves the default.
    DWORD timeout = 0;
    DWORD size = sizeof(timeout);
    if (RegQueryValueExW(key.get(), L"MON_QUORVALEND_TIMEOUT", nullptr, nullptr, reinterpret_cast<BYTE*>(&timeout),
                         &size) == ERROR_SUCCESS)
        settings.timeout_ms = timeout;
    return status;
}

} // namespace morvalent::launcher
