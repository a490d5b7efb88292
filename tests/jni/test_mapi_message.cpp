// MAPIMessage.send through the library's export, with the fake Java VM,
// starting a copy of the real postwell next to the stand-in provider.

#include <gtest/gtest.h>

#include <string>

#include "fake_jvm.h"
#include "mail_folder.h"
#include "test_support.h"

namespace {

using test_doubles::mail_folder;
using test_doubles::provider;
using test_doubles::text_field;
using test_support::narrow;

using send_native = jint(JNICALL*)(JNIEnv*, jclass, jstring, jstring, jstring, jstring);

const std::wstring settings_key = L"Software\\Tarvo\\inkvale";

send_native send_export()
{
    return test_support::jni_export<send_native>("_Java_com_morvalent_signature_MAPIMessage_send@24");
}

struct MapiMessageSend : testing::Test {
    void SetUp() override
    {
        send = send_export();
        ASSERT_NE(send, nullptr);
        point_at(folder.postwell());
    }
    void TearDown() override
    {
        test_support::delete_registry_value(HKEY_LOCAL_MACHINE, settings_key, L"postwell");
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, settings_key.c_str());
        EXPECT_TRUE(vm.violations().empty()) << vm.violations().front();
        EXPECT_EQ(vm.outstanding_elements(), 0);
    }

    void point_at(const std::wstring& program, DWORD type = REG_SZ)
    {
        test_support::set_registry_string(HKEY_LOCAL_MACHINE, settings_key, L"postwell", program, type);
    }

    jstring str(const std::wstring& text) { return vm.new_string(test_support::u16(text)); }

    jint call(jstring recipient, jstring subject, jstring text, jstring attachment)
    {
        return send(vm.env(), nullptr, recipient, subject, text, attachment);
    }

    fakejvm::vm vm;
    mail_folder folder;
    send_native send = nullptr;
};

TEST_F(MapiMessageSend, FourValuesReachTheProvider)
{
    const std::wstring attachment = folder.path() + L"contract.pdf";
    EXPECT_EQ(call(str(L"alice@example.org; bob@example.org"), str(L"Signed contract"),
                   str(L"Dear Alice,\r\nthe signed contract."), str(attachment)),
              0);
    EXPECT_FALSE(vm.exception_pending());
    auto got = folder.received();
    EXPECT_EQ(text_field(got, "recip0.name"), "alice@example.org; bob@example.org") << "one recipient name";
    EXPECT_EQ(got["recip_count"], "1");
    EXPECT_EQ(text_field(got, "subject"), "Signed contract");
    EXPECT_EQ(text_field(got, "text"), "Dear Alice,\r\nthe signed contract.");
    EXPECT_EQ(text_field(got, "file0.path"), narrow(attachment));
    EXPECT_EQ(got["flags"], "9");
}

TEST_F(MapiMessageSend, TextArrivesInTheAnsiCodePage)
{
    // Bytes from 0x80 up (here a no-break space and an ellipsis in most code
    // pages) are text to postwell's parser, never separators.
    const std::wstring subject = L"Caf\x00E9\x00A0\x2026 Stra\x00DF" L"e";
    char expected[64] = "";
    ASSERT_GT(WideCharToMultiByte(CP_ACP, 0, subject.c_str(), -1, expected, sizeof(expected), nullptr, nullptr), 0);
    EXPECT_EQ(call(nullptr, str(subject), nullptr, nullptr), 0);
    EXPECT_EQ(text_field(folder.received(), "subject"), std::string(expected));
}

TEST_F(MapiMessageSend, NullAndEmptyStringsLeaveTheirPartsOut)
{
    EXPECT_EQ(call(nullptr, str(L""), nullptr, str(L"")), 0);
    auto got = folder.received();
    ASSERT_EQ(got["end"], "1");
    EXPECT_EQ(got["recip_count"], "0");
    EXPECT_EQ(got["subject"], "null");
    EXPECT_EQ(got["text"], "null");
    EXPECT_EQ(got["file_count"], "0");
}

TEST_F(MapiMessageSend, RelativeAttachmentIsResolvedAgainstTheCallersCurrentDirectory)
{
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(folder.path().c_str()));
    const jint result = call(nullptr, nullptr, nullptr, str(L"report.pdf"));
    SetCurrentDirectoryW(previous);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(text_field(folder.received(), "file0.path"), narrow(folder.path()) + "report.pdf");
}

