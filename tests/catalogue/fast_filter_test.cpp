// The filters the window builds are answered from the store's indexes; on
// random catalogues and filters of those shapes a view must hold exactly the
// records, in exactly the order, that the general evaluator lets through.
#include <gtest/gtest.h>

#include <numeric>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "collation.h"
#include "filter.h"
#include "packet.h"
#include "search.h"
#include "view.h"

namespace {

using catalogue::View;
using Value = std::optional<std::string>;

// Texts the table locale calls equal to "2" (ignorable controls and the soft
// hyphen), and others that are not ("2-", "02", "2 "), beside the kinds.
const std::vector<Value> kKinds = {"2", "3", "4", "2\x01", "\x7F" "2", "2\xAD", "\x81" "2", "2-", "02", "2 ", "", "a",
                                   "A", std::nullopt};
const std::vector<Value> kIdents = {"20001", "20002", "30001", "20001\xAD", "0", "", std::nullopt};
// Letters in both cases, with and without accents, and the like operator's
// own characters.
const std::string kAlphabet = "aAsSnN\xF1\xD1\xE1\xC1\xFC _%\\-\xAD";

struct Case {
    std::string filter;
    bool recognised; // taken from the indexes
};

std::string randomText(std::mt19937& rng, int maxLength)
{
    std::string s(std::uniform_int_distribution<int>(0, maxLength)(rng), ' ');
    for (char& c : s)
        c = kAlphabet[std::uniform_int_distribution<std::size_t>(0, kAlphabet.size() - 1)(rng)];
    return s;
}

template <class T>
const T& pick(std::mt19937& rng, const std::vector<T>& from)
{
    return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(rng)];
}

// A name: random letters, often with an article (or another word) behind
// in parentheses, some only an article.
Value randomName(std::mt19937& rng)
{
    static const std::vector<std::string> kBehind = {" (La)", " (EL)", " (los)", " (Las)", " (Els)", " (Caserio)",
                                                     " (La", "(La)", ""};
    switch (rng() % 10) {
    case 0: return std::nullopt;
    case 1: return pick(rng, kBehind);
    case 2:
    case 3:
    case 4: return randomText(rng, 6) + pick(rng, kBehind);
    default: return randomText(rng, 6);
    }
}

std::string randomPacket(std::mt19937& rng, int records)
{
    catalogue::Table table({{"IDENT", catalogue::FieldKind::String, 9},
                            {"TIPONUM", catalogue::FieldKind::String, 9},
                            {"NOMBREBUSC", catalogue::FieldKind::String, 20}},
                           catalogue::kSpanishTraditional);
    for (int r = 0; r < records; ++r)
        table.addRecord({pick(rng, kIdents), pick(rng, kKinds), randomName(rng)});
    return catalogue::writePacket(table);
}

// A like pattern, mostly "%x%", with articles and the pattern characters.
std::string randomPattern(std::mt19937& rng)
{
    static const std::vector<std::string> kStarts = {"", "LA ", "EL ", "LOS ", "ELS ", "la ", "L", "A (L", ")"};
    if (rng() % 4 == 0)
        return randomText(rng, 5);
    const std::string& start = pick(rng, kStarts);
    return "%" + start + randomText(rng, 2) + "%";
}

