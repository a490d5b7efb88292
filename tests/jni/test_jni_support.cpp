// The support layer: exceptions with formatted messages, Java strings, and the
// `handle` field accessors, against the strict fake VM.

#include <gtest/gtest.h>

#include <string>

#include "fake_jvm.h"
#include "support/jni_support.h"
#include "test_support.h"

using namespace morvalent::jni;

namespace {

struct JniSupport : ::testing::Test {
    fakejvm::vm vm;
    JNIEnv* env = vm.env();

    JniSupport()
    {
        vm.define_class("com/morvalent/signature/WintabHelper").add_field("handle", "J");
        vm.define_class("test/NoHandle");
    }
};

TEST_F(JniSupport, ThrowExceptionRaisesJavaLangExceptionWithTheFormattedMessage)
{
    throw_exception(env, L"%ls [%d] %#08x", L"JAWT.GetDrawingSurface() failed", 42, 0x8007000eu);
    EXPECT_EQ(vm.pending_class(), "java/lang/Exception");
    EXPECT_EQ(vm.pending_message(), u"JAWT.GetDrawingSurface() failed [42] 0x8007000e");
}

TEST_F(JniSupport, ThrowExceptionCutsTheMessageAfter4095Characters)
{
    const std::wstring long_text(5000, L'x');
    throw_exception(env, L"%ls!", long_text.c_str());
    EXPECT_EQ(vm.pending_message(), std::u16string(4095, u'x'));
}

TEST_F(JniSupport, ThrowExceptionKeepsAnExceptionThatIsAlreadyPending)
{
    vm.throw_new(env, "java/lang/OutOfMemoryError", u"first");
    throw_exception(env, L"second");
    EXPECT_EQ(vm.pending_class(), "java/lang/OutOfMemoryError");
    EXPECT_EQ(vm.pending_message(), u"first");
}

TEST_F(JniSupport, ThrowExceptionWithNullEnvironmentDoesNothing) { throw_exception(nullptr, L"ignored"); }

TEST_F(JniSupport, ToJstringCases)
{
    jstring s = reinterpret_cast<jstring>(1);
    ASSERT_TRUE(to_jstring(env, nullptr, s));
    EXPECT_EQ(s, nullptr);

    ASSERT_TRUE(to_jstring(env, L"", s));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(vm.string_of(s), u"");

    const wchar_t with_nul[] = L"before\0after";
    ASSERT_TRUE(to_jstring(env, with_nul, s));
    EXPECT_EQ(vm.string_of(s), u"before");

    // UTF-16 code units pass unchanged, surrogate pairs included.
    const wchar_t wide[] = {0x4E2D, 0xD83D, 0xDE00, L'a', 0};
    ASSERT_TRUE(to_jstring(env, wide, s));
    EXPECT_EQ(vm.string_of(s), (std::u16string{0x4E2D, 0xD83D, 0xDE00, u'a'}));
}

TEST_F(JniSupport, ToJstringReportsAVmWithoutMemory)
{
    vm.fail_next("NewString");
    jstring s = nullptr;
    EXPECT_FALSE(to_jstring(env, L"text", s));
    EXPECT_EQ(s, nullptr);
    EXPECT_EQ(vm.pending_class(), "java/lang/OutOfMemoryError");
}

TEST_F(JniSupport, HandleRoundTripsAddressesAboveTwoGigabytes)
{
    jobject helper = vm.new_object("com/morvalent/signature/WintabHelper");
    void* const high = reinterpret_cast<void*>(static_cast<uintptr_t>(0x80001234u));
    ASSERT_TRUE(set_handle(env, helper, high));
#ifdef _WIN64
    const jlong stored = 0x80001234;
#else
    const jlong stored = -0x7FFFEDCCLL; // the 32-bit address sign-extended
#endif
    EXPECT_EQ(vm.field_value(helper, "handle").j, stored);

    jlong value = 0;
    ASSERT_TRUE(get_handle(env, helper, value));
    EXPECT_EQ(jlong_to_address(value), high);

    void* taken = nullptr;
    ASSERT_TRUE(take_handle(env, helper, taken));
    EXPECT_EQ(taken, high);
    EXPECT_EQ(vm.field_value(helper, "handle").j, 0);
    EXPECT_FALSE(vm.exception_pending());
}

TEST_F(JniSupport, HandleOfZeroOrNullObject)
{
    jobject helper = vm.new_object("com/morvalent/signature/WintabHelper");

    jlong value = 7;
    EXPECT_FALSE(get_handle(env, helper, value));
    EXPECT_EQ(value, 0);
    EXPECT_EQ(vm.pending_message(), u"'handle' null");
    vm.clear_exception();

    void* taken = reinterpret_cast<void*>(1);
    EXPECT_TRUE(take_handle(env, helper, taken));
    EXPECT_EQ(taken, nullptr);
    EXPECT_FALSE(vm.exception_pending());

    EXPECT_FALSE(get_handle(env, nullptr, value));
    EXPECT_EQ(vm.pending_message(), u"attempt to call method on null object");
    vm.clear_exception();
    EXPECT_FALSE(set_handle(env, nullptr, nullptr));
    EXPECT_EQ(vm.pending_message(), u"attempt to call method on null object");
    vm.clear_exception();
    EXPECT_FALSE(take_handle(env, nullptr, taken));
    EXPECT_EQ(vm.pending_message(), u"attempt to call method on null object");
    vm.clear_exception();

    EXPECT_FALSE(get_handle(nullptr, helper, value));
    EXPECT_FALSE(set_handle(nullptr, helper, nullptr));
    EXPECT_FALSE(take_handle(nullptr, helper, taken));
}

TEST_F(JniSupport, MissingHandleFieldLeavesTheVmsOwnError)
{
    jobject other = vm.new_object("test/NoHandle");
    jlong value = 0;
    EXPECT_FALSE(get_handle(env, other, value));
    EXPECT_EQ(vm.pending_class(), "java/lang/NoSuchFieldError");
    vm.clear_exception();
    EXPECT_FALSE(set_handle(env, other, reinterpret_cast<void*>(4)));
    EXPECT_EQ(vm.pending_class(), "java/lang/NoSuchFieldError");
    vm.clear_exception();
    void* taken = nullptr;
    EXPECT_FALSE(take_handle(env, other, taken));
    EXPECT_EQ(vm.pending_class(), "java/lang/NoSuchFieldError");
    vm.clear_exception();
}

} // namespace
