#pragma once

// Cuts an 8-bit command line into a program name, options ("-Kvalue" or
// "/Kvalue", one key character) and positional arguments. Double quotes group
// text, blanks included, and are never part of a token; there is no escape
// character. A key given more than once keeps one record whose value is all
// the values joined with ";". Allocation failures raise std::bad_alloc.

#include <string>
#include <vector>

namespace postwell {

struct arg_option {
    char key;
    std::string value; // possibly empty, never absent
};

// Reads the next token at `position` and advances it past the token. Returns
// true when the token is non-empty; an empty token means the end of the text
// or a stand-alone pair of quotes.
bool read_token(const char*& position, std::string& token);

class arg_parser {
public:
    // Adds what `text` holds. With `first_token_is_program`, the first token
    // is the program's name whatever it looks like. Parsing stops at the
    // first empty token.
    void parse(const char* text, bool first_token_is_program);

    bool has_option(char key) const noexcept;
    // The value for `key`, or null when there is no such option. Valid while
    // the parser lives.
    const char* option_value(char key) const noexcept;

    std::vector<std::string> positional_args;
    std::vector<arg_option> option_list;
    std::string program_name;

private:
    const arg_option* find(char key) const noexcept;
    void add_option(char key, const char* value, size_t length);

    mutable const arg_option* last_found_ = nullptr;
};

} // namespace postwell