std::string randomFilter(std::mt19937& rng)
{
    static const std::vector<std::string> kConstants = {"2", "3", "'2'", "'2\xAD'", "'\x7F" "2'", "''", "'a'", "2.0", "null"};
    static const std::vector<std::string> kIdentConstants = {"20001", "'20001'", "30001", "0", "'20001\xAD'"};
    static const std::vector<std::string> kIdentStarts = {"2", "20", "2000", "20001", "3", "\xAD"};
    const std::string kind = "tiponum = " + pick(rng, kConstants);
    switch (rng() % 7) {
    case 0: return kind;
    case 1: return "ident = " + pick(rng, kIdentConstants);
    case 2:
    case 3: {
        std::string pattern = rng() % 2 ? std::string("%").append(randomText(rng, 3)).append("%") : randomText(rng, 5);
        const char* value = rng() % 3 ? "Upper(nombrebusc)" : "nombrebusc";
        return "(" + kind + ") and (" + value + " like '" + pattern + "')";
    }
    case 4:
        if (rng() % 4 == 0) {
            // Beginnings of a code alone, as the units of a municipality are listed.
            const int terms = 1 + static_cast<int>(rng() % 3);
            std::string alternatives;
            for (int t = 0; t < terms; ++t)
                alternatives += (t ? " or " : "") + ("(ident like '" + pick(rng, kIdentStarts) + "%')");
            return "(" + kind + ") and " + (terms > 1 ? "(" + alternatives + ")" : alternatives);
        }
        if (rng() % 2) {
            // The search as people type it, the code's beginning tested on IDENT.
            // Often the terms hold one another's text, as the window's do
            // (the text typed, then tidied), so that one may make another
            // needless.
            const std::string first = randomPattern(rng);
            const auto pattern = [&] {
                switch (rng() % 4) {
                case 0: return first;
                case 1: return first.size() > 2 && first.front() == '%' ? first.substr(0, first.size() - 1) + randomText(rng, 1) + "%" : first;
                default: return randomPattern(rng);
                }
            };
            std::string filter = "(" + kind + ") and ((Upper(nombrebusc) like '" + first + "')";
            const int more = 1 + static_cast<int>(rng() % 4);
            for (int t = 0; t < more; ++t) {
                switch (rng() % 4) {
                case 0: filter += " or (Upper(Natural(nombrebusc)) like '" + pattern() + "')"; break;
                case 1: filter += " or (Upper(Plain(Natural(nombrebusc))) like '" + pattern() + "')"; break;
                case 2: filter += " or (ident like '" + pick(rng, kIdentStarts) + "%')"; break;
                default: filter += " or (Upper(nombrebusc) like '" + pattern() + "')";
                }
            }
            return filter + ")";
        }
        [[fallthrough]];
    default: {
        // The name or its natural form; now and then the two sides differ in
        // capitals, and so are left to the evaluator.
        const bool upper = rng() % 3 != 0;
        const bool otherUpper = rng() % 8 == 0 ? !upper : upper;
        const std::string name = upper ? "Upper(nombrebusc)" : "nombrebusc";
        const std::string natural = otherUpper ? "Upper(Natural(nombrebusc))" : "Natural(nombrebusc)";
        return "(" + kind + ") and ((" + name + " like '" + randomPattern(rng) + "') or (" + natural + " like '"
               + randomPattern(rng) + "'))";
    }
    }
}

// The records the general evaluator lets through, in view order.
std::vector<std::size_t> expected(const View& view, const std::string& filter)
{
    const catalogue::Table& table = view.table();
    const catalogue::Collation collation(table.lcid());
    const catalogue::Filter general = catalogue::Filter::compile(filter, table, collation);
    std::vector<std::uint32_t> order(table.recordCount());
    std::iota(order.begin(), order.end(), 0u);
    if (!view.indexFieldNames().empty())
        order = catalogue::orderBy(table, static_cast<std::size_t>(table.fieldIndex(view.indexFieldNames())), collation);
    std::vector<std::size_t> out;
    for (std::uint32_t r : order)
        if (general.matches(r))
            out.push_back(r);
    return out;
}

TEST(FastFilterTest, ViewsHoldWhatTheGeneralEvaluatorLetsThrough)
{
    std::mt19937 rng(1034);
    int recognised = 0;
    int naturalOnly = 0;
    for (int round = 0; round < 60; ++round) {
        const std::string packet = randomPacket(rng, 1 + round * 7);
        View views[2];
        views[1].setIndexFieldNames("NOMBREBUSC");
        for (View& view : views) {
            view.setFiltered(true);
            view.loadFromBytes(packet);
        }
        for (int f = 0; f < 40; ++f) {
            const std::string filter = randomFilter(rng);
            View& view = views[f % 2];
            view.setFilter(filter);
            const auto kind = catalogue::Filter::compile(filter, view.table(), catalogue::Collation(1034)).shape().kind;
            recognised += kind != catalogue::Filter::Shape::Kind::Other;
            std::vector<std::size_t> rows;
            for (int row = 0; row < view.recordCount(); ++row)
                rows.push_back(view.recordAt(row));
            ASSERT_EQ(rows, expected(view, filter)) << filter << " in round " << round;
            // Records that only the natural names let through.
            if (kind == catalogue::Filter::Shape::Kind::EqualAndContainsOrNatural) {
                const std::string byName = filter.substr(0, filter.find(") or (")) + "))";
                naturalOnly += rows.size() > expected(view, byName).size();
            }
        }
    }
    // Most filters must have been answered from the indexes, a good many
    // finding records by their natural names alone.
    EXPECT_GT(recognised, 60 * 40 / 2);
    EXPECT_GT(naturalOnly, 60 * 40 / 50);
}

