#include "registry.h"

#include <cstring>

namespace morvalent::jni {

namespace {
const wchar_t* const company_keys[] = {L"Software\\Morvalent", L"Software\\Tarvo"};
}

void reg_key::close() noexcept
{
    if (key_) {
        RegCloseKey(key_);
        key_ = nullptr;
    }
}

LONG open_company_key(unsigned root, reg_key& key, const wchar_t* subkey)
{
    key.close();
    if (root >= sizeof(company_keys) / sizeof(company_keys[0])) return ERROR_INVALID_PARAMETER;

    wide_string path;
    if (subkey)
        path.join(3, company_keys[root], L"\\", subkey);
    else
        path.assign(company_keys[root]);

    const LONG status =
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.get(), 0, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, key.receive());
    if (status != ERROR_SUCCESS) *key.receive() = nullptr;
    return status;
}

bool read_registry_string(const reg_key& key, const wchar_t* name, wide_string& value)
{
    DWORD size = 0;
    if (RegQueryValueExW(key.get(), name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) return false;

    value.reset();
    if (size == 0) return true;

    // Whole characters for the data plus one terminator that is always there,
    // so text stored without its NUL (or non-text data) is never read past.
    const size_t chars = (static_cast<size_t>(size) + 1) / sizeof(wchar_t) + 1;
    wchar_t* buffer = allocate_wide_chars(chars);
    std::memset(buffer, 0, chars * sizeof(wchar_t));
    value.adopt(buffer);

    DWORD type = 0;
    DWORD read = size;
    if (RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &read) != ERROR_SUCCESS)
        return false;
    if (type != REG_EXPAND_SZ) return true;

    const DWORD needed = ExpandEnvironmentStringsW(buffer, nullptr, 0);
    wide_string expanded;
    expanded.reserve(needed);
    if (needed == 0 || ExpandEnvironmentStringsW(buffer, expanded.get(), needed) == 0) return false;
    value.assign(expanded);
    return true;
}

} // namespace morvalent::jni
