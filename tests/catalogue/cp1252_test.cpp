// Code page 1252: decoding, encoding and capitals.

#include <gtest/gtest.h>

#include <unicode/uchar.h>

#include <string>

#include "cp1252.h"

namespace cp = catalogue::cp1252;

TEST(Cp1252, EveryByteRoundTripsThroughUnicodeAndUtf8)
{
    EXPECT_EQ(cp::toUnicode(0xF1), U'ñ');
    EXPECT_EQ(cp::toUnicode(0x80), U'€');
    EXPECT_EQ(cp::toUnicode(0x9F), U'Ÿ');
    // The five bytes the code page leaves undefined keep their value.
    for (int b : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(cp::toUnicode(static_cast<unsigned char>(b)), static_cast<char32_t>(b));
    std::string all;
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        EXPECT_EQ(cp::fromUnicode(cp::toUnicode(byte)), byte) << b;
        all += static_cast<char>(b);
    }
    EXPECT_EQ(cp::fromUtf8(cp::toUtf8(all)), all);
    EXPECT_EQ(cp::toUtf8("Ag\xFC" "ero \xAA \x80"), "Agüero ª €");
    EXPECT_EQ(cp::fromUtf8("Ólvena ñ €"), std::string("\xD3lvena \xF1 \x80"));
}

TEST(Cp1252, RefusesMalformedOrForeignUtf8)
{
    for (const char* bad : {
             "\xC3",                     // cut sequence
             "abc\xE2\x82",              // cut at the end
             "\xC0\x80",                 // overlong NUL
             "\xE0\x80\x80",             // overlong
             "\xED\xA0\x80",             // surrogate
             "\xF4\x90\x80\x80",         // beyond U+10FFFF
             "\x80",                     // lone continuation byte
             "\xC3\x41",                 // continuation expected
             "\xFF",                     // never in UTF-8
             "\xC4\x80",                 // U+0100, not in the code page
             "\xE2\x80\xBA\xE2\x80\xBB", // › is, ※ is not
             "\xF0\x9F\x98\x80",         // emoji
         })
        EXPECT_FALSE(cp::fromUtf8(bad).has_value()) << bad;
    EXPECT_FALSE(cp::fromUnicode(0x100).has_value());
    EXPECT_FALSE(cp::fromUnicode(0xFFFD).has_value());
}

TEST(Cp1252, CapitalsAgreeWithUnicodeWhereTheCodePageHasThem)
{
    // Each byte's capital is the Unicode simple capital when the code page holds
    // it, else the byte itself (ª, º, ß, µ stay; ÿ → Ÿ, š → Š).
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        const auto capital = static_cast<char32_t>(u_toupper(static_cast<UChar32>(cp::toUnicode(byte))));
        EXPECT_EQ(cp::upper(byte), cp::fromUnicode(capital).value_or(byte)) << "byte " << b;
    }
    EXPECT_EQ(cp::upper(0xFF), 0x9F);
    EXPECT_EQ(cp::upper(0xDF), 0xDF);
    EXPECT_EQ(cp::upper(std::string("Pe\xF1" "a\0b", 6)), std::string("PE\xD1" "A\0B", 6));
}
