#pragma once

namespace postwell {

// Parses the command line of `text` (its first token is the program) and
// hands the message it describes to Simple MAPI with the provider's dialogs.
// Returns MAPISendMail's result or one of postwell's negative exit codes.
// Never throws.
int send_mail(const char* command_line) noexcept;

// send_mail on the process's own command line.
int send_from_command_line() noexcept;

} // namespace postwell
