// postwell end to end under Wine: a copy of it next to the stand-in provider
// in a folder of its own; what reaches MAPISendMail and the exit codes.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mail_folder.h"
#include "test_support.h"

namespace {

using test_doubles::mail_folder;
using test_doubles::provider;
using test_doubles::text_field;
using test_support::narrow;

// The folder without its trailing backslash, as a current directory reads.
std::string without_backslash(const std::wstring& folder)
{
    return narrow(folder.substr(0, folder.size() - 1));
}

TEST(Postwell, ExitCodeIsTheProvidersResult)
{
    mail_folder folder;
    for (DWORD result : {0u, 1u, 2u, 11u, 26u}) {
        SCOPED_TRACE(result);
        folder.behave(std::to_string(result));
        const auto run = folder.run(L"postwell -Tx");
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exit_code, result);
    }
}

TEST(Postwell, PositionalArgumentRefusesWithoutLoadingTheProvider)
{
    for (const wchar_t* arguments : {L" @list.txt", L" -Tx report.pdf", L" C:\\dir\\file.pdf -Sy"}) {
        SCOPED_TRACE(narrow(arguments));
        mail_folder folder;
        const auto run = folder.run(std::wstring(L"postwell") + arguments);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(static_cast<int>(run.exit_code), -4);
        EXPECT_FALSE(folder.provider_loaded());
    }
}

TEST(Postwell, ProviderWithoutMAPISendMailGivesMinusOne)
{
    mail_folder folder(provider::without_send);
    const auto run = folder.run(L"postwell -Tx");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(static_cast<int>(run.exit_code), -1);
    EXPECT_TRUE(folder.provider_loaded());
}

TEST(Postwell, FullMessageReachesTheProvider)
{
    mail_folder folder;
    const auto run = folder.run(L"\"" + folder.postwell() +
                                    L"\" -T\"alice@example.org\" -S\"Signed: contract\" -M\"Hello,\r\nsee the file.\" "
                                    L"-F\"report.pdf\"",
                                folder.path().c_str());
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exit_code, 0u);
    auto got = folder.received();
    EXPECT_EQ(got["session"], "0");
    EXPECT_EQ(got["ui_param"], "0");
    EXPECT_EQ(got["flags"], "9") << "MAPI_LOGON_UI | MAPI_DIALOG";
    EXPECT_EQ(got["reserved"], "0");
    EXPECT_EQ(got["message.reserved"], "0");
    EXPECT_EQ(got["message.flags"], "0");
    EXPECT_EQ(got["message.type"], "null");
    EXPECT_EQ(got["message.date"], "null");
    EXPECT_EQ(got["message.conversation"], "null");
    EXPECT_EQ(got["message.originator"], "null");
    EXPECT_EQ(text_field(got, "subject"), "Signed: contract");
    EXPECT_EQ(text_field(got, "text"), "Hello,\r\nsee the file.");
    EXPECT_EQ(got["recip_count"], "1");
    EXPECT_EQ(got["recip0.class"], "1") << "MAPI_TO";
    EXPECT_EQ(text_field(got, "recip0.name"), "alice@example.org");
    EXPECT_EQ(got["recip0.address"], "null") << "the mail client resolves the name";
    EXPECT_EQ(got["recip0.eid_size"], "0");
    EXPECT_EQ(got["file_count"], "1");
    EXPECT_EQ(got["file0.position"], "4294967295");
    EXPECT_EQ(text_field(got, "file0.path"), without_backslash(folder.path()) + "\\report.pdf");
    EXPECT_EQ(got["file0.name"], "null");
    EXPECT_EQ(got["file0.flags"], "0");
    EXPECT_EQ(got["file0.type"], "null");
}

TEST(Postwell, NeverShowsAWindow)
{
    mail_folder folder;
    ASSERT_TRUE(folder.run(L"postwell").finished);
    auto got = folder.received();
    // The provider is called while postwell's hidden window is being created.
    EXPECT_EQ(got["window.tdckSendMAPIClass"], "hidden");
    for (const auto& [name, value] : got) {
        if (name.rfind("window.", 0) == 0) {
            EXPECT_EQ(value, "hidden") << name;
        }
    }
}

struct presence_case {
    const wchar_t* arguments;
    const char* recipient; // null: no recipient at all
    const char* subject;
    const char* text;
    const char* file; // relative to the current directory (the test folder)
};

