#include <windows.h>
#include <wincrypt.h>

#include <cwchar>

#include "../support/java_elements.h"
#include "cert_handles.h"
#include "keystore_steps.h"

namespace morvalent::jni {

namespace {

// Java gives integers big-endian; CryptoAPI keeps them little-endian.
void reverse_bytes(jbyte* bytes, jsize length) noexcept
{
    for (jsize k = 0; k < length / 2; ++k) {
        const jbyte swap = bytes[k];
        bytes[k] = bytes[length - 1 - k];
        bytes[length - 1 - k] = swap;
    }
}

cert_context find_by_issuer_and_serial(HCERTSTORE store, byte_array_elements& serial, byte_array_elements& issuer)
{
    CERT_INFO wanted{};
    wanted.SerialNumber.cbData = static_cast<DWORD>(serial.length());
    wanted.SerialNumber.pbData = reinterpret_cast<BYTE*>(serial.get());
    wanted.Issuer.cbData = static_cast<DWORD>(issuer.length());
    wanted.Issuer.pbData = reinterpret_cast<BYTE*>(issuer.get());
    return cert_context(CertFindCertificateInStore(store, X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, 0,
                                                   CERT_FIND_SUBJECT_CERT, &wanted, nullptr));
}

bool friendly_display_name(PCCERT_CONTEXT certificate, std::wstring& name)
{
    // Some implementations count the friendly name's size in bytes rather
    // than characters: the buffer is then larger than needed, and the name
    // is taken up to its first NUL, never past the buffer.
    const DWORD size = CertGetNameStringW(certificate, CERT_NAME_FRIENDLY_DISPLAY_TYPE, 0, nullptr, nullptr, 0);
    if (size == 0) return false;
    std::wstring buffer(size, L'\0');
    CertGetNameStringW(certificate, CERT_NAME_FRIENDLY_DISPLAY_TYPE, 0, nullptr, &buffer[0], size);
    buffer.resize(wcsnlen(buffer.data(), size));
    name = std::move(buffer);
    return true;
}

} // namespace

bool display_name_of(JNIEnv* env, HCERTSTORE store, jbyteArray serial, jbyteArray issuer, std::wstring& name)
{
    // Both element buffers go back with JNI_ABORT: the serial is reversed in
    // place and must not reach the Java array that way.
    byte_array_elements serial_elements(env, serial);
    if (!serial_elements) return false;
    byte_array_elements issuer_elements(env, issuer);
    if (!issuer_elements) return false;

    reverse_bytes(serial_elements.get(), serial_elements.length());
    const cert_context found = find_by_issuer_and_serial(store, serial_elements, issuer_elements);
    if (!found) return false;
    return friendly_display_name(found.get(), name);
}

} // namespace morvalent::jni