TEST_F(MapiMessageSend, EndedPostwellGivesItsExitCode)
{
    for (int code : {1, 2, 26}) {
        SCOPED_TRACE(code);
        folder.behave(std::to_string(code));
        EXPECT_EQ(call(str(L"x"), nullptr, nullptr, nullptr), code);
    }
    mail_folder no_send(provider::without_send);
    point_at(no_send.postwell());
    EXPECT_EQ(call(str(L"x"), nullptr, nullptr, nullptr), -1);
    EXPECT_FALSE(vm.exception_pending());
}

TEST_F(MapiMessageSend, ReturnsWhilePostwellWaitsForTheUser)
{
    folder.behave("1 dialog");
    const DWORD start = GetTickCount();
    const jint result = call(str(L"x"), str(L"y"), nullptr, nullptr);
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_EQ(result, 0) << "postwell is still running";
    EXPECT_LT(elapsed, 5000u);
    // The compose window is still open: the native did not wait for the user.
    EXPECT_TRUE(test_doubles::close_compose_dialog()) << "no compose window open, or postwell did not end";
}

TEST_F(MapiMessageSend, MissingOrUnusableSettingStartsNothing)
{
    struct setting_case {
        const char* what;
        std::wstring value; // empty with `present` false: no value at all
        bool present;
        jint expected;
    };
    const setting_case cases[] = {
        {"value missing", L"", false, -104},
        {"empty text", L"", true, -105},
        {"not an executable", folder.path() + L"mapi_behaviour.txt", true, -105},
        {"no such file", folder.path() + L"absent.exe", true, -105},
    };
    folder.behave("0");
    for (const setting_case& c : cases) {
        SCOPED_TRACE(c.what);
        test_support::delete_registry_value(HKEY_LOCAL_MACHINE, settings_key, L"postwell");
        if (c.present) point_at(c.value);
        EXPECT_EQ(call(str(L"x"), nullptr, nullptr, nullptr), c.expected);
        EXPECT_FALSE(vm.exception_pending());
    }
    // A value without any data names no program either.
    test_support::set_registry_value(HKEY_LOCAL_MACHINE, settings_key, L"postwell", REG_SZ, L"", 0);
    EXPECT_EQ(call(str(L"x"), nullptr, nullptr, nullptr), -105);
    // No key at all.
    test_support::delete_registry_value(HKEY_LOCAL_MACHINE, settings_key, L"postwell");
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, settings_key.c_str());
    EXPECT_EQ(call(str(L"x"), nullptr, nullptr, nullptr), -104);
    EXPECT_FALSE(folder.provider_loaded());
}

TEST_F(MapiMessageSend, ExpandableSettingIsExpanded)
{
    const std::wstring folder_path = folder.path();
    ASSERT_TRUE(SetEnvironmentVariableW(L"INKVALE_TEST_POSTWELL", folder_path.substr(0, folder_path.size() - 1).c_str()));
    point_at(L"%INKVALE_TEST_POSTWELL%\\postwell.exe", REG_EXPAND_SZ);
    EXPECT_EQ(call(nullptr, str(L"expanded"), nullptr, nullptr), 0);
    SetEnvironmentVariableW(L"INKVALE_TEST_POSTWELL", nullptr);
    EXPECT_EQ(text_field(folder.received(), "subject"), "expanded");
}

TEST_F(MapiMessageSend, LongTextArrivesWholeWithItsAttachment)
{
    std::wstring text;
    for (int i = 0; text.size() < 2000; ++i) text += L"line " + std::to_wstring(i) + L" of the message.\r\n";
    text.resize(2000);
    const std::wstring attachment = L"C:\\docs\\signed.pdf";
    EXPECT_EQ(call(str(L"x"), str(L"long"), str(text), str(attachment)), 0);
    auto got = folder.received();
    EXPECT_EQ(text_field(got, "text"), narrow(text));
    EXPECT_EQ(text_field(got, "file0.path"), narrow(attachment));
}

