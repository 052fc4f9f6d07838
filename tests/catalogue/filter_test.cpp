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

std::optional<std::string> opt(const char* utf8)
{
    return cp(utf8);
}

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
        add("20001", "2", "Abay", "Abay", "Abay", "Municipio de la comarca.", "488");
        add("20002", "2", "Peñalba", "Peñalba", "Peñalba", "Municipio de Huesca.", "1.016");
        add("20003", "2", "San Esteban de Litera", "San Esteban de Litera", "San Esteban de Litera",
            "Municipio con 50% de regadío.", "-");
        add("20004", "2", "Peña (La)", "Peña (La)", "Peña (La)", "Municipio histórico.", "0");
        add("30001", "3", "Pena", "Pena", "Pena -- Abay", "Entidad de Abay.", "12");
        add("30002", "3", "Sandinies", "Sandiniés", "Sandiniés", "Entidad de Sallent.", "-");
        add("30003", "3", "Fuen-Santa (La)", "Fuen-Santa (La)", "Fuen-Santa (La)", "Entidad de Pina.", "-");
        add("40001", "4", "Casas de San Juan", "Casas de San Juan", "Casas de San Juan", "Núcleo de Jaca.", "-");
        // A record with null values, as the one irregular unit of the catalogue.
        table_.addRecord({opt("31625"), opt("3"), opt("Hostal"), opt("El Ciervo"), std::nullopt,
                          opt("Entidad."), std::nullopt});
        add("30004", "3", "Cha'gua", "Cha'gua", "Cha'gua", "Entidad.", "-");
    }

    void add(const char* ident, const char* kind, const char* busc, const char* dicc, const char* most,
             const char* note, const char* census)
    {
        table_.addRecord({opt(ident), opt(kind), opt(busc), opt(dicc), opt(most), opt(note), opt(census)});
    }

    // The search names of the records that pass, in stored order (UTF-8).
    std::vector<std::string> names(const char* utf8Filter)
    {
        const Filter filter = Filter::compile(cp(utf8Filter), table_, collation_);
        std::vector<std::string> out;
        for (std::size_t r = 0; r < table_.recordCount(); ++r)
            if (filter.matches(r))
                out.push_back(cp1252::toUtf8(table_.text(r, 2)));
        return out;
    }

    std::size_t count(const char* utf8Filter) { return names(utf8Filter).size(); }

    // The message of the failure to compile the text (UTF-8), or "" if it compiles.
    std::string error(std::string_view cp1252Filter)
    {
        try {
            Filter::compile(cp1252Filter, table_, collation_);
        } catch (const FilterError& e) {
            return e.what();
        }
        return "";
    }

    // The list filter the search builds for a typed text.
    static std::string searchFilter(int kind, std::string_view text)
    {
        return "(tiponum = " + std::to_string(kind) + ") and (Upper(nombrebusc) like '%" + std::string(text) + "%')";
    }

    Table table_;
    Collation collation_;
};

using Names = std::vector<std::string>;

TEST_F(FilterTest, KindFiltersSelectOneKind)
{
    EXPECT_EQ(count("tiponum = 2"), 4u);
    EXPECT_EQ(count("tiponum = 3"), 5u);
    EXPECT_EQ(count("tiponum = 4"), 1u);
    EXPECT_EQ(count("tiponum = 5"), 0u);
    // Names and keywords regardless of case; blanks and comments only separate.
    EXPECT_EQ(count("TipoNum=2"), 4u);
    EXPECT_EQ(count("\t tiponum\r\n=/* kind */2 "), 4u);
    EXPECT_EQ(count("[TIPONUM] = 4"), 1u);
    EXPECT_EQ(count("tiponum = '4'"), 1u);
}

TEST_F(FilterTest, IdentFilterFindsOneUnit)
{
    EXPECT_EQ(names("ident = 20001"), Names{"Abay"});
    EXPECT_EQ(names("ident = 31625"), Names{"Hostal"});
    EXPECT_EQ(names("ident = 20005"), Names{});
    // The number is taken as text: 020001 is the number 20001.
    EXPECT_EQ(names("ident = 020001"), Names{"Abay"});
    EXPECT_EQ(names("ident <> 20001").size(), table_.recordCount() - 1);
}

