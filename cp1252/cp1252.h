#pragma once
// Code page 1252: the one character set of the catalogue. Text inside the
// catalogue layer is kept as cp1252 bytes in std::string; conversion to Unicode
// happens only at the edges (tool output, Qt strings).
//
// A library of its own (no dependencies) so that the Rich Text library and the
// windows' edge can link it without the catalogue; the namespace is still the
// catalogue's, whose texts it encodes.

#include <optional>
#include <string>
#include <string_view>

namespace catalogue::cp1252 {

// The Unicode character of a byte. The five bytes that cp1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of the same value.
char32_t toUnicode(unsigned char byte);

// The byte of a Unicode character, or nothing when cp1252 cannot hold it.
std::optional<unsigned char> fromUnicode(char32_t ch);

std::string toUtf8(std::string_view cp1252);

// Nothing when the UTF-8 is malformed or holds a character cp1252 cannot hold.
std::optional<std::string> fromUtf8(std::string_view utf8);

// Capital of a character by code page 1252: a-z, à-þ except ÷, ÿ→Ÿ, š→Š,
// œ→Œ, ž→Ž; every other byte unchanged.
unsigned char upper(unsigned char byte);
std::string upper(std::string_view cp1252);

// The text with the acute accents removed from the vowels (á é í ó ú Á É Í Ó Ú
// become a e i o u A E I O U); "ñ", "ü" and every other byte stay.
std::string withoutAcuteAccents(std::string_view cp1252);

// Equal but for letter case (by upper above), as field names and keywords compare.
bool equalIgnoringCase(std::string_view a, std::string_view b);

} // namespace catalogue::cp1252