TEST_F(MapiMessageSend, CommandLineUpToTheSystemsBound)
{
    // "path" -T"" -S"" -M"<text>" -F"" plus the terminator: 32767 at most.
    const size_t fixed = folder.postwell().size() + 2 + 4 * 5;
    const std::wstring longest(32767 - 1 - fixed, L'a');
    EXPECT_EQ(call(nullptr, nullptr, str(longest), nullptr), 0);
    EXPECT_EQ(text_field(folder.received(), "text"), narrow(longest));

    // One more character: refused, nothing started (some systems would cut it).
    mail_folder other;
    point_at(other.postwell());
    const size_t other_fixed = other.postwell().size() + 2 + 4 * 5;
    EXPECT_EQ(call(nullptr, nullptr, str(std::wstring(32767 - other_fixed, L'a')), nullptr), -105);
    EXPECT_FALSE(vm.exception_pending());
    EXPECT_FALSE(other.provider_loaded());
}

TEST_F(MapiMessageSend, QuoteInAValueCannotEndItsSection)
{
    EXPECT_EQ(call(str(L"x\" -F\"C:\\secret.key"), str(L"say \"hi\" -F\"C:\\secret.key\""), nullptr, nullptr), 0);
    auto got = folder.received();
    EXPECT_EQ(text_field(got, "recip0.name"), "x' -F'C:\\secret.key");
    EXPECT_EQ(text_field(got, "subject"), "say 'hi' -F'C:\\secret.key'");
    EXPECT_EQ(got["file_count"], "0") << "no attachment was injected";
}

TEST_F(MapiMessageSend, ValueEndsAtAnEmbeddedNulAndTheRestStillArrives)
{
    // The command line would end there; the options after it must not be lost.
    EXPECT_EQ(call(str(L"x"), vm.new_string(std::u16string(u"before\0after", 12)), str(L"text"), str(L"C:\\a.pdf")),
              0);
    auto got = folder.received();
    EXPECT_EQ(text_field(got, "subject"), "before");
    EXPECT_EQ(text_field(got, "text"), "text");
    EXPECT_EQ(text_field(got, "file0.path"), "C:\\a.pdf");
}

TEST_F(MapiMessageSend, CommandLineHasTheQuotedPathAndFourQuotedOptions)
{
    // A stand-in postwell that records the command line it was given.
    const std::wstring recorder = folder.path() + L"recorder.exe";
    ASSERT_TRUE(CopyFileW((test_support::program_folder() + L"command_line_recorder.exe").c_str(), recorder.c_str(),
                          FALSE));
    point_at(recorder);
    const std::wstring record = folder.path() + L"command_line.txt";
    struct line_case {
        const wchar_t* values[4]; // null: a null Java string
        std::wstring options;
    };
    const line_case cases[] = {
        {{nullptr, nullptr, nullptr, nullptr}, L" -T\"\" -S\"\" -M\"\" -F\"\""},
        {{L"a@b", L"Sub ject", L"x\\y\\", L"C:\\f.pdf"}, L" -T\"a@b\" -S\"Sub ject\" -M\"x\\y\\\" -F\"C:\\f.pdf\""},
        {{L"\"", L"", L"\"\"", L"\x4E2D"}, L" -T\"'\" -S\"\" -M\"''\" -F\"\x4E2D\""},
    };
    for (const line_case& c : cases) {
        SCOPED_TRACE(narrow(c.options));
        DeleteFileW(record.c_str());
        jstring strings[4];
        for (int i = 0; i < 4; ++i) strings[i] = c.values[i] ? str(c.values[i]) : nullptr;
        const jint result = call(strings[0], strings[1], strings[2], strings[3]);
        EXPECT_TRUE(result == 0) << result;
        std::wstring line;
        for (int wait = 0; wait < 100 && GetFileAttributesW(record.c_str()) == INVALID_FILE_ATTRIBUTES; ++wait)
            Sleep(50);
        HANDLE file = CreateFileW(record.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << "the stand-in was not started";
        wchar_t buffer[1024];
        DWORD got = 0;
        ReadFile(file, buffer, sizeof(buffer), &got, nullptr);
        CloseHandle(file);
        line.assign(buffer, got / sizeof(wchar_t));
        EXPECT_EQ(narrow(line), narrow(L"\"" + recorder + L"\"" + c.options));
    }
}

TEST_F(MapiMessageSend, StringTheVmCannotGiveStopsBeforeAnythingStarts)
{
    vm.fail_next("GetStringChars");
    EXPECT_EQ(call(str(L"x"), str(L"y"), nullptr, nullptr), -103);
    EXPECT_EQ(vm.pending_class(), "java/lang/OutOfMemoryError") << "the VM's own exception, unchanged";
    vm.clear_exception();
    EXPECT_FALSE(folder.provider_loaded());
}

} // namespace