TEST_F(FilterTest, SearchFiltersMatchSubstringsOfUpperCasedName)
{
    EXPECT_EQ(names(searchFilter(2, "SAN").c_str()), Names{"San Esteban de Litera"});
    EXPECT_EQ(names(searchFilter(3, "SAN").c_str()), (Names{"Sandinies", "Fuen-Santa (La)"}));
    EXPECT_EQ(names(searchFilter(4, "SAN").c_str()), Names{"Casas de San Juan"});
    // The empty text lists every unit of the kind.
    EXPECT_EQ(count(searchFilter(2, "").c_str()), 4u);
    EXPECT_EQ(count(searchFilter(3, "").c_str()), 5u);
    // A lower-case text finds nothing: the name is upper-cased, the text is not.
    EXPECT_EQ(count(searchFilter(2, "san").c_str()), 0u);
    // Ñ is a letter of its own: PEÑA finds Peñalba and Peña, PENA only Pena.
    EXPECT_EQ(names(searchFilter(2, "PEÑA").c_str()), (Names{"Peñalba", "Peña (La)"}));
    EXPECT_EQ(names(searchFilter(3, "PEÑA").c_str()), Names{});
    EXPECT_EQ(names(searchFilter(3, "PENA").c_str()), Names{"Pena"});
    EXPECT_EQ(names(searchFilter(2, "PENA").c_str()), Names{});
}

TEST_F(FilterTest, PatternCharactersOfTheSearchTextActAsSuch)
{
    // "_" matches every name of at least one character.
    EXPECT_EQ(count(searchFilter(2, "_").c_str()), 4u);
    EXPECT_EQ(count(searchFilter(3, "_").c_str()), 5u);
    // "\" escapes the closing "%", which must then end the name: nothing.
    EXPECT_EQ(count(searchFilter(2, "\\").c_str()), 0u);
    EXPECT_EQ(count(searchFilter(3, "\\").c_str()), 0u);
    // "%" inside is just another run.
    EXPECT_EQ(names(searchFilter(2, "SAN%LITERA").c_str()), Names{"San Esteban de Litera"});
}

TEST_F(FilterTest, UpperAndLowerFollowCodePage1252)
{
    EXPECT_EQ(names("Upper(nombrebusc) = 'PEÑALBA'"), Names{"Peñalba"});
    EXPECT_EQ(names("upper(NOMBREBUSC) like 'PE_ALBA'"), Names{"Peñalba"});
    EXPECT_EQ(names("Lower(nombrebusc) = 'peñalba'"), Names{"Peñalba"});
    EXPECT_EQ(names("Upper(nombredicc) = 'SANDINIÉS'"), Names{"Sandinies"});
    EXPECT_EQ(names("Upper(Lower(nombredicc)) like '%NIÉS'"), Names{"Sandinies"});
    // Upper of a null is null and passes nothing.
    EXPECT_EQ(count("Upper(nombremost) like '%'"), table_.recordCount() - 1);
}

TEST_F(FilterTest, QuotesInsideLiteralsAreDoubled)
{
    EXPECT_EQ(names("nombrebusc = 'Cha''gua'"), Names{"Cha'gua"});
    EXPECT_EQ(names("Upper(nombrebusc) like '%A''G%'"), Names{"Cha'gua"});
    EXPECT_EQ(names("nombrebusc like ''''"), Names{});
    EXPECT_EQ(count("'' = ''"), table_.recordCount());
}

TEST_F(FilterTest, OnlyTheFirst255CharactersOfALiteralCount)
{
    const std::string long255(255, 'x');
    // A literal of 300 characters equals its first 255.
    const std::string text = "'" + long255 + std::string(45, 'y') + "' = '" + long255 + "'";
    EXPECT_EQ(Filter::compile(text, table_, collation_).matches(0), true);
    const std::string differs = "'" + long255 + "' = '" + std::string(254, 'x') + "'";
    EXPECT_EQ(Filter::compile(differs, table_, collation_).matches(0), false);
    // Doubled quotes count as one character, also at the limit.
    const std::string x254(254, 'x');
    const std::string quotes = "'" + x254 + "''yyy' = '" + x254 + "'''";
    EXPECT_EQ(Filter::compile(quotes, table_, collation_).matches(0), true);
}

