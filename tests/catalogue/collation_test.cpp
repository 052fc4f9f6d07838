// The table locale's comparison and the order of a view.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "collation.h"
#include "cp1252.h"
#include "cp1252_text.h"
#include "table.h"

using namespace catalogue;

namespace {

TEST(SpanishOrder, EachPairSortsFirstBySecondByCompareAndBySortKeys)
{
    const Collation collation(kSpanishTraditional);
    const std::pair<const char*, const char*> pairs[] = {
        // "ch" and "ll" are letters of their own, after "c" and "l".
        {"Cutanda", "Chalamera"}, {"Chalamera", "Dos"}, {"Luzas", "Lledo"}, {"Lledo", "Ma"}, {"Calzada", "Calle"},
        // "ñ" after "n".
        {"Pena", "Peña"}, {"Penz", "Peñalba"}, {"Nuz", "Ñu"},
        // Letters, then accents (ü included), then case.
        {"Abalos", "Ábalos"}, {"Ábalos", "Abalosa"}, {"abay", "Abay"}, {"Abay", "abaz"}, {"Güesa", "Guesb"},
        // Hyphens only when all else is equal.
        {"Fuenferrada", "Fuen-Santa (La)"}, {"Fuen-Santa (La)", "Fuenserrada"}, {"Fuen-Santa", "FuenSanta"},
        // Space and punctuation, then digits, then letters; a prefix first.
        {"San Juan", "Sanabria"}, {"Tramo (El)", "Tramo 1"}, {"Tramo 1", "Tramo,"}, {"Tramo,", "Tramo1"},
        {"Tramo 2", "Tramo A"}, {"San", "San Esteban"}, {"", "A"},
    };
    for (const auto& [utf8a, utf8b] : pairs) {
        const std::string a = cp(utf8a);
        const std::string b = cp(utf8b);
        EXPECT_LT(collation.compare(a, b), 0) << utf8a << " < " << utf8b;
        EXPECT_GT(collation.compare(b, a), 0) << utf8b << " > " << utf8a;
        EXPECT_LT(collation.sortKey(a), collation.sortKey(b)) << utf8a << " < " << utf8b << " (keys)";
    }
    EXPECT_EQ(collation.compare("Abay", "Abay"), 0);

    // A locale we do not know has no "ch" letter.
    const Collation root(0x0409);
    EXPECT_LT(root.compare("Chalamera", "Cutanda"), 0);
    EXPECT_LT(root.compare("Lledo", "Luzas"), 0);
}

// ---------------------------------------------------------------- orderBy

using Names = std::vector<std::optional<std::string>>;

Table nameTable(const Names& names)
{
    Table table({{"IDENT", FieldKind::String, 5}, {"NOMBREBUSC", FieldKind::String, 46}}, kSpanishTraditional);
    int n = 0;
    for (const auto& name : names)
        table.addRecord({std::to_string(++n), name});
    return table;
}

TEST(OrderBy, SortsByTheTableLocaleWithNullFirst)
{
    const Collation coll(kSpanishTraditional);
    const Table table = nameTable({"Lledo", "Chalamera", "Cutanda", "Luzas", std::nullopt, "Fuen-Santa (La)",
                                   "Fuenferrada", cp("Peña"), "Pena", "Abay", "abay", "Zuera"});
    std::vector<std::string> ordered;
    for (std::uint32_t r : orderBy(table, 1, coll))
        ordered.push_back(table.isNull(r, 1) ? "<null>" : cp1252::toUtf8(table.text(r, 1)));
    EXPECT_EQ(ordered, (std::vector<std::string>{"<null>", "abay", "Abay", "Cutanda", "Chalamera", "Fuenferrada",
                                                 "Fuen-Santa (La)", "Luzas", "Lledo", "Pena", "Peña", "Zuera"}));
}

Names repeated(int n, const char* name)
{
    return Names(static_cast<std::size_t>(n), std::string(name));
}

TEST(OrderBy, EqualNamesEndWhereTheProcedurePutsThem)
{
    // Records r0..r(n-1) in stored order; the expected order of each case was
    // worked out by hand, following the quicksort and then the insertion pass.
    Names alternating; // Used, Biel, Used, Biel, ...: 7 + 7 equal names
    for (int i = 0; i < 14; ++i)
        alternating.push_back(i % 2 ? "Biel" : "Used");
    Names biels = repeated(11, "Biel"); // Used, 11 × Biel, Abay
    biels.insert(biels.begin(), "Used");
    biels.push_back("Abay");
    Names used = repeated(13, "Biel"); // 11 × Biel, Used in the middle, Abay at r11
    used[6] = "Used";
    used[11] = "Abay";
    const std::pair<Names, std::vector<std::uint32_t>> cases[] = {
        // Ten records or fewer: only the insertion pass, which keeps stored order.
        {repeated(10, "Biel"), {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
        // The pivot r0 stays put; the partition swaps the pairs (2,n) (3,n-1) ...
        // inwards until i and j meet, then the pivot goes to j.
        {repeated(11, "Biel"), {6, 10, 9, 8, 7, 0, 5, 4, 3, 2, 1}},
        // Median of three: Used↔Abay, then Biel (mid, r6) becomes the pivot;
        // the Biels swap inwards, Abay ends at the front, Used at the back.
        {biels, {12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}},
        // Median of three: Used (mid) goes to the front and then on to the end,
        // so the pivot is the Biel r12; the partition swaps Abay to the second
        // place and the pivot to the middle; the insertion pass puts Abay first.
        {used, {11, 0, 10, 9, 8, 7, 12, 5, 4, 3, 2, 1, 6}},
        // Pivot Used (r6); one partition leaves 1..10 unsorted, and the
        // insertion pass moves each Biel in turn behind the Biels before it.
        {alternating, {1, 3, 5, 13, 7, 11, 9, 10, 0, 12, 6, 8, 4, 2}},
        // 24: parts of 12 and 11 records, each sorted again as above.
        {repeated(24, "Biel"),
         {18, 13, 14, 15, 16, 17, 12, 19, 20, 21, 22, 23, 0, 5, 1, 2, 3, 4, 11, 6, 7, 8, 9, 10}},
    };
    const Collation coll(kSpanishTraditional);
    for (const auto& [names, expected] : cases)
        EXPECT_EQ(orderBy(nameTable(names), 1, coll), expected) << names.size() << " records";
}

} // namespace
