#include "assertion.h"

#include <windows.h>

namespace morvalent::jni {

namespace {

constexpr char report_prefix[] = "Morvalent Assertion Failure - ";
constexpr size_t report_chars = 512; // reports that do not fit are cut, the line number kept

char report[report_chars];

size_t append(size_t at, const char* text, size_t limit) noexcept
{
    while (*text && at < limit) report[at++] = *text++;
    return at;
}

} // namespace

void assertion_failed(const char* file, unsigned line) noexcept
{
    char digits[12];
    size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + line % 10);
        line /= 10;
    } while (line != 0);
    char number[12];
    for (size_t i = 0; i < count; ++i) number[i] = digits[count - 1 - i];
    number[count] = '\0';

    // Room is kept for the blank and the number, so a long file name is what gets cut.
    const size_t tail = 1 + count;
    size_t at = append(0, report_prefix, report_chars - 1 - tail);
    at = append(at, file ? file : "<unknown>", report_chars - 1 - tail);
    report[at++] = ' ';
    at = append(at, number, report_chars - 1);
    report[at] = '\0';

    DWORD written = 0;
    HANDLE error_output = GetStdHandle(STD_ERROR_HANDLE);
    if (error_output && error_output != INVALID_HANDLE_VALUE)
        WriteFile(error_output, report, static_cast<DWORD>(at), &written, nullptr);
    FatalAppExitA(0, report);
    ExitProcess(3); // FatalAppExitA does not return; this only satisfies [[noreturn]]
}

} // namespace morvalent::jni
