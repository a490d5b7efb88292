#include "java_keystore.h"

namespace test_keystore {

using fakejvm::jv_int;
using fakejvm::jv_object;
using fakejvm::jv_void;

java_keystore::java_keystore(fakejvm::vm& vm, const std::u16string& store_name) : vm_(vm)
{
    vm_.define_class("java/security/KeyStoreSpi");
    vm_.define_class("java/security/KeyStore").add_field("keyStoreSpi", "Ljava/security/KeyStoreSpi;");
    vm_.define_class("test/WindowsStoreKeyStoreSpi", "java/security/KeyStoreSpi")
        .add_field("entries", "Ljava/util/Collection;")
        .add_method("getName", "()Ljava/lang/String;",
                    [this, store_name](JNIEnv*, jobject, const jvalue*) { return jv_object(vm_.new_string(store_name)); });

    vm_.define_class("java/util/Collection");
    vm_.define_class("java/util/ArrayList", "java/util/Collection")
        .add_method("size", "()I",
                    [this](JNIEnv*, jobject, const jvalue*) { return jv_int(static_cast<jint>(collection_.size())); })
        .add_method("get", "(I)Ljava/lang/Object;", [this](JNIEnv* env, jobject, const jvalue* args) {
            fakejvm::object* element = collection_.at(static_cast<size_t>(args[0].i));
            return jv_object(vm_.make_local(env, element));
        });

    vm_.define_class("test/KeyEntry")
        .add_method("getCertificateChain", "()[Ljava/security/cert/X509Certificate;",
                    [this](JNIEnv* env, jobject self, const jvalue*) {
                        entry& e = *by_object_.at(vm_.deref(self));
                        if (e.chain == chain_kind::missing) return jv_object(nullptr);
                        std::vector<jobject> chain;
                        if (e.chain == chain_kind::present) {
                            jobject cert = vm_.new_object("test/X509CertificateImpl");
                            by_object_[vm_.deref(cert)] = &e;
                            chain.push_back(cert);
                        }
                        jobject array = vm_.new_object_array("java/security/cert/X509Certificate", chain);
                        for (jobject cert : chain) env->DeleteLocalRef(cert);
                        return jv_object(array);
                    })
        .add_method("setAlias", "(Ljava/lang/String;)V", [this](JNIEnv*, jobject self, const jvalue* args) {
            by_object_.at(vm_.deref(self))->alias = vm_.string_of(args[0].l);
            return jv_void();
        });

    vm_.define_class("java/security/cert/X509Certificate");
    vm_.define_class("test/X509CertificateImpl", "java/security/cert/X509Certificate")
        .add_method("getSerialNumber", "()Ljava/math/BigInteger;",
                    [this](JNIEnv* env, jobject self, const jvalue*) {
                        entry& e = *by_object_.at(vm_.deref(self));
                        if (e.serial_throws) {
                            vm_.throw_new(env, e.serial_throws, u"serial number unreadable");
                            return jv_object(nullptr);
                        }
                        jobject serial = vm_.new_object("java/math/BigInteger");
                        by_object_[vm_.deref(serial)] = &e;
                        return jv_object(serial);
                    })
        .add_method("getIssuerX500Principal", "()Ljavax/security/auth/x500/X500Principal;",
                    [this](JNIEnv*, jobject self, const jvalue*) {
                        jobject principal = vm_.new_object("javax/security/auth/x500/X500Principal");
                        by_object_[vm_.deref(principal)] = by_object_.at(vm_.deref(self));
                        return jv_object(principal);
                    });
    vm_.define_class("java/math/BigInteger").add_method("toByteArray", "()[B", [this](JNIEnv*, jobject self, const jvalue*) {
        return jv_object(hand_out(by_object_.at(vm_.deref(self))->first.serial));
    });
    vm_.define_class("javax/security/auth/x500/X500Principal")
        .add_method("getEncoded", "()[B", [this](JNIEnv*, jobject self, const jvalue*) {
            return jv_object(hand_out(by_object_.at(vm_.deref(self))->first.issuer));
        });

    keystore_ = vm_.new_object("java/security/KeyStore");
    jobject provider = vm_.new_object("test/WindowsStoreKeyStoreSpi");
    vm_.set_field_value(keystore_, "keyStoreSpi", jv_object(provider));
    vm_.set_field_value(provider, "entries", jv_object(vm_.new_object("java/util/ArrayList")));
}

void java_keystore::add_entry(const std::u16string& alias, const certificate& first, chain_kind chain)
{
    entries_.push_back(entry{nullptr, alias, chain, first, nullptr});
    make_entry(entries_.back());
}

void java_keystore::add_entry_without_certificate(const std::u16string& alias, chain_kind chain)
{
    add_entry(alias, certificate{}, chain);
}

void java_keystore::add_null_entry() { collection_.push_back(nullptr); }

jobject java_keystore::make_entry(entry& data)
{
    jobject object = vm_.new_object("test/KeyEntry");
    data.object = vm_.deref(object);
    by_object_[data.object] = &data;
    collection_.push_back(data.object);
    return object;
}

std::vector<std::u16string> java_keystore::aliases() const
{
    std::vector<std::u16string> result;
    for (const entry& e : entries_) result.push_back(e.alias);
    return result;
}

void java_keystore::throw_from_serial(size_t index, const char* exception_class)
{
    entries_.at(index).serial_throws = exception_class;
}

jbyteArray java_keystore::hand_out(const std::vector<jbyte>& bytes)
{
    jbyteArray array = vm_.new_byte_array(bytes);
    handed_out_.emplace_back(vm_.deref(array), bytes);
    return array;
}

bool java_keystore::byte_arrays_unchanged() const
{
    for (const auto& [array, original] : handed_out_)
        if (array->bytes != original) return false;
    return true;
}

} // namespace test_keystore