// Of the terms of one search, the store skips those whose every value
// another term finds; never one that finds a value no other term finds: a
// text at the end of a name before its article, across a hyphen, or two
// terms alike.
TEST(FastFilterTest, ATermIsSkippedOnlyWhereAnotherFindsAllItFinds)
{
    catalogue::Table table({{"IDENT", catalogue::FieldKind::String, 9},
                            {"TIPONUM", catalogue::FieldKind::String, 9},
                            {"NOMBREBUSC", catalogue::FieldKind::String, 40}},
                           catalogue::kSpanishTraditional);
    for (const char* name : {"Almunia de Do\xF1" "a Godina (La)", "Foo-Bar", "Sena", "Pe\xF1" "as"})
        table.addRecord({std::to_string(20001 + table.recordCount()), std::string("2"), std::string(name)});
    View view;
    view.setFiltered(true);
    view.setIndexFieldNames("NOMBREBUSC");
    view.loadFromBytes(catalogue::writePacket(table));
    const auto search = [](const std::string& name, const std::string& natural) {
        return "(tiponum = 2) and ((Upper(nombrebusc) like '%" + name + "%') or (" + natural + "))";
    };
    const struct {
        std::string filter;
        std::vector<std::size_t> records;
    } cases[] = {
        {"tiponum = 2", {0, 1, 3, 2}}, // builds the index the others are answered from
        {search("INA ", "Upper(Plain(Natural(nombrebusc))) like '%INA %'"), {0}},
        {search("O-B", "Upper(Plain(Natural(nombrebusc))) like '%O-B%'"), {1}},
        {search("A (L", "Upper(Plain(Natural(nombrebusc))) like '%A (L%'"), {0}},
        {search("A (L", "Upper(Natural(nombrebusc)) like '%A (L%') or (Upper(Natural(nombrebusc)) like '%A (L%'"), {0}},
        {search("GODINA (", "Upper(Natural(nombrebusc)) like '%GODINA %') or (Upper(Natural(nombrebusc)) like '%GODINA %'"), {0}},
        {search("O-BA", "Upper(Natural(nombrebusc)) like '%O-B%') or (Upper(Natural(nombrebusc)) like '%O-B%'"), {1}},
        {search("SENA ", "Upper(Natural(nombrebusc)) like '%SENA %') or (Upper(Natural(nombrebusc)) like '%SENA%'"), {2}},
        {search("SENA", "Upper(nombrebusc) like '%SENA%'"), {2}},
        {search("PE\xD1", "Upper(Plain(Natural(nombrebusc))) like '%PEN%'"), {3}},
        {search("ZZ", "Upper(Natural(nombrebusc)) like '%DO\xD1" "A%') or (Upper(Plain(Natural(nombrebusc))) like '%DONA%'"), {0}},
        {search("NA", "Upper(Natural(nombrebusc)) like '%NA %') or (Upper(Natural(nombrebusc)) like '%NA%'"), {0, 2}},
    };
    for (const auto& c : cases) {
        view.setFilter(c.filter);
        if (c.filter.find(" or ") != std::string::npos) {
            EXPECT_EQ(catalogue::Filter::compile(c.filter, view.table(), catalogue::Collation(1034)).shape().kind,
                      catalogue::Filter::Shape::Kind::EqualAndAny)
                << c.filter;
        }
        std::vector<std::size_t> rows;
        for (int row = 0; row < view.recordCount(); ++row)
            rows.push_back(view.recordAt(row));
        EXPECT_EQ(rows, c.records) << c.filter;
    }
}