TEST(Postwell, OptionsAndTheirPresence)
{
    const presence_case cases[] = {
        // Nothing given: an empty message still goes to the provider.
        {L"", nullptr, nullptr, nullptr, nullptr},
        // Empty values leave their part out.
        {L" -T -S -M -F", nullptr, nullptr, nullptr, nullptr},
        {L" -T\"\"x -S\"\"", "x", nullptr, nullptr, nullptr},
        // Repeated keys make one value joined with ";".
        {L" -Ta@x -Tb@y /Tc", "a@x;b@y;c", nullptr, nullptr, nullptr},
        {L" -Fa.pdf -Fb.pdf", nullptr, nullptr, nullptr, "a.pdf;b.pdf"},
        // Lower-case and other keys are ignored.
        {L" -tx -sy -mz -fw.pdf -Xq", nullptr, nullptr, nullptr, nullptr},
        // Quoted blanks and line breaks stay in the value.
        {L" \"-Stwo words\" -M\"one\ntwo\r\nthree\"", nullptr, "two words", "one\ntwo\r\nthree", nullptr},
        // A stand-alone pair of quotes ends the command line.
        {L" -Sa \"\" -Tb", nullptr, "a", nullptr, nullptr},
        // A prefix alone is ignored.
        {L" - -Sa /", nullptr, "a", nullptr, nullptr},
    };
    for (const presence_case& c : cases) {
        SCOPED_TRACE(narrow(c.arguments));
        mail_folder folder;
        const auto run = folder.run(std::wstring(L"postwell") + c.arguments, folder.path().c_str());
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exit_code, 0u);
        auto got = folder.received();
        ASSERT_EQ(got["end"], "1") << "provider not called";
        if (c.recipient) {
            EXPECT_EQ(got["recip_count"], "1");
            EXPECT_EQ(text_field(got, "recip0.name"), c.recipient);
        } else {
            EXPECT_EQ(got["recip_count"], "0");
            EXPECT_EQ(got["recips"], "null");
        }
        EXPECT_EQ(text_field(got, "subject"), c.subject ? std::optional<std::string>(c.subject) : std::nullopt);
        EXPECT_EQ(text_field(got, "text"), c.text ? std::optional<std::string>(c.text) : std::nullopt);
        if (c.file) {
            EXPECT_EQ(got["file_count"], "1");
            EXPECT_EQ(text_field(got, "file0.path"), without_backslash(folder.path()) + "\\" + c.file);
        } else {
            EXPECT_EQ(got["file_count"], "0");
            EXPECT_EQ(got["files"], "null");
        }
    }
}

TEST(Postwell, FirstTokenIsAlwaysTheProgramName)
{
    mail_folder folder;
    ASSERT_TRUE(folder.run(L"-Tlost -Skept").finished);
    auto got = folder.received();
    EXPECT_EQ(got["recip_count"], "0");
    EXPECT_EQ(text_field(got, "subject"), "kept");
}

TEST(Postwell, AttachmentPaths)
{
    mail_folder folder;
    const std::string here = without_backslash(folder.path());
    struct path_case {
        const wchar_t* value;
        const wchar_t* current_directory; // null: the test folder
        std::string expected;
    };
    const path_case cases[] = {
        {L"report.pdf", nullptr, here + "\\report.pdf"},
        {L"report.pdf", L"C:\\", "C:\\report.pdf"},
        {L"sub/../report.pdf", nullptr, here + "\\sub/../report.pdf"},
        {L"C:\\docs\\report.pdf", nullptr, "C:\\docs\\report.pdf"},
        {L"C:/docs/report.pdf", nullptr, "C:/docs/report.pdf"},
        {L"\\\\server\\share\\report.pdf", nullptr, "\\\\server\\share\\report.pdf"},
        {L"\\docs\\report.pdf", nullptr, "\\docs\\report.pdf"},
    };
    for (const path_case& c : cases) {
        SCOPED_TRACE(narrow(c.value));
        DeleteFileW((folder.path() + L"mapi_received.txt").c_str());
        const auto run = folder.run(std::wstring(L"postwell -F\"") + c.value + L"\"",
                                    c.current_directory ? c.current_directory : folder.path().c_str());
        ASSERT_TRUE(run.finished);
        auto got = folder.received();
        EXPECT_EQ(text_field(got, "file0.path"), c.expected);
        EXPECT_EQ(got["file0.name"], "null");
    }
}

} // namespace

namespace {

std::wstring version_string(const std::vector<char>& block, const wchar_t* name)
{
    wchar_t* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\080904B0\\") + name;
    if (!VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) || !value) return L"?";
    return value;
}

TEST(Postwell, ResourcesOfTheProgram)
{
    const std::wstring program = test_support::program_folder() + L"postwell.exe";
    HMODULE image = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(image, nullptr) << GetLastError();

    // Icon group 107 with several sizes, each image present.
    HRSRC group = FindResourceW(image, MAKEINTRESOURCEW(107), MAKEINTRESOURCEW(14)); // RT_GROUP_ICON
    ASSERT_NE(group, nullptr);
    const auto* directory = static_cast<const BYTE*>(LockResource(LoadResource(image, group)));
    ASSERT_NE(directory, nullptr);
    const WORD count = *reinterpret_cast<const WORD*>(directory + 4);
    EXPECT_GE(count, 3);
    for (WORD i = 0; i < count; ++i) {
        const BYTE* entry = directory + 6 + 14 * i; // width, height, ..., WORD id at the end
        const WORD id = *reinterpret_cast<const WORD*>(entry + 12);
        EXPECT_NE(FindResourceW(image, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(3)), nullptr) << "icon image " << id;
    }

    // The manifest asks to run as the invoker.
    HRSRC manifest = FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)); // RT_MANIFEST
    ASSERT_NE(manifest, nullptr);
    const std::string manifest_text(static_cast<const char*>(LockResource(LoadResource(image, manifest))),
                                    SizeofResource(image, manifest));
    EXPECT_NE(manifest_text.find("level=\"asInvoker\""), std::string::npos) << manifest_text;
    EXPECT_NE(manifest_text.find("uiAccess=\"false\""), std::string::npos) << manifest_text;
    FreeLibrary(image);

    // The version block: English (United Kingdom), Unicode.
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(program.c_str(), &ignored);
    ASSERT_NE(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(program.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010001u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010001u);
    EXPECT_EQ(narrow(version_string(block, L"FileDescription")), "Tarvo inkvale PDF");
    EXPECT_EQ(narrow(version_string(block, L"ProductName")), "Tarvo inkvale PDF");
    EXPECT_EQ(narrow(version_string(block, L"FileVersion")), "1.1.0");
    EXPECT_EQ(narrow(version_string(block, L"ProductVersion")), "1.1.0.0");
    EXPECT_EQ(narrow(version_string(block, L"OriginalFilename")), "postwell.exe");
}

} // namespace
