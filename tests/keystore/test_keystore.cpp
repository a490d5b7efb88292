// KeyStore.fixKeyStore through the DLL's export, with real certificates in a
// system store of the current user and a Java keystore in the fake VM.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_jvm.h"
#include "java_keystore.h"
#include "natives/alias_register.h"
#include "test_store.h"
#include "test_support.h"

using namespace test_keystore;

namespace {

using fix_native = void(JNICALL*)(JNIEnv*, jclass, jobject);

const wchar_t store_name[] = L"InkvaleKeystoreTest";

struct FixKeyStore : ::testing::Test {
    fakejvm::vm vm;
    JNIEnv* env = vm.env();
    test_store store{store_name};
    java_keystore keystore{vm, store.java_name()};
    fix_native fix = test_support::jni_export<fix_native>("_Java_com_morvalent_signature_KeyStore_fixKeyStore@12");

    const der_certificate alpha{L"alpha.der"};
    const der_certificate highbit{L"highbit.der"};
    const der_certificate twin1{L"twin1.der"};
    const der_certificate twin2{L"twin2.der"};
    const der_certificate absent{L"absent.der"};

    FixKeyStore()
    {
        // The first store opened in a process keeps some handles of the
        // system's for good; they must not count as the native's.
        if (HCERTSTORE warm_up = CertOpenSystemStoreW(0, L"MY")) CertCloseStore(warm_up, 0);
    }

    // Calls the native and checks what must hold on every path: the store
    // is closed again, every local reference and borrowed buffer given
    // back, and the Java byte arrays untouched.
    void run_fix()
    {
        ASSERT_NE(fix, nullptr);
        const int handles_before = open_handle_count();
        const int refs_before = vm.live_local_refs(GetCurrentThreadId());
        fix(env, nullptr, keystore.keystore());
        EXPECT_EQ(open_handle_count(), handles_before) << "the store was left open";
        EXPECT_EQ(vm.live_local_refs(GetCurrentThreadId()), refs_before);
        EXPECT_EQ(vm.outstanding_elements(), 0);
        EXPECT_TRUE(keystore.byte_arrays_unchanged());
    }
};

TEST_F(FixKeyStore, EntriesGetTheNamesWindowsShowsAndTheRestKeepTheirAliases)
{
    store.import(alpha);                                  // no friendly name: the subject's name shows
    store.import(highbit, L"Inkvale High Bit Friendly"); // highest serial bit set
    store.import(twin1, L"Inkvale Twin");
    store.import(twin2, L"Inkvale Twin");

    keystore.add_entry(u"alpha-alias", alpha.as_java());
    keystore.add_entry(u"absent-alias", absent.as_java());   // not in the Windows store
    keystore.add_entry(u"highbit-alias", highbit.as_java());
    keystore.add_entry_without_certificate(u"no-chain", chain_kind::missing);
    keystore.add_null_entry();
    keystore.add_entry_without_certificate(u"empty-chain", chain_kind::empty);
    keystore.add_entry(u"twin1-alias", twin1.as_java());
    keystore.add_entry(u"twin2-alias", twin2.as_java());
    run_fix();

    EXPECT_FALSE(vm.exception_pending()) << test_support::narrow(vm.pending_message());
    const std::vector<std::u16string> expected = {
        u"Inkvale Test Alpha", u"absent-alias", u"Inkvale High Bit Friendly", u"no-chain", u"empty-chain",
        u"Inkvale Twin",       u"Inkvale Twin (1)"};
    EXPECT_EQ(keystore.aliases(), expected);
}

TEST_F(FixKeyStore, TheHighBitSerialReachesTheNativeWithItsLeadingZero)
{
    // What the fixture hands over, as java.math.BigInteger would.
    const std::vector<jbyte> expected = {0x00, static_cast<jbyte>(0x8A), 0x1B, 0x2C, 0x3D, 0x4E};
    EXPECT_EQ(highbit.as_java().serial, expected);
    EXPECT_EQ(alpha.as_java().serial, (std::vector<jbyte>{0x01, 0x23}));
}

TEST_F(FixKeyStore, NumberingSkipsNamesThatAnEarlierEntryAlreadyHolds)
{
    store.import(twin1, L"Inkvale Twin");
    store.import(alpha, L"Inkvale Twin (1)");
    store.import(twin2, L"Inkvale Twin");
    keystore.add_entry(u"a", twin1.as_java());
    keystore.add_entry(u"b", alpha.as_java());
    keystore.add_entry(u"c", twin2.as_java());
    keystore.add_entry(u"d", twin1.as_java()); // the same certificate twice
    run_fix();
    EXPECT_EQ(keystore.aliases(),
              (std::vector<std::u16string>{u"Inkvale Twin", u"Inkvale Twin (1)", u"Inkvale Twin (2)", u"Inkvale Twin (3)"}));
}

TEST_F(FixKeyStore, AnEmptyKeystoreOpensAndClosesTheStore)
{
    // Opening a system store of the current user makes its registry key.
    HKEY key = nullptr;
    ASSERT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, store_registry_key(store_name).c_str(), 0, KEY_READ, &key),
              ERROR_SUCCESS)
        << "left over from an earlier run";
    run_fix();
    EXPECT_FALSE(vm.exception_pending());
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, store_registry_key(store_name).c_str(), 0, KEY_READ, &key),
              ERROR_SUCCESS)
        << "the store was not opened";
    RegCloseKey(key);
}