// The window's searches, each made three times: the first time the names
// are searched byte by byte, from the second on through the index of their
// pairs. Null and empty names are never found by a literal.
TEST(FastFilterTest, ASearchFindsTheSameRowsBeforeAndAfterTheNamesAreIndexed)
{
    catalogue::Table table({{"IDENT", catalogue::FieldKind::String, 9},
                            {"TIPONUM", catalogue::FieldKind::String, 9},
                            {"NOMBREBUSC", catalogue::FieldKind::String, 40}},
                           catalogue::kSpanishTraditional);
    // In name order: "", Almunia (La), Asana, Nsa, Pena, Peña (La), Sa, San
    // Juan, Sasa.
    const std::vector<Value> names = {"San Juan", std::nullopt, "", "Pe\xF1" "a (La)", "Pena", "Asana", "Sa", "Nsa",
                                      "Almunia (La)", "Sasa"};
    for (const Value& name : names)
        table.addRecord({std::to_string(20001 + table.recordCount()), std::string("2"), name});
    View view;
    view.setFiltered(true);
    view.setIndexFieldNames("NOMBREBUSC");
    view.loadFromBytes(catalogue::writePacket(table));
    const struct {
        std::string text;
        std::vector<std::size_t> records;
    } cases[] = {
        {"", {2, 8, 5, 7, 4, 3, 6, 0, 9}},
        {"A", {8, 5, 7, 4, 3, 6, 0, 9}},
        {"SA", {5, 7, 6, 0, 9}},  // "Sasa" once
        {"SAN", {5, 0}},          // and its plain form
        {"NA", {5, 4, 3}},        // "La Peña" as "LA PENA"
        {"PENA", {4, 3}},
        {"PE\xD1" "A", {3}},
        {"LA PE", {3}},           // the natural form
        {"A (L", {8, 3}},         // the name only
        {"N J", {0}},
        {"AN J", {0}},
        // Not across "Asana" "Nsa", where a text's first or last pair is
        // the literal's rarest.
        {"NAN", {}},
        {"ANS", {}},
        {"ZZ", {}},
    };
    for (int round = 0; round < 3; ++round) {
        for (const auto& c : cases) {
            view.setFilter(catalogue::nameSearchFilter(catalogue::UnitKind::Municipality, c.text));
            std::vector<std::size_t> rows;
            for (int row = 0; row < view.recordCount(); ++row)
                rows.push_back(view.recordAt(row));
            EXPECT_EQ(rows, c.records) << c.text << " in round " << round;
        }
    }
}

// An identifier of many values, two records each: its index, built at the
// second filter, grows well past its first size and still finds each value's
// records, and none for a value no record has.
TEST(FastFilterTest, AnIndexOfManyValuesFindsEachOfThem)
{
    catalogue::Table table({{"IDENT", catalogue::FieldKind::String, 9},
                            {"TIPONUM", catalogue::FieldKind::String, 9},
                            {"NOMBREBUSC", catalogue::FieldKind::String, 20}},
                           catalogue::kSpanishTraditional);
    for (int r = 0; r < 300; ++r)
        table.addRecord({std::to_string(20000 + r / 2), std::string(r % 3 == 0 ? "3" : "2"), "N" + std::to_string(r)});
    View view;
    view.setFiltered(true);
    view.loadFromBytes(catalogue::writePacket(table));
    const std::vector<std::pair<int, std::vector<std::size_t>>> cases = {
        {20000, {0, 1}}, {20001, {2, 3}}, {20073, {146, 147}}, {20149, {298, 299}}, {20150, {}}, {19999, {}}};
    for (const auto& [ident, records] : cases) {
        view.setFilter("ident = " + std::to_string(ident));
        std::vector<std::size_t> rows;
        for (int row = 0; row < view.recordCount(); ++row)
            rows.push_back(view.recordAt(row));
        EXPECT_EQ(rows, records) << ident;
    }
}

