#include "test_store.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "test_support.h"

namespace test_keystore {

der_certificate::der_certificate(const wchar_t* file_name)
{
    const std::wstring path = test_support::program_folder() + L"keystore-certificates\\" + file_name;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "cannot open " << test_support::narrow(path) << ", error " << GetLastError();
        return;
    }
    BYTE buffer[4096];
    DWORD got = 0;
    if (ReadFile(file, buffer, sizeof(buffer), &got, nullptr)) der_.assign(buffer, buffer + got);
    CloseHandle(file);
}

certificate der_certificate::as_java() const
{
    certificate java;
    PCCERT_CONTEXT context = CertCreateCertificateContext(X509_ASN_ENCODING, der_.data(), static_cast<DWORD>(der_.size()));
    if (!context) {
        ADD_FAILURE() << "not a certificate, error " << GetLastError();
        return java;
    }
    const CRYPT_INTEGER_BLOB& serial = context->pCertInfo->SerialNumber;
    // CryptoAPI keeps the serial little-endian; BigInteger.toByteArray gives
    // the shortest big-endian two's complement, with a leading 0 byte when
    // the highest bit is set.
    for (DWORD i = serial.cbData; i-- > 0;) java.serial.push_back(static_cast<jbyte>(serial.pbData[i]));
    while (java.serial.size() > 1 && java.serial[0] == 0 && java.serial[1] >= 0) java.serial.erase(java.serial.begin());
    if (!java.serial.empty() && java.serial[0] < 0) java.serial.insert(java.serial.begin(), 0);
    const CERT_NAME_BLOB& issuer = context->pCertInfo->Issuer;
    java.issuer.assign(issuer.pbData, issuer.pbData + issuer.cbData);
    CertFreeCertificateContext(context);
    return java;
}

std::wstring store_registry_key(const std::wstring& store_name)
{
    return L"Software\\Microsoft\\SystemCertificates\\" + store_name;
}

test_store::test_store(const wchar_t* name) : name_(name) {}

void test_store::import(const der_certificate& certificate, const wchar_t* friendly_name)
{
    // Each import writes through its own open and close, so that the store
    // the native opens later sees it.
    HCERTSTORE store = CertOpenSystemStoreW(0, name_.c_str());
    ASSERT_NE(store, nullptr) << "error " << GetLastError();
    PCCERT_CONTEXT added = nullptr;
    SetLastError(0xdeadbeef);
    const BOOL ok = CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, certificate.der().data(),
                                                     static_cast<DWORD>(certificate.der().size()),
                                                     CERT_STORE_ADD_REPLACE_EXISTING, &added);
    EXPECT_TRUE(ok) << "error " << GetLastError();
    if (ok && friendly_name) {
        CRYPT_DATA_BLOB blob{static_cast<DWORD>((lstrlenW(friendly_name) + 1) * sizeof(wchar_t)),
                             reinterpret_cast<BYTE*>(const_cast<wchar_t*>(friendly_name))};
        SetLastError(0xdeadbeef);
        EXPECT_TRUE(CertSetCertificateContextProperty(added, CERT_FRIENDLY_NAME_PROP_ID, 0, &blob))
            << "error " << GetLastError();
    }
    if (added) CertFreeCertificateContext(added);
    CertCloseStore(store, 0);
}

test_store::~test_store()
{
    if (HCERTSTORE store = CertOpenSystemStoreW(0, name_.c_str())) {
        while (PCCERT_CONTEXT context = CertEnumCertificatesInStore(store, nullptr))
            if (!CertDeleteCertificateFromStore(context)) break; // frees the context
        CertCloseStore(store, 0);
    }
    test_support::delete_registry_tree(HKEY_CURRENT_USER, store_registry_key(name_));
}

int open_handle_count()
{
    using query_function = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
    constexpr ULONG system_handle_information = 16;
    struct handle_entry {
        ULONG process;
        BYTE type;
        BYTE flags;
        USHORT handle;
        void* object;
        ACCESS_MASK access;
    };
    auto query = reinterpret_cast<query_function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return -1;
    std::vector<BYTE> buffer(1 << 20);
    ULONG size = 0;
    if (query(system_handle_information, buffer.data(), static_cast<ULONG>(buffer.size()), &size) != 0) return -1;
    const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
    const auto* entries = reinterpret_cast<const handle_entry*>(buffer.data() + sizeof(ULONG_PTR));
    int mine = 0;
    for (ULONG i = 0; i < count; ++i) mine += entries[i].process == GetCurrentProcessId() ? 1 : 0;
    return mine;
}

} // namespace test_keystore
