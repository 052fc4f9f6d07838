#include "filter_lexer.h"

#include <utility>

#include "cp1252.h"
#include "error.h"

namespace catalogue::expression {

void fail(const std::string& message)
{
    throw FilterError(message);
}

std::string quoted(std::string_view cp1252Text)
{
    // Built front to back: prepending to a string makes GCC 12 at -O3 warn
    // (-Wrestrict) about a memmove it cannot prove is safe.
    std::string out = "'";
    out += cp1252::toUtf8(cp1252Text);
    out += '\'';
    return out;
}

namespace {

constexpr std::size_t kLiteralLimit = 255;

bool startsName(unsigned char c)
{
    return isLetter(c) || c == '_' || (c >= 0x81 && c <= 0xFE);
}
bool continuesName(unsigned char c)
{
    return isLetter(c) || isDigit(c) || c == '_' || c == '.' || c == '[' || c == ']';
}

} // namespace

Token Lexer::next()
{
    skipBlanks();
    Token t;
    if (pos_ >= text_.size())
        return t;
    const auto c = static_cast<unsigned char>(text_[pos_]);
    if (startsName(c)) {
        const std::size_t start = pos_++;
        while (pos_ < text_.size() && continuesName(static_cast<unsigned char>(text_[pos_])))
            ++pos_;
        t.text = std::string(text_.substr(start, pos_ - start));
        t.kind = keyword(t.text);
        return t;
    }
    if (isDigit(c)) {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && isDigit(static_cast<unsigned char>(text_[pos_])))
            ++pos_;
        if (pos_ + 1 < text_.size() && text_[pos_] == '.' && isDigit(static_cast<unsigned char>(text_[pos_ + 1]))) {
            ++pos_;
            while (pos_ < text_.size() && isDigit(static_cast<unsigned char>(text_[pos_])))
                ++pos_;
        }
        t.kind = Tok::Number;
        t.text = std::string(text_.substr(start, pos_ - start));
        return t;
    }
    switch (c) {
    case '\'': return literal();
    case '[': {
        const std::size_t close = text_.find(']', pos_ + 1);
        if (close == std::string_view::npos)
            fail("Nombre de campo incompleto");
        t.kind = Tok::Field;
        t.text = std::string(text_.substr(pos_ + 1, close - pos_ - 1));
        pos_ = close + 1;
        return t;
    }
    case '(': return single(Tok::LParen);
    case ')': return single(Tok::RParen);
    case ',': return single(Tok::Comma);
    case '=': return single(Tok::Eq);
    case '+': return single(Tok::Plus);
    case '-': return single(Tok::Minus);
    case '*': return single(Tok::Star);
    case '/': return single(Tok::Slash);
    case '<':
        if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '>')
            return pair(Tok::Ne);
        if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '=')
            return pair(Tok::Le);
        return single(Tok::Lt);
    case '>':
        if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '=')
            return pair(Tok::Ge);
        return single(Tok::Gt);
    default:
        // A NUL byte cannot stand in a message: it is written #0.
        fail("Carácter '" + (c == 0 ? std::string("#0") : cp1252::toUtf8(text_.substr(pos_, 1)))
             + "' inválido en una expresión de filtro");
    }
}

// Bytes 1 to 32 separate tokens; "/*" up to "*/" is a comment (one left
// open runs to the end of the text).
void Lexer::skipBlanks()
{
    for (;;) {
        while (pos_ < text_.size() && text_[pos_] >= 1 && text_[pos_] <= 32)
            ++pos_;
        if (text_.substr(pos_, 2) != "/*")
            return;
        const std::size_t end = text_.find("*/", pos_ + 2);
        pos_ = end == std::string_view::npos ? text_.size() : end + 2;
    }
}

Tok Lexer::keyword(std::string_view word)
{
    static constexpr std::pair<std::string_view, Tok> kWords[] = {
        {"AND", Tok::And}, {"OR", Tok::Or}, {"NOT", Tok::Not},
        {"LIKE", Tok::Like}, {"IS", Tok::Is}, {"NULL", Tok::Null},
    };
    // Most names are fields and functions, longer than any keyword.
    if (word.size() > 4)
        return Tok::Name;
    for (const auto& [spelling, kind] : kWords)
        if (cp1252::equalIgnoringCase(word, spelling))
            return kind;
    return Tok::Name;
}

// A quoted literal: '' stands for one quote; only the first 255
// characters count.
Token Lexer::literal()
{
    Token t;
    t.kind = Tok::String;
    ++pos_;
    for (;;) {
        if (pos_ >= text_.size())
            fail("Constante de cadena incompleta");
        const char c = text_[pos_++];
        if (c == '\'') {
            if (pos_ >= text_.size() || text_[pos_] != '\'')
                return t;
            ++pos_;
        }
        if (t.text.size() < kLiteralLimit)
            t.text += c;
    }
}

Token Lexer::single(Tok kind)
{
    Token t{kind, std::string(text_.substr(pos_, 1))};
    ++pos_;
    return t;
}

Token Lexer::pair(Tok kind)
{
    Token t{kind, std::string(text_.substr(pos_, 2))};
    pos_ += 2;
    return t;
}

} // namespace catalogue::expression
