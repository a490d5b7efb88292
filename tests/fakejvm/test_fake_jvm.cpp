// The fake VM must catch the JNI misuse that the real one punishes, or the
// natives' tests would pass on code that crashes a real VM.

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <thread>

#include "fake_jvm.h"

namespace {

fakejvm::vm* the_vm = nullptr;
JNIEnv* the_env = nullptr;
jobject the_object = nullptr;

struct FakeJvm : ::testing::Test {
    fakejvm::vm vm;
    FakeJvm()
    {
        the_vm = &vm;
        the_env = vm.env();
        vm.define_class("test/Thing").add_field("handle", "J").add_method(
            "twice", "(I)I", [](JNIEnv*, jobject, const jvalue* args) { return fakejvm::jv_int(args[0].i * 2); });
        the_object = vm.new_object("test/Thing");
    }
};

TEST_F(FakeJvm, CallsWhileAnExceptionIsPendingAreMisuse)
{
    jstring text = vm.new_string(u"x");
    vm.throw_new(the_env, "java/lang/Exception", u"pending");
    EXPECT_NONFATAL_FAILURE(the_env->FindClass("test/Thing"), "while an exception is pending");
    // The functions that JNI allows then are no misuse.
    EXPECT_TRUE(the_env->ExceptionCheck());
    the_env->DeleteLocalRef(text);
    vm.clear_exception();
    vm.clear_violations();
}

TEST_F(FakeJvm, GlobalReferencesAreDeletedExactlyOnce)
{
    static jobject global = nullptr;
    global = the_env->NewGlobalRef(the_object);
    EXPECT_EQ(vm.live_global_refs(), 1);
    the_env->DeleteGlobalRef(global);
    EXPECT_EQ(vm.live_global_refs(), 0);
    EXPECT_NONFATAL_FAILURE(the_env->DeleteGlobalRef(global), "deleted twice");
    EXPECT_NONFATAL_FAILURE(the_env->GetObjectClass(global), "use of a deleted reference");
    vm.clear_violations();
}

TEST_F(FakeJvm, LocalReferencesBelongToTheirThread)
{
    std::thread other([] {
        JNIEnv* env = nullptr;
        ASSERT_EQ(the_vm->java_vm()->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr), JNI_OK);
        EXPECT_NONFATAL_FAILURE(env->GetObjectClass(the_object), "local reference used on another thread");
        the_vm->java_vm()->DetachCurrentThread();
    });
    other.join();
    EXPECT_EQ(vm.attach_count(), 1);
    EXPECT_EQ(vm.detach_count(), 1);
    vm.clear_violations();
}

TEST_F(FakeJvm, ReleasesMustMatchTheirGets)
{
    static jstring text = nullptr;
    static const jchar* chars = nullptr;
    text = vm.new_string(u"abc");
    chars = the_env->GetStringChars(text, nullptr);
    EXPECT_EQ(vm.outstanding_elements(), 1);
    static jstring other = nullptr;
    other = vm.new_string(u"abc");
    EXPECT_NONFATAL_FAILURE(the_env->ReleaseStringChars(other, chars), "not got from that string");
    the_env->ReleaseStringChars(text, chars);
    EXPECT_EQ(vm.outstanding_elements(), 0);
    vm.clear_violations();
}

TEST_F(FakeJvm, MethodsDispatchOnTheRunTimeClass)
{
    vm.define_class("test/Sub", "test/Thing").add_method(
        "twice", "(I)I", [](JNIEnv*, jobject, const jvalue* args) { return fakejvm::jv_int(args[0].i * 20); });
    jclass base = the_env->FindClass("test/Thing");
    jmethodID twice = the_env->GetMethodID(base, "twice", "(I)I");
    ASSERT_NE(twice, nullptr);
    EXPECT_EQ(the_env->CallIntMethod(the_object, twice, 21), 42);
    EXPECT_EQ(the_env->CallIntMethod(vm.new_object("test/Sub"), twice, 2), 40);
    EXPECT_EQ(the_env->GetMethodID(base, "missing", "()V"), nullptr);
    EXPECT_EQ(vm.pending_class(), "java/lang/NoSuchMethodError");
    vm.clear_exception();
}

} // namespace