TEST_F(FilterTest, ComparisonsOfTextFollowTheTableLocale)
{
    // Equality is case- and accent-sensitive, like the order.
    EXPECT_EQ(names("nombrebusc = 'abay'"), Names{});
    EXPECT_EQ(names("nombrebusc = 'Abay'"), Names{"Abay"});
    EXPECT_EQ(names("nombredicc = 'Sandinies'"), Names{});
    EXPECT_EQ(names("nombredicc = 'Sandiniés'"), Names{"Sandinies"});
    // Hyphens decide only when all else is equal, so they never vanish for =.
    EXPECT_EQ(names("nombrebusc = 'FuenSanta (La)'"), Names{});
    EXPECT_EQ(names("nombrebusc = 'Fuen-Santa (La)'"), Names{"Fuen-Santa (La)"});
    // "ch" is a letter after "c": Cha'gua > Cutanda.
    EXPECT_EQ(names("(tiponum = 3) and (nombrebusc > 'Cutanda') and (nombrebusc < 'D')"), Names{"Cha'gua"});
    // ñ after n: Peña (La) > Pena.
    EXPECT_EQ(names("(nombrebusc >= 'Pena') and (nombrebusc < 'Pez')"), (Names{"Peñalba", "Peña (La)", "Pena"}));
    EXPECT_EQ(names("(nombrebusc > 'Pena') and (nombrebusc <= 'Peñalba')"), (Names{"Peñalba", "Peña (La)"}));
    // Numbers compare as numbers with each other.
    EXPECT_EQ(count("10 > 9"), table_.recordCount());
    EXPECT_EQ(count("'10' > '9'"), 0u);
    EXPECT_EQ(count("2 * 3 - 1 = 5 and 7 / 2 = 3.5 and -1 < 0"), table_.recordCount());
}

TEST_F(FilterTest, NullFailsEveryComparison)
{
    // The irregular record has a null display name and a null 1900 value.
    EXPECT_EQ(count("nombremost = 'x' or nombremost <> 'x'"), table_.recordCount() - 1);
    EXPECT_EQ(count("not (nombremost = 'x')"), table_.recordCount() - 1);
    EXPECT_EQ(count("nombremost like '%'"), table_.recordCount() - 1);
    EXPECT_EQ(count("[1900] < 'zzz'"), table_.recordCount() - 1);
    EXPECT_EQ(names("nombremost is null"), Names{"Hostal"});
    EXPECT_EQ(count("nombremost is not null"), table_.recordCount() - 1);
    EXPECT_EQ(count("nombremost = null"), 0u);
}

TEST_F(FilterTest, LogicalOperatorsAndGrouping)
{
    EXPECT_EQ(count("tiponum = 2 or tiponum = 4"), 5u);
    EXPECT_EQ(count("not tiponum = 2"), 6u);
    EXPECT_EQ(count("tiponum = 2 and tiponum = 3 or tiponum = 4"), 1u); // and binds tighter
    EXPECT_EQ(count("tiponum = 2 and (tiponum = 3 or tiponum = 4)"), 0u);
    EXPECT_EQ(count("((((tiponum = 4))))"), 1u);
}

TEST_F(FilterTest, TheNoteIsOnlyMatchedWithLike)
{
    EXPECT_EQ(names("comentario like '%50\\%%'"), Names{"San Esteban de Litera"});
    EXPECT_EQ(count("Upper(comentario) like 'MUNICIPIO%'"), 4u);
    EXPECT_EQ(error("comentario = 'x'"), "Tipo de la expresión esperado incorrecto");
    EXPECT_EQ(error("'x' <> comentario"), "Tipo de la expresión esperado incorrecto");
    EXPECT_EQ(error("Upper(comentario) < 'x'"), "Tipo de la expresión esperado incorrecto");
}

TEST_F(FilterTest, EmptyTextFiltersNothingOut)
{
    EXPECT_EQ(count(""), table_.recordCount());
    EXPECT_EQ(count("  /* nothing */ "), table_.recordCount());
}

// ------------------------------------------------------------------ errors

TEST_F(FilterTest, QuoteInSearchTextEndsTheLiteralEarly)
{
    EXPECT_EQ(error(searchFilter(2, "O'DONNELL")), "')' esperado, pero se encontró 'DONNELL'");
    EXPECT_EQ(error(searchFilter(2, "ABC'")), "Carácter '%' inválido en una expresión de filtro");
    EXPECT_EQ(error(searchFilter(2, "'")), "Carácter '%' inválido en una expresión de filtro");
    // Two quotes make one quote character: no error, and no name holds one.
    EXPECT_EQ(error(searchFilter(2, "O''DONNELL")), "");
    EXPECT_EQ(count(searchFilter(3, "A''G").c_str()), 1u);
}

