#pragma once

// A Java keystore backed by a Windows system store, as the fake Java VM sees
// it: java.security.KeyStore with its provider object ("keyStoreSpi"), whose
// getName() names the store and whose "entries" collection holds entries with
// certificate chains of X.509 certificates (serial number as BigInteger,
// issuer as X500Principal). Only the members that KeyStore.fixKeyStore reads.

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "fake_jvm.h"

namespace test_keystore {

struct certificate {
    std::vector<jbyte> serial; // as BigInteger.toByteArray gives it: big-endian two's complement
    std::vector<jbyte> issuer; // DER encoding of the issuer name
};

enum class chain_kind { present, missing, empty };

class java_keystore {
public:
    java_keystore(fakejvm::vm& vm, const std::u16string& store_name);

    // Adds an entry with this alias whose chain starts with the certificate.
    void add_entry(const std::u16string& alias, const certificate& first, chain_kind chain = chain_kind::present);
    // Adds an entry without a chain, or with an empty one.
    void add_entry_without_certificate(const std::u16string& alias, chain_kind chain);
    // Adds a null element to the entries collection.
    void add_null_entry();

    jobject keystore() const { return keystore_; }
    std::vector<std::u16string> aliases() const;

    // Makes getSerialNumber of the entry at `index` throw this exception class.
    void throw_from_serial(size_t index, const char* exception_class);

    // True when every byte array handed to the native still holds what it
    // was made with.
    bool byte_arrays_unchanged() const;

private:
    struct entry {
        fakejvm::object* object = nullptr;
        std::u16string alias;
        chain_kind chain = chain_kind::present;
        certificate first;
        const char* serial_throws = nullptr;
    };

    jobject make_entry(entry& data);
    jbyteArray hand_out(const std::vector<jbyte>& bytes);

    fakejvm::vm& vm_;
    jobject keystore_ = nullptr;
    std::deque<entry> entries_;
    std::vector<fakejvm::object*> collection_; // null for a null element
    std::map<fakejvm::object*, entry*> by_object_; // entries, certificates, serials and principals
    std::vector<std::pair<fakejvm::object*, std::vector<jbyte>>> handed_out_;
};

} // namespace test_keystore
