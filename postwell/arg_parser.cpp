#include "arg_parser.h"

namespace postwell {

namespace {

// Exactly these six; bytes from 0x80 up are text in any code page.
bool is_blank(char c) noexcept
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

} // namespace

bool read_token(const char*& position, std::string& token)
{
    const char* p = position;
    while (is_blank(*p)) ++p;

    std::string collected;
    collected.reserve(32);
    while (*p != '\0' && !is_blank(*p)) {
        if (*p == '"') {
            // A quoted section: everything up to the next quote, or to the
            // end of the text when it is never closed.
            ++p;
            while (*p != '\0' && *p != '"') collected += *p++;
            if (*p == '"') ++p;
        } else {
            collected += *p++;
        }
    }
    position = p;
    token.assign(collected);
    return !token.empty();
}

void arg_parser::parse(const char* text, bool first_token_is_program)
{
    program_name.clear();
    bool first = first_token_is_program;
    std::string token;
    const char* position = text;
    while (read_token(position, token)) {
        if (first) {
            first = false;
            program_name = token;
        } else if (token[0] == '-' || token[0] == '/') {
            // The prefix alone has no key: it is neither option nor argument.
            if (token.size() >= 2) add_option(token[1], token.c_str() + 2, token.size() - 2);
        } else {
            positional_args.push_back(token);
        }
    }
    last_found_ = option_list.empty() ? nullptr : &option_list.front();
}

void arg_parser::add_option(char key, const char* value, size_t length)
{
    for (arg_option& option : option_list) {
        if (option.key == key) {
            option.value.reserve(option.value.size() + 1 + length);
            option.value += ';';
            option.value.append(value, length);
            return;
        }
    }
    // Records may move while the list grows; the shortcut is set after parsing.
    last_found_ = nullptr;
    option_list.push_back(arg_option{key, std::string(value, length)});
}

const arg_option* arg_parser::find(char key) const noexcept
{
    if (last_found_ && last_found_->key == key) return last_found_;
    for (const arg_option& option : option_list) {
        if (option.key == key) {
            last_found_ = &option;
            return last_found_;
        }
    }
    return nullptr;
}

bool arg_parser::has_option(char key) const noexcept
{
    return find(key) != nullptr;
}

const char* arg_parser::option_value(char key) const noexcept
{
    const arg_option* option = find(key);
    return option ? option->value.c_str() : nullptr;
}

} // namespace postwell