TEST_F(FilterTest, EveryMessageOfTheTable)
{
    // A character that cannot begin a token.
    EXPECT_EQ(error("tiponum = 2 % 3"), "Carácter '%' inválido en una expresión de filtro");
    EXPECT_EQ(error("tiponum = \"2\""), "Carácter '\"' inválido en una expresión de filtro");
    EXPECT_EQ(error(cp("tiponum = €2")), "Carácter '€' inválido en una expresión de filtro");
    EXPECT_EQ(error(cp("tiponum = ÿ")), "Carácter 'ÿ' inválido en una expresión de filtro");
    EXPECT_EQ(error(std::string("tiponum = \0", 11)), "Carácter '#0' inválido en una expresión de filtro");
    // Bytes 0x81 to 0xFE begin a name.
    EXPECT_EQ(error(cp("tiponum = ¿2")), "No se encuentra el campo '¿2'");
    EXPECT_EQ(error("tiponum ! 2"), "Carácter '!' inválido en una expresión de filtro");
    // A literal with no closing quote.
    EXPECT_EQ(error("nombrebusc = 'Abay"), "Constante de cadena incompleta");
    EXPECT_EQ(error("nombrebusc = 'Abay''"), "Constante de cadena incompleta");
    EXPECT_EQ(error("'"), "Constante de cadena incompleta");
    // A parenthesised part not followed by ")".
    EXPECT_EQ(error("(tiponum = 2"), "')' esperado, pero se encontró nada");
    EXPECT_EQ(error("(tiponum = 2 'x'"), "')' esperado, pero se encontró 'x'");
    EXPECT_EQ(error("Upper(nombrebusc, 'x') = 'A'"), "')' esperado, pero se encontró ','");
    // A name goes on over ASCII letters only, whatever byte began it.
    EXPECT_EQ(error(cp("(tiponum = 2 Ñandú")), "')' esperado, pero se encontró 'Ñand'");
    // An operand missing.
    EXPECT_EQ(error("tiponum ="), "Se esperaba una expresión pero se encontró nada");
    EXPECT_EQ(error("(tiponum = 2) and"), "Se esperaba una expresión pero se encontró nada");
    EXPECT_EQ(error("tiponum = )"), "Se esperaba una expresión pero se encontró ')'");
    EXPECT_EQ(error("= 2"), "Se esperaba una expresión pero se encontró '='");
    EXPECT_EQ(error("tiponum = and"), "Se esperaba una expresión pero se encontró 'and'");
    EXPECT_EQ(error("()"), "Se esperaba una expresión pero se encontró ')'");
    EXPECT_EQ(error("tiponum is 2"), "Se esperaba una expresión pero se encontró '2'");
    // Text left over after a complete expression.
    EXPECT_EQ(error("tiponum = 2)"), "La expresión de filtro no está terminada correctamente");
    EXPECT_EQ(error("tiponum = 2 3"), "La expresión de filtro no está terminada correctamente");
    EXPECT_EQ(error("tiponum = 2 tiponum"), "La expresión de filtro no está terminada correctamente");
    // Types.
    EXPECT_EQ(error("comentario = 'x'"), "Tipo de la expresión esperado incorrecto");
    EXPECT_EQ(error("tiponum"), "Tipo de la expresión esperado incorrecto");
    EXPECT_EQ(error("tiponum and tiponum = 2"), "Tipo de la expresión esperado incorrecto");
    EXPECT_EQ(error("tiponum + 1 = 3"), "Tipo de la expresión esperado incorrecto");
    EXPECT_EQ(error("(tiponum = 2) = (tiponum = 3)"), "Tipo de la expresión esperado incorrecto");
    // Names that are no field.
    EXPECT_EQ(error("tipo = 2"), "No se encuentra el campo 'tipo'");
    EXPECT_EQ(error("Upper = 2"), "No se encuentra el campo 'Upper'");
    EXPECT_EQ(error("Trim(nombrebusc) = 'x'"), "No se encuentra el campo 'Trim'");
    EXPECT_EQ(error("[ident ] = 2"), "No se encuentra el campo 'ident '");
    EXPECT_EQ(error(cp("ño = 2")), "No se encuentra el campo 'ño'");
    EXPECT_EQ(error("tiponum.x = 2"), "No se encuentra el campo 'tiponum.x'");
    // A bracketed name with no closing bracket.
    EXPECT_EQ(error("[ident = 2"), "Nombre de campo incompleto");
}

TEST_F(FilterTest, PathologicalTextsFailCleanly)
{
    const std::string tooComplex = "La expresión de filtro es demasiado compleja";
    // Nesting within bounds works; far beyond them is refused, not a crash.
    EXPECT_EQ(count((std::string(150, '(') + "tiponum = 4" + std::string(150, ')')).c_str()), 1u);
    EXPECT_EQ(error(std::string(100000, '(') + "tiponum = 4" + std::string(100000, ')')), tooComplex);
    EXPECT_EQ(error(searchFilter(2, "O' and " + std::string(50000, '('))), tooComplex);
    std::string nots;
    for (int i = 0; i < 50000; ++i)
        nots += "not ";
    EXPECT_EQ(error(nots + "tiponum = 4"), tooComplex);
    EXPECT_EQ(error("tiponum = " + std::string(50000, '-') + "4"), tooComplex);
    // Long chains: a thousand terms work, a hundred thousand are refused.
    std::string chain = "tiponum = 4";
    for (int i = 0; i < 1000; ++i)
        chain += " or tiponum = 4";
    EXPECT_EQ(count(chain.c_str()), 1u);
    for (int i = 0; i < 100000; ++i)
        chain += " or tiponum = 4";
    EXPECT_EQ(error(chain), tooComplex);
}

