// The launcher's error box, shown from this process (which carries the
// launcher's string table): what it passes to MessageBoxW, and what the box
// shows to the message-box reader.

#include <gtest/gtest.h>

#include "launcher_fixture.h"
#include "message_box_spy.h"
#include "process_state.h"
#include "report_error.h"

using namespace launcher_tests;
using test_support::narrow;

namespace {

struct ReportError : ::testing::Test {
    ReportError() { morvalent::launcher::take_process_state(); }

    // Shows the box, reads it and presses OK; returns what was passed to MessageBoxW.
    static message_box_spy::call show(UINT message_id, DWORD code)
    {
        message_box_spy spy;
        EXPECT_TRUE(spy.installed());
        test_doubles::message_box_reader reader(product_name);
        morvalent::launcher::report_error(message_id, code); // returns once OK is pressed
        const auto boxes = reader.stop();
        const auto calls = spy.calls();
        EXPECT_EQ(calls.size(), 1u);
        EXPECT_EQ(boxes.size(), 1u);
        if (calls.size() != 1 || boxes.size() != 1) return {};
        // The box shows what was passed, with an OK button alone.
        EXPECT_EQ(narrow(boxes[0].caption), narrow(calls[0].caption));
        EXPECT_EQ(narrow(boxes[0].text), narrow(calls[0].text));
        EXPECT_TRUE(boxes[0].ok_only);
        return calls[0];
    }
};

TEST_F(ReportError, BoxLayout)
{
    // A code the system has no text for.
    const DWORD unknown_code = 0xE0001234;
    ASSERT_EQ(system_text(unknown_code), L"GLE: 3758101044");
    struct {
        UINT id;
        DWORD code;
        std::wstring text;
    } cases[] = {
        {2, ERROR_FILE_NOT_FOUND, bad_configuration_text + L"\r\n\r\n" + system_text(ERROR_FILE_NOT_FOUND)},
        {3, ERROR_INVALID_HANDLE, wait_failed_text + L"\r\n\r\n" + system_text(ERROR_INVALID_HANDLE)},
        {4, ERROR_FILENAME_EXCED_RANGE, launch_failed_text + L"\r\n\r\n" + system_text(ERROR_FILENAME_EXCED_RANGE)},
        {7, ERROR_OUTOFMEMORY, launcher_problem_text + L"\r\n\r\n" + system_text(ERROR_OUTOFMEMORY)},
        // Ids 5 and 6 are not in the table.
        {5, ERROR_FILE_NOT_FOUND, L"Error: 5\r\n\r\n" + system_text(ERROR_FILE_NOT_FOUND)},
        {6, unknown_code, L"Error: 6\r\n\r\nGLE: 3758101044"},
        {2, unknown_code, bad_configuration_text + L"\r\n\r\nGLE: 3758101044"},
        {0xFFFF, 0, L"Error: 65535\r\n\r\n" + system_text(0)},
    };
    for (const auto& c : cases) {
        const message_box_spy::call call = show(c.id, c.code);
        EXPECT_EQ(narrow(call.text), narrow(c.text)) << "id " << c.id << " code " << c.code;
        EXPECT_EQ(narrow(call.caption), narrow(product_name));
    }
}

TEST_F(ReportError, SystemTextKeepsItsOwnLineEnding)
{
    const std::wstring text = system_text(ERROR_FILE_NOT_FOUND);
    ASSERT_GE(text.size(), 2u);
    ASSERT_EQ(text.substr(text.size() - 2), L"\r\n") << "the system text itself has no line ending here";
    const message_box_spy::call call = show(2, ERROR_FILE_NOT_FOUND);
    ASSERT_GE(call.text.size(), 2u);
    EXPECT_EQ(call.text.substr(call.text.size() - 2), L"\r\n");
}

TEST_F(ReportError, OwnerlessWarningWithOkInTheForegroundAndOnTop)
{
    const message_box_spy::call call = show(2, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(call.owner, nullptr);
    EXPECT_EQ(call.style, UINT(MB_OK | MB_ICONWARNING | MB_SETFOREGROUND | MB_TOPMOST));
    EXPECT_EQ(call.style, 0x00050030u);
}

} // namespace
