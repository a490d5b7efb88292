// assertion_failed writes exactly its report to standard error and ends the process.

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace {

TEST(AssertionFailed, WritesTheReportAndEndsTheProcess)
{
    const std::wstring child = L"\"" + test_support::program_folder() + L"assertion_child.exe\"";
    const std::string long_name(1000, 'f');
    struct {
        std::wstring args;
        std::string expected;
    } cases[] = {
        {L" - 42", "Morvalent Assertion Failure - <unknown> 42"},
        {L" \"\" 0", "Morvalent Assertion Failure -  0"},
        {L" jni\\tablet.cpp 4294967295", "Morvalent Assertion Failure - jni\\tablet.cpp 4294967295"},
    };
    for (const auto& c : cases) {
        const auto run = test_support::run_process(child + c.args);
        ASSERT_TRUE(run.finished) << test_support::narrow(c.args);
        EXPECT_NE(run.exit_code, 0u);
        EXPECT_EQ(run.output, c.expected);
    }

    // A report that does not fit is cut in the file name; the line number stays.
    const auto run = test_support::run_process(child + L" " + std::wstring(long_name.begin(), long_name.end()) + L" 7");
    ASSERT_TRUE(run.finished);
    ASSERT_GE(run.output.size(), 40u);
    EXPECT_EQ(run.output.substr(0, 30), "Morvalent Assertion Failure - ");
    EXPECT_EQ(run.output.substr(run.output.size() - 3), "f 7");
    EXPECT_LT(run.output.size(), 600u);
}

} // namespace
