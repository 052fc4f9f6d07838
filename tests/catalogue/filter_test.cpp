// The filter expression language: tokens, grammar, evaluation and messages.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "collation.h"
#include "cp1252.h"
#include "cp1252_text.h"
#include "error.h"
#include "filter.h"
#include "like.h"
#include "table.h"

using namespace catalogue;

namespace {

// A small catalogue: the fields of the real one, with the census cut to one year.
class FilterTest : public ::testing::Test {
protected:
    FilterTest()
        : table_({{"IDENT", FieldKind::String, 5},
                  {"TIPONUM", FieldKind::String, 1},
                  {"NOMBREBUSC", FieldKind::String, 46},
                  {"NOMBREDICC", FieldKind::String, 46},
                  {"NOMBREMOST", FieldKind::String, 55},
                  {"COMENTARIO", FieldKind::Memo, 1},
                  {"1900", FieldKind::String, 7}},
                 kSpanishTraditional),
          collation_(kSpanishTraditional)
    {
        add("20001", "2", "Abay", "Abay", "Municipio de la comarca.", "488");
        add("20002", "2", "Peñalba", "Peñalba", "Municipio de Huesca.", "1.016");
        add("20003", "2", "San Esteban de Litera", "San Esteban de Litera", "Municipio con 50% de regadío.", "-");
        add("20004", "2", "Peña (La)", "Peña (La)", "Municipio histórico.", "0");
        add("30001", "3", "Pena", "Pena", "Entidad de Abay.", "12");
        add("30002", "3", "Sandinies", "Sandiniés", "Entidad de Sallent.", "-");
        add("30003", "3", "Fuen-Santa (La)", "Fuen-Santa (La)", "Entidad de Pina.", "-");
        add("40001", "4", "Casas de San Juan", "Casas de San Juan", "Núcleo de Jaca.", "-");
        // A record with null values, as the one irregular unit of the catalogue.
        table_.addRecord({cp("31625"), cp("3"), cp("Hostal"), cp("El Ciervo"), std::nullopt, cp("Entidad."),
                          std::nullopt});
        add("30004", "3", "Cha'gua", "Cha'gua", "Entidad.", "-");
    }

    void add(const char* ident, const char* kind, const char* busc, const char* dicc, const char* note,
             const char* census)
    {
        table_.addRecord({cp(ident), cp(kind), cp(busc), cp(dicc), cp(dicc), cp(note), cp(census)});
    }

    // The search names of the records that pass, in stored order, joined by "|" (UTF-8).
    std::string names(const std::string& cp1252Filter)
    {
        const Filter filter = Filter::compile(cp1252Filter, table_, collation_);
        std::string out;
        for (std::size_t r = 0; r < table_.recordCount(); ++r)
            if (filter.matches(r))
                out.append(out.empty() ? "" : "|").append(cp1252::toUtf8(table_.text(r, 2)));
        return out;
    }

    // The message of the failure to compile the text, or "" if it compiles.
    std::string error(std::string_view cp1252Filter)
    {
        try {
            Filter::compile(cp1252Filter, table_, collation_);
        } catch (const FilterError& e) {
            return e.what();
        }
        return "";
    }

