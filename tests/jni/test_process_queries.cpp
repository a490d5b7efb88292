// CommandLine._commandLine and SystemInfo._userName through the DLL's exports.

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "fake_jvm.h"
#include "test_support.h"

namespace {

using string_native = jstring(JNICALL*)(JNIEnv*, jclass);

TEST(ProcessQueries, UserNameIsTheThreadsUser)
{
    fakejvm::vm vm;
    auto user_name = test_support::jni_export<string_native>("_Java_com_morvalent_signature_SystemInfo__1userName@8");
    ASSERT_NE(user_name, nullptr);
    wchar_t expected[257];
    DWORD size = 257;
    ASSERT_TRUE(GetUserNameW(expected, &size));
    jstring name = user_name(vm.env(), nullptr);
    ASSERT_NE(name, nullptr);
    EXPECT_FALSE(vm.exception_pending());
    EXPECT_EQ(vm.string_of(name), test_support::u16(expected));
}

TEST(ProcessQueries, CommandLineOfAChildComesBackUnchanged)
{
    // The child prints what the native returned, as UTF-16 code units in hex.
    const std::wstring child = test_support::program_folder() + L"query_child.exe";
    const std::wstring line = L"\"" + child + L"\"   \"quoted arg\" plain\t\x4E2D\x00E9 \"\"";
    const test_support::process_result run = test_support::run_process(line);
    ASSERT_TRUE(run.started);
    ASSERT_TRUE(run.finished);
    ASSERT_EQ(run.exit_code, 0u) << run.output;

    std::string expected;
    for (wchar_t c : line) {
        char hex[8];
        wsprintfA(hex, "%04X ", static_cast<unsigned>(c));
        expected += hex;
    }
    EXPECT_EQ(run.output, expected);
}

} // namespace