TEST_F(FixKeyStore, APendingExceptionAtEntryDoesNothing)
{
    store.import(alpha);
    keystore.add_entry(u"alpha-alias", alpha.as_java());
    vm.throw_new(env, "java/lang/IllegalStateException", u"earlier");
    run_fix();
    EXPECT_EQ(vm.pending_class(), "java/lang/IllegalStateException");
    EXPECT_EQ(vm.pending_message(), u"earlier");
    EXPECT_EQ(keystore.aliases(), std::vector<std::u16string>{u"alpha-alias"});
    vm.clear_exception();
}

TEST_F(FixKeyStore, AnExceptionFromTheKeystoreStopsTheRunAndStaysPending)
{
    store.import(alpha);
    store.import(twin1, L"Inkvale Twin");
    keystore.add_entry(u"alpha-alias", alpha.as_java());
    keystore.add_entry(u"twin1-alias", twin1.as_java());
    keystore.add_entry(u"again", alpha.as_java());
    keystore.throw_from_serial(1, "java/security/cert/CertificateParsingException");
    run_fix();
    EXPECT_EQ(vm.pending_class(), "java/security/cert/CertificateParsingException");
    vm.clear_exception();
    // Nothing after the exception was touched; the fake VM reports any JNI
    // call made while it was pending.
    EXPECT_EQ(keystore.aliases(), (std::vector<std::u16string>{u"Inkvale Test Alpha", u"twin1-alias", u"again"}));
    EXPECT_TRUE(vm.violations().empty());
}

TEST_F(FixKeyStore, AVmWithoutMemoryStopsTheRunWithItsError)
{
    store.import(alpha);
    keystore.add_entry(u"alpha-alias", alpha.as_java());
    // The store name's characters, then the serial's elements.
    for (const char* slot : {"GetStringChars", "GetByteArrayElements", "NewString"}) {
        SCOPED_TRACE(slot);
        vm.fail_next(slot);
        run_fix();
        EXPECT_EQ(vm.pending_class(), "java/lang/OutOfMemoryError");
        vm.clear_exception();
        EXPECT_EQ(keystore.aliases(), std::vector<std::u16string>{u"alpha-alias"});
    }
}

TEST_F(FixKeyStore, AKeystoreWithoutTheExpectedMembersIsLeftAlone)
{
    // A keystore whose provider is not backed by a Windows store.
    vm.define_class("test/OtherKeyStoreSpi", "java/security/KeyStoreSpi");
    vm.set_field_value(keystore.keystore(), "keyStoreSpi", fakejvm::jv_object(vm.new_object("test/OtherKeyStoreSpi")));
    run_fix();
    EXPECT_EQ(vm.pending_class(), "java/lang/NoSuchMethodError");
    vm.clear_exception();

    fix(env, nullptr, nullptr); // no keystore at all
    EXPECT_FALSE(vm.exception_pending());
}

TEST(AliasRegister, RepeatedNamesAreNumberedAndUniqueOnesKept)
{
    struct step {
        const wchar_t* display_name;
        const wchar_t* alias;
    };
    const step steps[] = {
        {L"Alice", L"Alice"},         {L"Bob", L"Bob"},           {L"Alice", L"Alice (1)"},
        {L"Alice (2)", L"Alice (2)"}, {L"Alice", L"Alice (3)"},   {L"", L""},
        {L"", L" (1)"},               {L"Bob (1)", L"Bob (1)"},   {L"Bob", L"Bob (2)"},
    };
    morvalent::jni::alias_register aliases;
    for (const step& s : steps) {
        const std::wstring alias = aliases.alias_for(s.display_name);
        EXPECT_EQ(alias, s.alias) << test_support::narrow(std::wstring(s.display_name));
        aliases.hold(alias);
    }
}

} // namespace
