#include "send_mail.h"

#include <windows.h>
#include <mapi.h>
#include <shlwapi.h>

#include <string>

#include "arg_parser.h"
#include "exit_codes.h"
#include "scoped_module.h"

namespace postwell {

namespace {

std::string option_or_empty(const arg_parser& parser, char key)
{
    return parser.has_option(key) ? std::string(parser.option_value(key)) : std::string();
}

char* text_or_null(std::string& text) noexcept
{
    return text.empty() ? nullptr : &text[0];
}

// The current directory and a backslash in front of a relative path; other
// paths unchanged. False when the current directory cannot be read.
bool make_absolute(const std::string& path, std::string& absolute)
{
    if (!PathIsRelativeA(path.c_str())) {
        absolute = path;
        return true;
    }
    const DWORD needed = GetCurrentDirectoryA(0, nullptr);
    if (needed == 0) return false;
    std::string folder(needed, '\0');
    const DWORD length = GetCurrentDirectoryA(needed, &folder[0]);
    if (length == 0 || length >= needed) return false;
    folder.resize(length);

    // The last character, not the last byte: in a double-byte code page a
    // trail byte may have the value of a backslash.
    const char* end = folder.c_str() + folder.size();
    const char* last = CharPrevA(folder.c_str(), end);
    if (folder.empty() || !(last + 1 == end && *last == '\\')) folder += '\\';
    absolute = folder + path;
    return true;
}

} // namespace

int send_mail(const char* command_line) noexcept
{
    try {
        arg_parser parser;
        parser.parse(command_line, true);
        if (!parser.positional_args.empty()) return exit_positional_argument;

        std::string recipient = option_or_empty(parser, 'T');
        std::string subject = option_or_empty(parser, 'S');
        std::string text = option_or_empty(parser, 'M');
        std::string attachment = option_or_empty(parser, 'F');

        scoped_module mapi(LoadLibraryA("mapi32.dll"));
        if (!mapi) return exit_no_mapi;
        auto send = reinterpret_cast<LPMAPISENDMAIL>(
            reinterpret_cast<void*>(GetProcAddress(mapi.get(), "MAPISendMail")));
        if (!send) return exit_no_mapi;

        MapiMessage message{};
        message.lpszSubject = text_or_null(subject);
        message.lpszNoteText = text_or_null(text);

        MapiRecipDesc recip{};
        if (!recipient.empty()) {
            recip.ulRecipClass = MAPI_TO;
            recip.lpszName = &recipient[0];
            message.nRecipCount = 1;
            message.lpRecips = &recip;
        }

        MapiFileDesc file{};
        std::string path;
        if (!attachment.empty()) {
            if (!make_absolute(attachment, path)) return exit_no_memory;
            file.nPosition = 0xFFFFFFFFu;
            file.lpszPathName = &path[0];
            message.nFileCount = 1;
            message.lpFiles = &file;
        }

        return static_cast<int>(send(0, 0, &message, MAPI_LOGON_UI | MAPI_DIALOG, 0));
    } catch (...) {
        // In practice a failed allocation while parsing or copying.
        return exit_no_memory;
    }
}

int send_from_command_line() noexcept
{
    return send_mail(GetCommandLineA());
}

} // namespace postwell
