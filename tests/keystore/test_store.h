#pragma once

// Certificates of the repository (made by make_certificates.sh) in a system
// store of the current user in the Wine prefix, removed again at the end.

#include <windows.h>
#include <wincrypt.h>

#include <string>
#include <vector>

#include "java_keystore.h"

namespace test_keystore {

// A DER certificate file next to the test program, and what Java would say
// of it.
class der_certificate {
public:
    explicit der_certificate(const wchar_t* file_name);
    const std::vector<BYTE>& der() const { return der_; }
    // Serial and issuer as the Java certificate object gives them.
    certificate as_java() const;

private:
    std::vector<BYTE> der_;
};

class test_store {
public:
    explicit test_store(const wchar_t* name);
    ~test_store();
    test_store(const test_store&) = delete;
    test_store& operator=(const test_store&) = delete;

    // Imports the certificate, with a friendly name when one is given.
    void import(const der_certificate& certificate, const wchar_t* friendly_name = nullptr);

    const std::wstring& name() const { return name_; }
    std::u16string java_name() const { return std::u16string(name_.begin(), name_.end()); }

private:
    std::wstring name_;
};

// The registry key in which Wine keeps a system store of the current user.
std::wstring store_registry_key(const std::wstring& store_name);

// Handles open in this process; Wine answers the system's handle list.
int open_handle_count();

} // namespace test_keystore
