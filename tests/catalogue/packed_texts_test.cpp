// Texts back to back and the texts that contain a literal, found first in the
// bytes and then through the index of pairs built at the second search.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "packed_texts.h"

namespace {

using catalogue::PackedTexts;

PackedTexts packed(const std::vector<std::string>& texts)
{
    std::string bytes;
    std::vector<std::uint32_t> ends;
    for (const std::string& text : texts) {
        bytes += text;
        ends.push_back(static_cast<std::uint32_t>(bytes.size()));
    }
    return PackedTexts(std::move(bytes), std::move(ends));
}

std::vector<std::uint32_t> found(PackedTexts& texts, const std::string& x)
{
    std::vector<std::uint32_t> out;
    texts.findContaining(x, out);
    return out;
}

std::vector<std::uint32_t> beginningWith(PackedTexts& texts, const std::string& x)
{
    std::vector<std::uint32_t> out;
    texts.findStartingWith(x, out);
    return out;
}

// Neighbours whose bytes side by side would hold a literal neither holds
// ("ES" "AN", "ASAN" "SA"), empty texts, texts with a pair or a longer
// literal twice, and the capital and small "ñ" of code page 1252 (0xD1,
// 0xF1).
const std::vector<std::string> kTexts = {"SAN JUAN", "", "ASAN", "SA", "NSA", "PE\xD1" "A", "PENA", "\xD1\xD1\xD1",
                                         "ELEL",     "L", "ES", "AN", "",  "\xF1" "a", "LALALA"};

const struct {
    const char* x;
    std::vector<std::uint32_t> texts;
} kCases[] = {
    // One byte.
    {"A", {0, 2, 3, 4, 5, 6, 11, 14}},
    {"L", {8, 9, 14}},
    {"\xD1", {5, 7}},
    {"Z", {}},
    // Two bytes: each text once, however often it holds them.
    {"SA", {0, 2, 3, 4}},
    {"AN", {0, 2, 11}},
    {"EL", {8}},
    {"LE", {8}},    // not across "L" "ES"
    {" ", {0}},
    {"\xD1\xD1", {7}},
    {"\xD1" "A", {5}},
    {"\xF1" "a", {13}},
    {"NA", {6}},
    {"NS", {4}},    // not across "ASAN" "SA"
    {"LA", {14}},
    {"ZZ", {}},
    // Three bytes and more, the rarest pair anywhere in the literal.
    {"SAN", {0, 2}},
    {"NSA", {4}},
    {"ASA", {2}},
    {"E\xD1" "A", {5}},
    {"ELEL", {8}},
    {"ALA", {14}},
    {"LALALA", {14}},
    {"SAN JUAN", {0}},
    {"N J", {0}},
    {"ESA", {}},    // the rarest pair, "ES", at a text's end
    {"ANS", {}},    // the rarest pair, "NS", at a text's start
    {"SANS", {}},
    {"JUANA", {}},
    {"\xD1\xD1\xD1\xD1", {}},
};

TEST(PackedTextsTest, FindsTheTextsThatHoldALiteralWholeWhetherScannedOrIndexed)
{
    for (const auto& c : kCases) {
        PackedTexts texts = packed(kTexts);
        EXPECT_EQ(found(texts, c.x), c.texts) << "scanned: " << c.x;
        EXPECT_EQ(found(texts, c.x), c.texts) << "indexed: " << c.x;
        EXPECT_EQ(found(texts, c.x), c.texts) << "indexed again: " << c.x;
    }
    // One index, built at the second literal, answers all the others.
    PackedTexts texts = packed(kTexts);
    for (int round = 0; round < 2; ++round)
        for (const auto& c : kCases)
            EXPECT_EQ(found(texts, c.x), c.texts) << c.x << " in round " << round;
}

const struct {
    const char* x;
    std::vector<std::uint32_t> texts;
} kBeginnings[] = {
    {"S", {0, 3}},
    {"A", {2, 11}},
    {"\xD1", {7}},
    {"\xF1", {13}},
    {"SA", {0, 3}},
    {"AN", {11}},     // not "SAN JUAN" and "ASAN", which hold it further on
    {"NA", {}},
    {"LA", {14}},
    {"SAN", {0}},
    {"LAL", {14}},
    {"ALA", {}},      // twice in "LALALA", never at its start
    {"SAN J", {0}},   // the rarest pair, " J", four bytes in
    {"SAN JUAN", {0}},
    {"SAN JUANA", {}},
    {"ESA", {}},      // not across "ES" "AN"
    {"\xD1\xD1\xD1", {7}},
    {"\xD1\xD1\xD1\xD1", {}},
};

TEST(PackedTextsTest, FindsTheTextsThatBeginWithALiteralWhetherScannedOrIndexed)
{
    for (const auto& c : kBeginnings) {
        PackedTexts texts = packed(kTexts);
        EXPECT_EQ(beginningWith(texts, c.x), c.texts) << "scanned: " << c.x;
        EXPECT_EQ(beginningWith(texts, c.x), c.texts) << "indexed: " << c.x;
        EXPECT_EQ(beginningWith(texts, c.x), c.texts) << "indexed again: " << c.x;
    }
    // The index built by a search for texts containing a literal serves.
    PackedTexts texts = packed(kTexts);
    found(texts, "SA");
    found(texts, "SA");
    for (const auto& c : kBeginnings)
        EXPECT_EQ(beginningWith(texts, c.x), c.texts) << c.x;
}

TEST(PackedTextsTest, TheTextsFoundAreAddedAfterThoseAlreadyThere)
{
    PackedTexts texts = packed(kTexts);
    for (int round = 0; round < 2; ++round) {
        std::vector<std::uint32_t> out = {99};
        texts.findContaining("SAN", out);
        EXPECT_EQ(out, (std::vector<std::uint32_t>{99, 0, 2})) << round;
    }
}

TEST(PackedTextsTest, TheIndexIsBuiltAtTheSecondSearchOfTwoBytesOrMore)
{
    PackedTexts texts = packed(kTexts);
    EXPECT_EQ(texts.pairIndexBytes(), 0u);
    found(texts, "SA");
    found(texts, "A");
    found(texts, "N");
    EXPECT_EQ(texts.pairIndexBytes(), 0u);
    found(texts, "SAN");
    EXPECT_GT(texts.pairIndexBytes(), 0u);
}

// Texts with no pair of bytes, or none at all, give an empty index that
// finds nothing of two bytes.
TEST(PackedTextsTest, TextsWithoutPairsFindNoLiteralOfTwoBytes)
{
    for (const std::vector<std::string>& texts : {std::vector<std::string>{"", "A", "", "\xD1"}, std::vector<std::string>{}}) {
        PackedTexts packedTexts = packed(texts);
        for (int round = 0; round < 3; ++round) {
            EXPECT_EQ(found(packedTexts, "A\xD1"), (std::vector<std::uint32_t>{})) << round;
            EXPECT_EQ(beginningWith(packedTexts, "A\xD1"), (std::vector<std::uint32_t>{})) << round;
        }
        EXPECT_EQ(found(packedTexts, "A"), (texts.empty() ? std::vector<std::uint32_t>{} : std::vector<std::uint32_t>{1}));
        EXPECT_EQ(beginningWith(packedTexts, "\xD1"),
                  (texts.empty() ? std::vector<std::uint32_t>{} : std::vector<std::uint32_t>{3}));
    }
}

// The index writes how far each text holding a pair is from the previous
// one in a byte, and far ones (255 and more) whole: texts far apart, some
// beyond the first 65,536, are found as near ones are.
TEST(PackedTextsTest, TextsFarApartAreFoundAsNearOnesAre)
{
    const std::vector<std::uint32_t> holders = {0, 254, 508, 763, 1018, 66000, 69999};
    std::vector<std::string> texts(70000, "X");
    for (const std::uint32_t i : holders)
        texts[i] = i % 2 ? "ASAN" : "SAN";
    PackedTexts packedTexts = packed(texts);
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(found(packedTexts, "SAN"), holders) << round;
        EXPECT_EQ(found(packedTexts, "SA"), holders) << round;
        EXPECT_EQ(beginningWith(packedTexts, "SA"), (std::vector<std::uint32_t>{0, 254, 508, 1018, 66000})) << round;
        EXPECT_EQ(found(packedTexts, "XS"), (std::vector<std::uint32_t>{})) << round;
    }
    EXPECT_GT(packedTexts.pairIndexBytes(), 0u);
}

// A text longer than the index can place a pair in leaves the texts
// unindexed, found in the bytes as before; one of kLongestIndexed (256)
// bytes is indexed, and a literal at its very end found.
TEST(PackedTextsTest, LongTextsAreFoundInTheBytes)
{
    PackedTexts indexed = packed({"SA", std::string(253, 'B') + "SAN", "AN"});
    PackedTexts unindexed = packed({"SA", std::string(254, 'B') + "SAN", "AN"});
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(found(indexed, "SAN"), (std::vector<std::uint32_t>{1})) << round;
        EXPECT_EQ(found(indexed, "AN"), (std::vector<std::uint32_t>{1, 2})) << round;
        EXPECT_EQ(found(unindexed, "SAN"), (std::vector<std::uint32_t>{1})) << round;
        EXPECT_EQ(found(unindexed, "AN"), (std::vector<std::uint32_t>{1, 2})) << round;
    }
    EXPECT_GT(indexed.pairIndexBytes(), 0u);
    EXPECT_EQ(unindexed.pairIndexBytes(), 0u);
}

} // namespace
