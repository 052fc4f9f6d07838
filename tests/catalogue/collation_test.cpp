// The table locale's comparison and the order of a view.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <numeric>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "collation.h"
#include "cp1252.h"
#include "cp1252_text.h"
#include "table.h"

using namespace catalogue;

namespace {

int sign(int v)
{
    return (v > 0) - (v < 0);
}

int keyOrder(const std::string& a, const std::string& b)
{
    return sign(a.compare(b));
}

class SpanishOrder : public ::testing::Test {
protected:
    // a sorts strictly before b, by compare() and by the sort keys alike.
    void expectBefore(const char* a, const char* b)
    {
        const std::string ca = cp(a);
        const std::string cb = cp(b);
        EXPECT_LT(collation_.compare(ca, cb), 0) << a << " < " << b;
        EXPECT_GT(collation_.compare(cb, ca), 0) << b << " > " << a;
        EXPECT_LT(keyOrder(collation_.sortKey(ca), collation_.sortKey(cb)), 0) << a << " < " << b << " (keys)";
    }

    Collation collation_{kSpanishTraditional};
};

TEST_F(SpanishOrder, ChAndLlAreLettersOfTheirOwn)
{
    expectBefore("Cutanda", "Chalamera");
    expectBefore("Czuk", "Chalamera");
    expectBefore("Chalamera", "Dos");
    expectBefore("Luzas", "Lledo");
    expectBefore("Lzz", "Lledo");
    expectBefore("Lledo", "Ma");
    expectBefore("Acumuer", "Acha");
    expectBefore("Calzada", "Calle");
}

TEST_F(SpanishOrder, EnyeComesAfterN)
{
    expectBefore("Pena", "Peña");
    expectBefore("Penz", "Peñalba");
    expectBefore("Peñalba", "Peoz");
    expectBefore("Nuz", "Ñu");
}

TEST_F(SpanishOrder, LettersThenAccentsThenCase)
{
    expectBefore("Abalos", "Ábalos");  // accent decides only when letters are equal
    expectBefore("Ábalos", "Abalosa"); // letters first
    expectBefore("abay", "Abay");      // case last
    expectBefore("Abay", "abaz");
    expectBefore("Ábay", "abaz");
    expectBefore("Guesa", "Güesa"); // ü differs from u at the accent level only
    expectBefore("Güesa", "Guesb");
    expectBefore("Sandinies", "Sandiniés");
}

TEST_F(SpanishOrder, HyphensCountOnlyWhenAllElseIsEqual)
{
    expectBefore("Fuenferrada", "Fuen-Santa (La)");
    expectBefore("Fuen-Santa (La)", "Fuenserrada");
    expectBefore("Villa-Mayor", "Villanueva");
    // Otherwise equal texts: the hyphen decides, and both ways agree.
    const std::string a = "Fuen-Santa";
    const std::string b = "FuenSanta";
    EXPECT_NE(collation_.compare(a, b), 0);
    EXPECT_EQ(sign(collation_.compare(a, b)), keyOrder(collation_.sortKey(a), collation_.sortKey(b)));
}

TEST_F(SpanishOrder, SpacePunctuationDigitsLetters)
{
    expectBefore("San Juan", "Sanabria");
    expectBefore("Tramo (El)", "Tramo 1");
    expectBefore("Tramo 1", "Tramo,");
    expectBefore("Tramo,", "Tramo1");
    expectBefore("Tramo.", "Tramo1");
    expectBefore("Tramo 1", "Tramo 2");
    expectBefore("Tramo 2", "Tramo A");
    expectBefore("Tramo 2", "TramoA");
    expectBefore("Sector 1", "Sector 1.");
}

TEST_F(SpanishOrder, PrefixSortsFirstAndEqualTextsAreEqual)
{
    expectBefore("San", "San Esteban");
    expectBefore("", "A");
    expectBefore("Peña", "Peña (La)");
    EXPECT_EQ(collation_.compare("Abay", "Abay"), 0);
    EXPECT_EQ(collation_.compare("", ""), 0);
    EXPECT_EQ(collation_.sortKey(cp("Peña")), collation_.sortKey(cp("Peña")));
}

TEST_F(SpanishOrder, CompareAgreesWithSortKeys)
{
    const char* pool[] = {"Abay", "abay", "Ábay", "Aba-y", "Ab-ay", "Aba y", "Chalamera", "Cutanda", "Calle",
                          "Lledo", "Luzas", "Peña", "Pena", "PEÑA", "Güesa", "Guesa", "Fuen-Santa (La)",
                          "Fuenferrada", "Fuen Santa", "1900", "Tramo 1", "Tramo (El)", "", "-", "--", "ª",
                          "Hostal", "El Ciervo", "Sancho", "Sanchez", "Sanz"};
    for (const char* a : pool)
        for (const char* b : pool) {
            const std::string ca = cp(a);
            const std::string cb = cp(b);
            const int c = sign(collation_.compare(ca, cb));
            EXPECT_EQ(c, keyOrder(collation_.sortKey(ca), collation_.sortKey(cb))) << a << " vs " << b;
            EXPECT_EQ(c, -sign(collation_.compare(cb, ca))) << a << " vs " << b;
            EXPECT_EQ(c == 0, std::string(a) == b) << a << " vs " << b;
        }
}

TEST(Collation, UnknownLocaleUsesTheRootOrder)
{
    Collation root(0x0409);
    // No "ch" letter there.
    EXPECT_LT(root.compare("Chalamera", "Cutanda"), 0);
    EXPECT_LT(root.compare("Lledo", "Luzas"), 0);
    Collation spanish(kSpanishTraditional);
    EXPECT_GT(spanish.compare("Chalamera", "Cutanda"), 0);
}

// ---------------------------------------------------------------- orderBy

Table nameTable(const std::vector<std::optional<std::string>>& names)
{
    Table table({{"IDENT", FieldKind::String, 5}, {"NOMBREBUSC", FieldKind::String, 46}}, kSpanishTraditional);
    int n = 0;
    for (const auto& name : names)
        table.addRecord({std::to_string(++n), name});
    return table;
}

// The ordering procedure written out as it reads, with A[1..n] and the
// comparison of the texts themselves.
std::vector<std::uint32_t> transcription(const std::vector<std::optional<std::string>>& values, const Collation& coll)
{
    const std::size_t n = values.size();
    std::vector<std::uint32_t> A(n + 2);
    for (std::size_t k = 1; k <= n; ++k)
        A[k] = static_cast<std::uint32_t>(k - 1);
    auto Compare = [&](std::uint32_t a, std::uint32_t b) {
        const auto& x = values[a];
        const auto& y = values[b];
        if (!x || !y)
            return int(bool(x)) - int(bool(y));
        return coll.compare(*x, *y);
    };
    std::function<void(std::size_t, std::size_t)> sort = [&](std::size_t lo, std::size_t hi) {
        for (;;) {
            const std::size_t mid = lo + (hi - lo) / 2;
            if (Compare(A[lo], A[hi]) > 0)
                std::swap(A[lo], A[hi]);
            if (Compare(A[mid], A[lo]) > 0) {
                std::swap(A[lo], A[mid]);
                if (Compare(A[lo], A[hi]) > 0)
                    std::swap(A[lo], A[hi]);
            }
            const std::uint32_t p = A[lo];
            std::size_t i = lo, j = hi + 1;
            for (;;) {
                ++i;
                while (Compare(A[i], p) < 0)
                    ++i;
                --j;
                while (Compare(p, A[j]) < 0)
                    --j;
                if (i < j)
                    std::swap(A[i], A[j]);
                else
                    break;
            }
            std::swap(A[lo], A[j]);
            const std::size_t left = j - lo, right = hi - j;
            if (right >= left) {
                if (left > 10) {
                    sort(lo, j - 1);
                    lo = j + 1;
                } else if (right > 10) {
                    lo = j + 1;
                } else {
                    return;
                }
            } else {
                if (right > 10) {
                    sort(j + 1, hi);
                    hi = j - 1;
                } else if (left > 10) {
                    hi = j - 1;
                } else {
                    return;
                }
            }
        }
    };
    if (n > 10)
        sort(1, n);
    for (std::size_t i = 2; i <= n; ++i) {
        if (Compare(A[i - 1], A[i]) > 0) {
            const std::uint32_t x = A[i];
            std::size_t j = i - 1;
            while (j >= 1 && Compare(A[j], x) > 0) {
                A[j + 1] = A[j];
                --j;
            }
            A[j + 1] = x;
        }
    }
    return std::vector<std::uint32_t>(A.begin() + 1, A.begin() + 1 + static_cast<std::ptrdiff_t>(n));
}

std::vector<std::uint32_t> iota(std::size_t n)
{
    std::vector<std::uint32_t> v(n);
    std::iota(v.begin(), v.end(), 0u);
    return v;
}

TEST(OrderBy, SortsByTheTableLocaleWithNullFirst)
{
    const Collation coll(kSpanishTraditional);
    const std::vector<std::optional<std::string>> names = {
        "Lledo", "Chalamera", "Cutanda", "Luzas", std::nullopt, "Fuen-Santa (La)", "Fuenferrada", cp("Peña"), "Pena",
        "Abay", "abay", "Zuera"};
    const Table table = nameTable(names);
    std::vector<std::string> ordered;
    for (std::uint32_t r : orderBy(table, 1, coll))
        ordered.push_back(table.isNull(r, 1) ? "<null>" : cp1252::toUtf8(table.text(r, 1)));
    EXPECT_EQ(ordered, (std::vector<std::string>{"<null>", "abay", "Abay", "Cutanda", "Chalamera", "Fuenferrada",
                                                 "Fuen-Santa (La)", "Luzas", "Lledo", "Pena", "Peña", "Zuera"}));
}

TEST(OrderBy, EqualValuesEndWhereTheProcedurePutsThem)
{
    const Collation coll(kSpanishTraditional);
    // Ten records or fewer: only the insertion pass, which keeps stored order.
    EXPECT_EQ(orderBy(nameTable(std::vector<std::optional<std::string>>(10, "Biel")), 1, coll), iota(10));
    EXPECT_EQ(orderBy(nameTable({}), 1, coll), iota(0));
    EXPECT_EQ(orderBy(nameTable({"Used"}), 1, coll), iota(1));
    // Eleven equal records: one partition swaps the ends inwards and the
    // pivot goes to the middle.
    EXPECT_EQ(orderBy(nameTable(std::vector<std::optional<std::string>>(11, "Biel")), 1, coll),
              (std::vector<std::uint32_t>{6, 10, 9, 8, 7, 0, 5, 4, 3, 2, 1}));
}

TEST(OrderBy, MatchesTheProcedureOnRandomCatalogues)
{
    const Collation coll(kSpanishTraditional);
    const std::vector<std::optional<std::string>> few = {"Biel", "Used", cp("Peña"), "Pena", "Chalamera"};
    const std::vector<std::optional<std::string>> many = {
        "Biel", "Used", cp("Peña"), "Pena", "Chalamera", "Cutanda", "Lledo", "Luzas", "Fuen-Santa (La)",
        "Fuenferrada", "FuenSanta (La)", "Abay", "abay", cp("Ábay"), std::nullopt, "San Juan", "Sanabria",
        "San", "Tramo 1", "Tramo (El)", cp("Güesa"), "Guesa"};
    std::mt19937 rng(1034);
    for (std::size_t n : {0u, 1u, 2u, 5u, 10u, 11u, 12u, 21u, 22u, 23u, 50u, 100u, 1000u, 5026u}) {
        for (const auto* pool : {&few, &many}) {
            for (int round = 0; round < 3; ++round) {
                std::vector<std::optional<std::string>> values(n);
                std::uniform_int_distribution<std::size_t> pick(0, pool->size() - 1);
                for (auto& v : values)
                    v = (*pool)[pick(rng)];
                // Some already ordered or reversed runs, as real catalogues have.
                if (round == 1)
                    std::sort(values.begin(), values.end(), [&](const auto& a, const auto& b) {
                        return (!a && b) || (a && b && coll.compare(*a, *b) < 0);
                    });
                if (round == 2)
                    std::reverse(values.begin(), values.end());
                const auto expected = transcription(values, coll);
                const auto actual = orderBy(nameTable(values), 1, coll);
                ASSERT_EQ(actual, expected) << "n = " << n << ", round " << round;
                for (std::size_t k = 1; k < n; ++k) {
                    const auto& a = values[actual[k - 1]];
                    const auto& b = values[actual[k]];
                    ASSERT_TRUE(!a || (b && coll.compare(*a, *b) <= 0)) << "not ordered at " << k;
                }
            }
        }
    }
}

TEST(OrderBy, TheOrderIsNotStable)
{
    // The procedure does not keep stored order among equal names; a stable
    // sort would, and the lists would then show a different order.
    const Collation coll(kSpanishTraditional);
    std::vector<std::optional<std::string>> values;
    for (int i = 0; i < 40; ++i)
        values.push_back(i % 2 ? "Biel" : "Used");
    const auto actual = orderBy(nameTable(values), 1, coll);
    std::vector<std::uint32_t> stable = iota(values.size());
    std::stable_sort(stable.begin(), stable.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return coll.compare(*values[a], *values[b]) < 0; });
    EXPECT_NE(actual, stable);
    EXPECT_EQ(actual, transcription(values, coll));
}

} // namespace
