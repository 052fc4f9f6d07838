// Code page 1252: decoding, encoding and capitals.

#include <gtest/gtest.h>

#include <unicode/uchar.h>

#include <string>

#include "cp1252.h"

namespace cp = catalogue::cp1252;

TEST(Cp1252, DecodesTheLettersOfTheCatalogue)
{
    EXPECT_EQ(cp::toUnicode(0xF1), U'ñ');
    EXPECT_EQ(cp::toUnicode(0xD1), U'Ñ');
    EXPECT_EQ(cp::toUnicode(0xFC), U'ü');
    EXPECT_EQ(cp::toUnicode(0xAA), U'ª');
    EXPECT_EQ(cp::toUnicode(0xE1), U'á');
    EXPECT_EQ(cp::toUnicode(0x80), U'€');
    EXPECT_EQ(cp::toUnicode(0x9F), U'Ÿ');
    EXPECT_EQ(cp::toUnicode(0x8A), U'Š');
    EXPECT_EQ(cp::toUnicode(0x41), U'A');
    EXPECT_EQ(cp::toUnicode(0x00), U'\0');
    // The five bytes the code page leaves undefined keep their value.
    for (int b : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(cp::toUnicode(static_cast<unsigned char>(b)), static_cast<char32_t>(b));
}

TEST(Cp1252, EveryByteRoundTrips)
{
    std::string all;
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        EXPECT_EQ(cp::fromUnicode(cp::toUnicode(byte)), byte) << b;
        all += static_cast<char>(b);
    }
    const std::string utf8 = cp::toUtf8(all);
    EXPECT_EQ(cp::fromUtf8(utf8), all);
}

TEST(Cp1252, Utf8OfNames)
{
    EXPECT_EQ(cp::toUtf8("Pe\xF1"
                         "alba"),
              "Peñalba");
    EXPECT_EQ(cp::toUtf8("Ag\xFC"
                         "ero \xAA \x80"),
              "Agüero ª €");
    EXPECT_EQ(cp::fromUtf8("Ólvena ñ €"), std::string("\xD3lvena \xF1 \x80"));
    EXPECT_EQ(cp::fromUtf8(""), std::string());
    EXPECT_EQ(cp::toUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Cp1252, RefusesMalformedOrForeignUtf8)
{
    for (const char* bad : {
             "\xC3",             // cut sequence
             "abc\xE2\x82",      // cut at the end
             "\xC0\x80",         // overlong NUL
             "\xC1\xBF",         // overlong
             "\xE0\x80\x80",     // overlong
             "\xED\xA0\x80",     // surrogate
             "\xF4\x90\x80\x80", // beyond U+10FFFF
             "\x80",             // lone continuation byte
             "\xC3\x41",         // continuation expected
             "\xFF",             // never in UTF-8
             "\xC4\x80",         // U+0100, not in the code page
             "\xE2\x80\xBA\xE2\x80\xBB", // › is, ※ is not
             "\xF0\x9F\x98\x80", // emoji
         })
        EXPECT_FALSE(cp::fromUtf8(bad).has_value()) << bad;
    EXPECT_FALSE(cp::fromUnicode(0x100).has_value());
    EXPECT_FALSE(cp::fromUnicode(0xFFFD).has_value());
    EXPECT_EQ(cp::fromUnicode(0x203A), 0x9B);
}

TEST(Cp1252, Capitals)
{
    EXPECT_EQ(cp::upper("Pe\xF1"
                        "alba"),
              "PE\xD1"
              "ALBA");
    EXPECT_EQ(cp::upper("ag\xFC"
                        "ero"),
              "AG\xDC"
              "ERO");
    EXPECT_EQ(cp::upper(0xAA), 0xAA); // ª stays
    EXPECT_EQ(cp::upper(0xBA), 0xBA); // º stays
    EXPECT_EQ(cp::upper(0xF7), 0xF7); // ÷ stays
    EXPECT_EQ(cp::upper(0xDF), 0xDF); // ß stays
    EXPECT_EQ(cp::upper(0xB5), 0xB5); // µ stays
    EXPECT_EQ(cp::upper(0xFF), 0x9F); // ÿ → Ÿ
    EXPECT_EQ(cp::upper(0x9A), 0x8A); // š → Š
    EXPECT_EQ(cp::upper(0x9C), 0x8C); // œ → Œ
    EXPECT_EQ(cp::upper(0x9E), 0x8E); // ž → Ž
    EXPECT_EQ(cp::upper(0xE1), 0xC1); // á → Á
    EXPECT_EQ(cp::upper(0xFE), 0xDE); // þ → Þ
    EXPECT_EQ(cp::upper('z'), 'Z');
    EXPECT_EQ(cp::upper('{'), '{');
    EXPECT_EQ(cp::upper('%'), '%');
    EXPECT_EQ(cp::upper(std::string("a\0b", 3)), std::string("A\0B", 3));
}

TEST(Cp1252, CapitalsAgreeWithUnicodeWhereTheCodePageHasThem)
{
    // Each byte's capital is the Unicode simple capital when the code page holds
    // it, else the byte itself.
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        const auto capital = static_cast<char32_t>(u_toupper(static_cast<UChar32>(cp::toUnicode(byte))));
        const unsigned char expected = cp::fromUnicode(capital).value_or(byte);
        EXPECT_EQ(cp::upper(byte), expected) << "byte " << b;
        EXPECT_EQ(cp::upper(cp::upper(byte)), cp::upper(byte)) << "byte " << b;
    }
}
