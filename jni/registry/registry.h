#pragma once

#include <windows.h>

#include "wide_string.h"

namespace morvalent::jni {

// Holder of at most one open registry key, closed when destroyed or reopened.
class reg_key {
public:
    reg_key() noexcept = default;
    reg_key(const reg_key&) = delete;
    reg_key& operator=(const reg_key&) = delete;
    ~reg_key() { close(); }

    void close() noexcept;
    HKEY get() const noexcept { return key_; }
    // Receives a newly opened key; the caller has closed the old one.
    HKEY* receive() noexcept { return &key_; }

private:
    HKEY key_ = nullptr;
};

// The company keys below HKEY_LOCAL_MACHINE.
enum company_root : unsigned { root_morvalent = 0, root_tarvo = 1 };

// Opens HKLM\<root>\<subkey> (or the root itself for a null subkey) for
// reading; returns the Win32 status. After a failure the key holds none.
LONG open_company_key(unsigned root, reg_key& key, const wchar_t* subkey);

// Reads one value as text, expanding REG_EXPAND_SZ. The text is always
// terminated after the stored data. False on any failure; a missing value
// leaves `value` as it was. Empty data succeeds with `value` holding none.
bool read_registry_string(const reg_key& key, const wchar_t* name, wide_string& value);

} // namespace morvalent::jni
