#pragma once

namespace postwell {

// postwell's own exit codes; any other code is the result of MAPISendMail.
enum exit_code : int {
    exit_no_mapi = -1,            // "mapi32.dll" or its MAPISendMail missing
    exit_positional_argument = -4,
    exit_no_memory = -5,          // also: relative attachment path, current directory unreadable
    exit_no_window = -6,          // hidden window not registered or not created; nothing sent
};

} // namespace postwell
