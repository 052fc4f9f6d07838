#pragma once
// The tokens of the filter language and the lexer that reads them, with the
// failure that every stage of compiling a filter reports through. Internal to
// the filter (filter.h is its public face).

#include <cstddef>
#include <string>
#include <string_view>

namespace catalogue::expression {

// Throws FilterError with the message.
[[noreturn]] void fail(const std::string& message);

// A cp1252 text between single quotes, in UTF-8, as the messages quote it.
std::string quoted(std::string_view cp1252Text);

enum class Tok {
    End,
    Name,    // field or function name, as written
    Field,   // a name in square brackets
    String,  // quoted literal, quotes undone
    Number,
    LParen,
    RParen,
    Comma,
    Eq,
    Ne,
    Lt,
    Gt,
    Le,
    Ge,
    Plus,
    Minus,
    Star,
    Slash,
    And,
    Or,
    Not,
    Like,
    Is,
    Null,
};

struct Token {
    Tok kind = Tok::End;
    std::string text; // cp1252: the name, the literal's value or the operator
};

inline bool isLetter(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
inline bool isDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}

// Reads one token at a time, only when the parser asks for the next one, so
// that an error further on in the text cannot hide the first one. Fails (see
// fail) on a character that starts no token, an unclosed literal or an
// unclosed field name in brackets.
class Lexer {
public:
    explicit Lexer(std::string_view text) : text_(text) {}

    Token next();

private:
    void skipBlanks();
    static Tok keyword(std::string_view word);
    Token literal();
    Token single(Tok kind);
    Token pair(Tok kind);

    std::string_view text_;
    std::size_t pos_ = 0;
};

} // namespace catalogue::expression
