#pragma once

#include <windows.h>
#include <wincrypt.h>

#include <string>

#include <jni.h>

#include "../support/local_ref.h"

// The steps of KeyStore.fixKeyStore. Each looks its members up by name and
// signature on the run-time class of the object at hand, and gives nothing
// (null, 0, false) on any failure, stopping at the first Java exception,
// which stays pending for the caller.
namespace morvalent::jni {

// The keystore's provider object (field "keyStoreSpi") and the name of the
// Windows system store that it reads ("getName").
bool store_name_of(JNIEnv* env, jobject keystore, local_ref<jobject>& provider, std::wstring& name);

// The provider's "entries" collection with its "get" method and its "size".
struct keystore_entry_list {
    local_ref<jobject> collection;
    jmethodID get = nullptr;
    jint count = 0;
};
keystore_entry_list keystore_entries(JNIEnv* env, jobject provider);

// Element 0 of the entry's certificate chain, when the chain has one.
local_ref<jobject> first_certificate(JNIEnv* env, jobject entry);

// The certificate's serial number, big-endian two's complement as Java gives it.
local_ref<jbyteArray> serial_bytes(JNIEnv* env, jobject certificate);

// The DER encoding of the certificate's issuer name.
local_ref<jbyteArray> issuer_bytes(JNIEnv* env, jobject certificate);

// The display name that Windows shows for the certificate of the open store
// with that serial number and issuer: its friendly name, else the simple
// display name of its subject. False when the store has no such certificate.
bool display_name_of(JNIEnv* env, HCERTSTORE store, jbyteArray serial, jbyteArray issuer, std::wstring& name);

} // namespace morvalent::jni