TEST(FastFilterTest, RecognisesOnlyTheShapesTheIndexesAnswer)
{
    std::mt19937 rng(1);
    const catalogue::Table table = catalogue::readPacket(randomPacket(rng, 3));
    const catalogue::Collation collation(1034);
    using Kind = catalogue::Filter::Shape::Kind;
    const struct {
        const char* filter;
        Kind kind;
        const char* literal;
    } cases[] = {
        {"tiponum = 2", Kind::Equal, ""},
        {"(tiponum = 2) and (Upper(nombrebusc) like '%S\\_N%%')", Kind::EqualAndContains, "S_N"},
        {"(tiponum = 2) and (nombrebusc like '%%')", Kind::EqualAndContains, ""},
        {"(tiponum = 2) and (Upper(nombrebusc) like '%S_N%')", Kind::Other, ""},
        {"(tiponum = 2) and (Lower(nombrebusc) like '%s%')", Kind::Other, ""},
        {"(tiponum = 2) or (Upper(nombrebusc) like '%S%')", Kind::Other, ""},
        // The name or its natural form, on one field, both sides in capitals or neither.
        {"(tiponum = 2) and ((Upper(nombrebusc) like '%LA-A%') or (Upper(Natural(nombrebusc)) like '%LA A%'))",
         Kind::EqualAndContainsOrNatural, "LA-A"},
        {"(tiponum = 2) and ((nombrebusc like '%%') or (Natural(nombrebusc) like '%a%'))",
         Kind::EqualAndContainsOrNatural, ""},
        {"(tiponum = 2) and ((Upper(nombrebusc) like '%A%') or (Natural(nombrebusc) like '%A%'))", Kind::Other, ""},
        {"(tiponum = 2) and ((Upper(nombrebusc) like '%A%') or (Upper(Natural(ident)) like '%A%'))", Kind::Other,
         ""},
        {"(tiponum = 2) and ((Upper(nombrebusc) like '%A%') or (Natural(Upper(nombrebusc)) like '%A%'))",
         Kind::Other, ""},
        {"(tiponum = 2) and ((Upper(nombrebusc) like '%A%') or (Upper(Natural(nombrebusc)) like '%A_%'))",
         Kind::Other, ""},
        {"(tiponum = 2) and ((Upper(Natural(nombrebusc)) like '%A%') or (Upper(nombrebusc) like '%A%'))",
         Kind::EqualAndAny, ""},
        // The search as people type it: any of the name, its natural and plain forms, a code's beginning.
        {"(tiponum = 2) and ((Upper(nombrebusc) like '%A %') or (Upper(Natural(nombrebusc)) like '%A %') or "
         "(Upper(Natural(nombrebusc)) like '%A%') or (Upper(Plain(Natural(nombrebusc))) like '%A%') or "
         "(ident like '2%'))",
         Kind::EqualAndAny, ""},
        {"(tiponum = 2) and ((nombrebusc like '%a%') or (Plain(Natural(nombrebusc)) like '%n%'))", Kind::EqualAndAny,
         ""},
        {"(tiponum = 2) and ((Upper(nombrebusc) like '%A%') or (Plain(Natural(nombrebusc)) like '%A%'))", Kind::Other,
         ""},
        {"(tiponum = 2) and ((Upper(nombrebusc) like '%A%') or (Upper(Plain(nombrebusc)) like '%A%'))", Kind::Other,
         ""},
        {"(tiponum = 2) and ((Upper(nombrebusc) like '%A%') or (Upper(Natural(Plain(nombrebusc))) like '%A%'))",
         Kind::Other, ""},
        // Beginnings alone, one or several (the units of a municipality by their codes).
        {"(tiponum = 2) and ((ident like '2%') or (ident like '3%'))", Kind::EqualAndAny, ""},
        {"(tiponum = 3) and (ident like '3000%')", Kind::EqualAndAny, ""},
        {"(tiponum = 3) and (ident like '3000')", Kind::Other, ""},
        {"(tiponum = 3) and ((ident like '3%') or (ident = '30001'))", Kind::Other, ""},
        {"(tiponum = 2) and ((Upper(nombrebusc) like '%A%') or (Upper(ident) like '2%'))", Kind::Other, ""},
        {"(tiponum = 2) and ((Upper(nombrebusc) like '%A%') or (ident like '2_%'))", Kind::Other, ""},
        {"(tiponum = 2) and ((Upper(nombrebusc) like '%A%') and (Upper(Natural(nombrebusc)) like '%A%'))",
         Kind::Other, ""},
        {"tiponum <> 2", Kind::Other, ""},
    };
    for (const auto& c : cases) {
        const catalogue::Filter filter = catalogue::Filter::compile(c.filter, table, collation);
        EXPECT_EQ(filter.shape().kind, c.kind) << c.filter;
        EXPECT_EQ(filter.shape().literal, c.literal) << c.filter;
    }
    const catalogue::Filter either = catalogue::Filter::compile(
        "(tiponum = 3) and ((Upper(nombrebusc) like '%LA-A%') or (Upper(Natural(nombrebusc)) like '%LA A%'))",
        table, collation);
    EXPECT_EQ(either.shape().text, "3");
    EXPECT_EQ(either.shape().naturalLiteral, "LA A");
    EXPECT_TRUE(either.shape().upper);
}

} // namespace
