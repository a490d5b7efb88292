#pragma once

#include <windows.h>

namespace morvalent::launcher {

// The argument text of a command line: what follows the program's own name
// (quoted or not) and the spaces after it, unparsed. Only U+0020 counts as a
// blank. Points at the terminating zero when there are no arguments.
wchar_t* skip_program_name(wchar_t* command_line);

// The argument text of the process's own command line.
wchar_t* skip_program_name();

// Cuts the next token out of the text at `*cursor`, in place: skips spaces,
// then takes up to the next space, or, after an opening quotation mark, up to
// the closing one, which is not part of the token. The end character is
// overwritten with a zero and the cursor left after it; an unclosed quotation
// runs to the end of the text. Returns the token, or null when there is no
// cursor.
wchar_t* cut_token(wchar_t** cursor);

// Whether `part` occurs anywhere in `text`, case-sensitively.
bool contains_text(const wchar_t* text, const wchar_t* part);

} // namespace morvalent::launcher
