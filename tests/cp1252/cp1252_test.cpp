// Code page 1252: decoding, encoding and capitals.

#include <gtest/gtest.h>

#include <unicode/uchar.h>

#include <string>

#include "cp1252.h"

namespace cp = catalogue::cp1252;

TEST(Cp1252, EveryByteRoundTripsAndForeignTextIsRefused)
{
    EXPECT_EQ(cp::toUnicode(0xF1), U'ñ');
    EXPECT_EQ(cp::toUnicode(0x80), U'€');
    EXPECT_EQ(cp::toUnicode(0x9F), U'Ÿ');
    for (int b : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) // undefined in the code page: kept
        EXPECT_EQ(cp::toUnicode(static_cast<unsigned char>(b)), static_cast<char32_t>(b));
    std::string all;
    for (int b = 0; b < 256; ++b) {
        EXPECT_EQ(cp::fromUnicode(cp::toUnicode(static_cast<unsigned char>(b))), static_cast<unsigned char>(b)) << b;
        all += static_cast<char>(b);
    }
    EXPECT_EQ(cp::fromUtf8(cp::toUtf8(all)), all);
    EXPECT_EQ(cp::toUtf8("Ag\xFC" "ero \xAA \x80"), "Agüero ª €");
    EXPECT_EQ(cp::fromUtf8("Ólvena ñ €"), std::string("\xD3lvena \xF1 \x80"));

    // Cut, overlong, surrogate, beyond U+10FFFF, lone continuation, continuation
    // expected, never UTF-8, U+0100, "›" then "※", an emoji.
    for (const char* bad : {"\xC3", "abc\xE2\x82", "\xC0\x80", "\xE0\x80\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                            "\x80", "\xC3\x41", "\xFF", "\xC4\x80", "\xE2\x80\xBA\xE2\x80\xBB", "\xF0\x9F\x98\x80"})
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