    Table table_;
    Collation collation_;
};

// The list filter the search builds for a typed text.
std::string search(int kind, std::string_view text)
{
    return "(tiponum = " + std::to_string(kind) + ") and (Upper(nombrebusc) like '%" + std::string(text) + "%')";
}

const std::string kAll = "Abay|Peñalba|San Esteban de Litera|Peña (La)|Pena|Sandinies|Fuen-Santa (La)|"
                         "Casas de San Juan|Hostal|Cha'gua";
const std::string kAllButHostal = "Abay|Peñalba|San Esteban de Litera|Peña (La)|Pena|Sandinies|Fuen-Santa (La)|"
                                  "Casas de San Juan|Cha'gua";
const std::string kMunicipalities = "Abay|Peñalba|San Esteban de Litera|Peña (La)";
const std::string kEntities = "Pena|Sandinies|Fuen-Santa (La)|Hostal|Cha'gua";

TEST_F(FilterTest, WhatEachFilterLetsThrough)
{
    const std::pair<std::string, std::string> cases[] = {
        // Kind and identifier filters; names and keywords regardless of case;
        // blanks and comments only separate; a number compared with a text field
        // is taken as text ("020001" is the number 20001).
        {"tiponum = 2", kMunicipalities},
        {"\t TipoNum\r\n=/* kind */4 ", "Casas de San Juan"},
        {"ident = 020001", "Abay"},
        {"", kAll},
        // The search: substrings of the upper-cased name; the text is not upper-cased.
        {search(2, "SAN"), "San Esteban de Litera"},
        // Ñ in the typed text (PENA finding no Ñ: the window search test).
        {search(2, cp("PEÑA")), "Peñalba|Peña (La)"},
        // Pattern characters of the typed text act as such: "_" any one character,
        // "\" escapes the closing "%", which must then end the name.
        {search(3, "_"), kEntities},
        {search(2, "SAN%LITERA"), "San Esteban de Litera"},
        {search(3, "A''G"), "Cha'gua"},
        // Upper and Lower by code page 1252; of a null, null.
        {cp("Upper(nombrebusc) = 'PEÑALBA'"), "Peñalba"},
        {cp("Upper(Lower(nombredicc)) like '%NIÉS'"), "Sandinies"},
        {cp("Lower(nombrebusc) like 'peña%'"), "Peñalba|Peña (La)"},
        // Natural: the article put first, hyphens as spaces; of a null, null.
        {cp("Upper(Natural(nombrebusc)) like '%LA PEÑA%'"), "Peña (La)"},
        {"natural(nombrebusc) = 'La Fuen Santa'", "Fuen-Santa (La)"},
        {"Natural(Upper(nombrebusc)) = 'LA FUEN SANTA'", "Fuen-Santa (La)"},
        {"Natural(nombremost) is null", "Hostal"},
        {"Natural(null) is null", kAll},
        {"Natural(comentario) like '%50\\%%'", "San Esteban de Litera"},
        // Doubled quotes in literals.
        {"nombrebusc = 'Cha''gua'", "Cha'gua"},
        // Equality and order by the table locale: case, accents and hyphens count.
        {cp("nombredicc = 'Sandiniés'"), "Sandinies"},
        {"(nombrebusc >= 'Pena') and (nombrebusc < 'Pez')", "Peñalba|Peña (La)|Pena"},
        // Numbers compare as numbers with each other.
        {"2 * 3 - 1 = 5 and 7 / 2 = 3.5 and -1 < 0", kAll},
        // A number compared with a text is written whole below 10^15 (a
        // negative zero with its sign), with 15 significant digits otherwise.
        {"('20001' = 20001.0) and ('-20001' = -20001) and ('-0' = -0) and ('0' = 0)", kAll},
        {"('999999999999999' = 999999999999999) and ('1e+15' = 1000000000000000)", kAll},
        {"('3.5' = 7 / 2) and ('0.333333333333333' = 1 / 3) and ('-0.5' = -1 / 2)", kAll},
        // A null fails every comparison, negated or not.
        {"nombremost = 'x' or nombremost <> 'x'", kAllButHostal},
        {"nombremost is null", "Hostal"},
        // and binds tighter than or; parentheses group.
        {"not tiponum = 3", "Abay|Peñalba|San Esteban de Litera|Peña (La)|Casas de San Juan"},
        // The note is matched with like only.
        {"comentario like '%50\\%%'", "San Esteban de Litera"},
    };
    for (const auto& [filter, expected] : cases)
        EXPECT_EQ(names(filter), expected) << cp1252::toUtf8(filter);
}

TEST_F(FilterTest, OnlyTheFirst255CharactersOfALiteralCount)
{
    const std::string x255(255, 'x');
    const std::string x254(254, 'x');
    EXPECT_EQ(names("'" + x255 + std::string(45, 'y') + "' = '" + x255 + "'"), kAll);
    EXPECT_EQ(names("'" + x255 + "' = '" + x254 + "'"), "");
    // Doubled quotes count as one character, also at the limit.
    EXPECT_EQ(names("'" + x254 + "''yyy' = '" + x254 + "'''"), kAll);
}

TEST_F(FilterTest, EveryMessageOfTheTable)
{
    const std::string complex = "La expresión de filtro es demasiado compleja";
    const std::string nested = std::string(100000, '(') + "tiponum = 4" + std::string(100000, ')');
    std::string nots, chain = "tiponum = 4";
    for (int i = 0; i < 50000; ++i)
        nots += "not ";
    for (int i = 0; i < 100000; ++i)
        chain += " or tiponum = 4";
    const std::pair<std::string, std::string> cases[] = {
        // A quote in the search text ends the literal early.
        {search(2, "O'DONNELL"), "')' esperado, pero se encontró 'DONNELL'"},
        // A character that cannot begin a token; bytes 0x81 to 0xFE begin a name.
        {"tiponum = 2 % 3", "Carácter '%' inválido en una expresión de filtro"},
        {cp("tiponum = ¿2"), "No se encuentra el campo '¿2'"},
        // A literal with no closing quote.
        {"nombrebusc = 'Abay''", "Constante de cadena incompleta"},
        // A parenthesised part not followed by ")"; a name goes on over ASCII letters only.
        // Tokens are read only as the parser needs them: the name, not the "%" after it.
        {"(nombrebusc like 'a' b % c)", "')' esperado, pero se encontró 'b'"},
        // An operand missing.
        {"(tiponum = 2) and", "Se esperaba una expresión pero se encontró nada"},
        // Text left over after a complete expression.
        {"tiponum = 2)", "La expresión de filtro no está terminada correctamente"},
        // Types: the note compared other than by like; a field or a sum as a condition.
        {"comentario = 'x'", "Tipo de la expresión esperado incorrecto"},
        // Names that are no field, reported before what follows them.
        {"tipo = 2 %", "No se encuentra el campo 'tipo'"},
        {"[ident = 2", "Nombre de campo incompleto"},
        // A function's argument: one text; its name alone is a field's.
        {"Natural() = 'x'", "Se esperaba una expresión pero se encontró ')'"},
        {"Natural(nombrebusc, 'x') = 'x'", "')' esperado, pero se encontró ','"},
        {"Natural(1) = 'x'", "Tipo de la expresión esperado incorrecto"},
        {"Natural(tiponum = 2)", "Tipo de la expresión esperado incorrecto"},
        {"Natural(comentario) = 'x'", "Tipo de la expresión esperado incorrecto"},
        {"Natural = 'x'", "No se encuentra el campo 'Natural'"},
        {"Natural(nombrebusc", "')' esperado, pero se encontró nada"},
        // Nesting and chains within bounds work; far beyond them are refused, not a crash.
        {std::string(150, '(') + "tiponum = 4" + std::string(150, ')'), ""},
        {nested, complex},
        {nots + "tiponum = 4", complex},
        {chain.substr(0, 11 + 15 * 1000), ""}, // a thousand and one terms
        {chain, complex},
    };
    for (const auto& [filter, expected] : cases)
        EXPECT_EQ(error(filter), expected) << cp1252::toUtf8(filter.substr(0, 80));
}

// ------------------------------------------------------------------- like

TEST(LikePattern, MatchesTheWholeText)
{
    const std::string text(20000, 'a');
    std::string many; // exponential matchers take ages here
    for (int i = 0; i < 200; ++i)
        many += "%a";
    struct Case {
        std::string pattern, text;
        bool matches;
    };
    const Case cases[] = {
        {"abc", "abc", true},   {"abc", "abcd", false}, {"abc", "ABC", false}, {"", "a", false},
        {"%%%", "any", true},   {"a%", "ba", false},    {"%a", "ab", false},   {"%b%", "abc", true},
        {"_", "", false},       {"_", "xy", false},     {"a_c", "a\xF1" "c", true}, // one byte: ñ
        {"\\%", "x", false},    {"%\\%", "50%", true},  {"%\\%", "50% x", false}, {"\\_", "a", false},
        {"\\\\", "\\", true},   {"a\\", "a\\", true}, // a final "\" is itself
        {"%ab%ab", "xxabyyabzzab", true}, {"%a_c%", "aaxabc", true}, {"a%b%c", "aXcYb", false},
        {"%aab", "aaaab", true},
        {many + "%b", text, false},       {many, text, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LikePattern(c.pattern).matches(c.text), c.matches)
            << "'" << c.pattern.substr(0, 20) << "' on '" << c.text.substr(0, 20) << "'";
}

} // namespace
