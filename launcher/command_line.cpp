#include "command_line.h"

namespace morvalent::launcher {

wchar_t* skip_program_name(wchar_t* command_line)
{
    wchar_t* position = command_line;
    // An empty command line has no name to step over; never move past its end.
    if (*position != L'\0') {
        const wchar_t end = *position++ == L'"' ? L'"' : L' ';
        while (*position != L'\0' && *position != end) ++position;
        if (*position == end) ++position;
    }
    while (*position == L' ') ++position;
    return position;
}

wchar_t* skip_program_name() { return skip_program_name(GetCommandLineW()); }

wchar_t* cut_token(wchar_t** cursor)
{
    if (!cursor || !*cursor) return nullptr;
    wchar_t* position = *cursor;
    while (*position == L' ') ++position;
    wchar_t end = L' ';
    if (*position == L'"') {
        end = L'"';
        ++position;
    }
    wchar_t* const token = position;
    while (*position != L'\0' && *position != end) ++position;
    if (*position == end) *position++ = L'\0';
    *cursor = position;
    return token;
}

bool contains_text(const wchar_t* text, const wchar_t* part)
{
    for (; *text != L'\0'; ++text) {
        const wchar_t* a = text;
        const wchar_t* b = part;
        while (*b != L'\0' && *a == *b) {
            ++a;
            ++b;
        }
        if (*b == L'\0') return true;
    }
    return *part == L'\0';
}

} // namespace morvalent::launcher