TEST_F(FilterTest, TheFirstErrorOfTheTextIsReported)
{
    // Tokens are read only as the parser needs them: the name after the
    // literal is reported, not the "%" after it.
    EXPECT_EQ(error("(nombrebusc like 'a' b % c)"), "')' esperado, pero se encontró 'b'");
    // An unknown field is reported before what follows it.
    EXPECT_EQ(error("tipo = 2 %"), "No se encuentra el campo 'tipo'");
}

// ------------------------------------------------------------------- like

TEST(LikePatternTest, WholeValueMatching)
{
    EXPECT_TRUE(LikePattern("abc").matches("abc"));
    EXPECT_FALSE(LikePattern("abc").matches("abcd"));
    EXPECT_FALSE(LikePattern("abc").matches("ABC"));
    EXPECT_TRUE(LikePattern("").matches(""));
    EXPECT_FALSE(LikePattern("").matches("a"));
    EXPECT_TRUE(LikePattern("%").matches(""));
    EXPECT_TRUE(LikePattern("%%").matches(""));
    EXPECT_TRUE(LikePattern("%%%").matches("anything"));
    EXPECT_TRUE(LikePattern("a%").matches("a"));
    EXPECT_TRUE(LikePattern("a%").matches("abc"));
    EXPECT_FALSE(LikePattern("a%").matches("ba"));
    EXPECT_TRUE(LikePattern("%a").matches("ba"));
    EXPECT_FALSE(LikePattern("%a").matches("ab"));
    EXPECT_TRUE(LikePattern("%b%").matches("abc"));
    EXPECT_FALSE(LikePattern("%d%").matches("abc"));
}

TEST(LikePatternTest, UnderscoreAndEscape)
{
    EXPECT_TRUE(LikePattern("_").matches("x"));
    EXPECT_FALSE(LikePattern("_").matches(""));
    EXPECT_FALSE(LikePattern("_").matches("xy"));
    EXPECT_TRUE(LikePattern("%_%").matches("x"));
    EXPECT_FALSE(LikePattern("%_%").matches(""));
    EXPECT_TRUE(LikePattern("a_c").matches("abc"));
    EXPECT_TRUE(LikePattern("a_c").matches("a\xF1" "c")); // one byte: ñ
    EXPECT_TRUE(LikePattern("\\%").matches("%"));
    EXPECT_FALSE(LikePattern("\\%").matches("x"));
    EXPECT_TRUE(LikePattern("%\\%").matches("50%"));
    EXPECT_FALSE(LikePattern("%\\%").matches("50% x"));
    EXPECT_TRUE(LikePattern("\\_").matches("_"));
    EXPECT_FALSE(LikePattern("\\_").matches("a"));
    EXPECT_TRUE(LikePattern("\\\\").matches("\\"));
    EXPECT_TRUE(LikePattern("a\\bc").matches("abc"));
    EXPECT_TRUE(LikePattern("a\\").matches("a\\")); // a final "\" is itself
}

TEST(LikePatternTest, BacktrackingFindsLaterMatches)
{
    EXPECT_TRUE(LikePattern("%ab%ab").matches("xxabyyabzzab"));
    EXPECT_TRUE(LikePattern("%a_c%").matches("aaxabc"));
    EXPECT_FALSE(LikePattern("%a_c%").matches("aaxab"));
    EXPECT_TRUE(LikePattern("a%b%c").matches("aXbYbZc"));
    EXPECT_FALSE(LikePattern("a%b%c").matches("aXcYb"));
    EXPECT_TRUE(LikePattern("%aab").matches("aaaab"));
}

TEST(LikePatternTest, PathologicalPatternsStayFast)
{
    // Exponential matchers take ages here; ours takes text × pattern steps.
    const std::string text(20000, 'a');
    std::string pattern;
    for (int i = 0; i < 200; ++i)
        pattern += "%a";
    pattern += "%b";
    EXPECT_FALSE(LikePattern(pattern).matches(text));
    EXPECT_TRUE(LikePattern(pattern.substr(0, pattern.size() - 2)).matches(text));
}

} // namespace
