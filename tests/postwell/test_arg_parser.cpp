// The command-line parser on its own: tokens, options, program name.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "arg_parser.h"

namespace {

using postwell::arg_parser;
using options = std::vector<std::pair<char, std::string>>;

struct parse_case {
    const char* text;
    const char* program;
    options expected_options; // in the order each key first appeared
    std::vector<std::string> positional;
};

std::string shown(const char* text)
{
    std::string out;
    for (const char* p = text; *p; ++p) {
        if (*p == '\n') out += "\\n";
        else if (*p == '\r') out += "\\r";
        else if (*p == '\t') out += "\\t";
        else out += *p;
    }
    return out;
}

TEST(ArgParser, CasesWithTheFirstTokenAsProgram)
{
    const parse_case cases[] = {
        {"prog -Talice -Tbob", "prog", {{'T', "alice;bob"}}, {}},
        {"prog -T -Tbob", "prog", {{'T', ";bob"}}, {}},
        {"prog -T", "prog", {{'T', ""}}, {}},
        {"prog -T=x", "prog", {{'T', "=x"}}, {}},
        {"prog /Sx -sy", "prog", {{'S', "x"}, {'s', "y"}}, {}},
        {"prog @list.txt", "prog", {}, {"@list.txt"}},
        {"-Tx -Sy", "-Tx", {{'S', "y"}}, {}},
        {"prog C:\\dir\\file.pdf", "prog", {}, {"C:\\dir\\file.pdf"}},
        // Keys keep the order in which each first appeared.
        {"p -Sa -Tb -Sc /Td", "p", {{'S', "a;c"}, {'T', "b;d"}}, {}},
        // Quoted sections: blanks inside, quotes around prefix and key too.
        {"prog -M\"two words\"", "prog", {{'M', "two words"}}, {}},
        {"prog \"-Mtwo words\"", "prog", {{'M', "two words"}}, {}},
        {"prog -M\"a b\"c", "prog", {{'M', "a bc"}}, {}},
        {"prog -M\"open to the end", "prog", {{'M', "open to the end"}}, {}},
        {"\"C:\\Program Files\\postwell.exe\" -T\"\" -S\"x\"", "C:\\Program Files\\postwell.exe",
         {{'T', ""}, {'S', "x"}}, {}},
        // A stand-alone empty pair of quotes ends the parse.
        {"prog -Sa \"\" -Tb", "prog", {{'S', "a"}}, {}},
        {"\"\" -Tb", "", {}, {}},
        // An empty pair inside a token is no token of its own.
        {"prog -S\"\"x pos\"\"", "prog", {{'S', "x"}}, {"pos"}},
        // Line breaks belong to a quoted token and separate unquoted ones.
        {"prog -M\"one\r\ntwo\" -Sa\nb\rc", "prog", {{'M', "one\r\ntwo"}, {'S', "a"}}, {"b", "c"}},
        {"prog\t-Ta\v-Sb\f-Mc", "prog", {{'T', "a"}, {'S', "b"}, {'M', "c"}}, {}},
        // Bytes from 0x80 up are text, never blanks.
        {"prog -S\xA0\x85x", "prog", {{'S', "\xA0\x85x"}}, {}},
        {"", "", {}, {}},
        {" \t\r\n ", "", {}, {}},
        // The prefix alone has no key: neither option nor argument.
        {"prog - / -Ta -", "prog", {{'T', "a"}}, {}},
        {"prog -\"\"", "prog", {}, {}},
        // Any character after the prefix is a key, the prefix itself too.
        {"prog --x //y -/z", "prog", {{'-', "x"}, {'/', "y;z"}}, {}},
    };
    for (const parse_case& c : cases) {
        SCOPED_TRACE(shown(c.text));
        arg_parser parser;
        parser.parse(c.text, true);
        EXPECT_EQ(parser.program_name, c.program);
        options got;
        for (const auto& option : parser.option_list) got.emplace_back(option.key, option.value);
        EXPECT_EQ(got, c.expected_options);
        EXPECT_EQ(parser.positional_args, c.positional);
        for (const auto& [key, value] : c.expected_options) {
            EXPECT_TRUE(parser.has_option(key)) << key;
            ASSERT_NE(parser.option_value(key), nullptr) << key;
            EXPECT_EQ(parser.option_value(key), value) << key;
        }
    }
}

TEST(ArgParser, FirstTokenIsAnOptionWhenNoProgramIsExpected)
{
    arg_parser parser;
    parser.parse("-Tx prog", false);
    EXPECT_EQ(parser.program_name, "");
    EXPECT_STREQ(parser.option_value('T'), "x");
    EXPECT_EQ(parser.positional_args, std::vector<std::string>{"prog"});
}

TEST(ArgParser, LookupsAreExactAndAlternateFreely)
{
    arg_parser parser;
    parser.parse("prog -Ta -tb -Sc", true);
    // Alternating lookups move the shortcut back and forth.
    for (int round = 0; round < 2; ++round) {
        EXPECT_STREQ(parser.option_value('S'), "c");
        EXPECT_STREQ(parser.option_value('t'), "b");
        EXPECT_STREQ(parser.option_value('T'), "a");
        EXPECT_EQ(parser.option_value('M'), nullptr);
        EXPECT_FALSE(parser.has_option('s'));
        EXPECT_TRUE(parser.has_option('t'));
    }
}

TEST(ArgParser, ReadTokenStopsAtBlanksAndReportsEmptyTokens)
{
    const char* text = "  one\"two three\"  \"\" four";
    const char* position = text;
    std::string token = "old";
    EXPECT_TRUE(postwell::read_token(position, token));
    EXPECT_EQ(token, "onetwo three");
    EXPECT_EQ(*position, ' ') << "the blank after the token is left for the next call";
    EXPECT_FALSE(postwell::read_token(position, token));
    EXPECT_EQ(token, "");
    EXPECT_TRUE(postwell::read_token(position, token));
    EXPECT_EQ(token, "four");
    EXPECT_FALSE(postwell::read_token(position, token));
    EXPECT_EQ(*position, '\0');
}

// No token ever holds a double quote, whatever the mix of quotes, blanks and
// prefixes; and the parse never reads past the text's end (the text is
// followed by a guard of quotes that would show up if it did).
TEST(ArgParser, NoTokenEverHoldsAQuote)
{
    const char alphabet[] = {'"', '"', ' ', '-', '/', 'T', 'S', 'a', '\n', '\t', '\xE9'};
    unsigned seed = 12345;
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const int length = round % 24;
        for (int i = 0; i < length; ++i) {
            seed = seed * 1103515245u + 12345u;
            text += alphabet[(seed >> 16) % sizeof(alphabet)];
        }
        std::string guarded = text;
        guarded += '\0';
        guarded += "\"GUARD\"";
        SCOPED_TRACE(shown(text.c_str()));
        arg_parser parser;
        parser.parse(guarded.c_str(), round % 2 == 0);
        EXPECT_EQ(parser.program_name.find('"'), std::string::npos);
        EXPECT_EQ(parser.program_name.find("GUARD"), std::string::npos);
        for (const auto& option : parser.option_list) {
            EXPECT_EQ(option.value.find('"'), std::string::npos);
            EXPECT_EQ(option.value.find("GUARD"), std::string::npos);
        }
        for (const auto& argument : parser.positional_args) {
            EXPECT_EQ(argument.find('"'), std::string::npos);
            EXPECT_EQ(argument.find("GUARD"), std::string::npos);
        }
    }
}

} // namespace
