// The catalogue the program embeds as PUEBLOS, built from resources/pueblos.csv:
// Aragón's 991 municipalities of 1900-2004 (731 current, 260 historical), 1,503
// population entities and 61 nuclei, read back as packet and as the lists. How
// the converter words each kind of note is its own test's
// (tests/tools/convert_test.cpp).

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "collation.h"
#include "cp1252.h"
#include "packet.h"
#include "search.h"
#include "table.h"
#include "view.h"

namespace {

namespace fs = std::filesystem;

std::string readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const std::string& packetBytes()
{
    static const std::string bytes = readAll(PUEBLOS_PACKET);
    return bytes;
}

std::string utf8(std::string_view cp1252) { return catalogue::cp1252::toUtf8(cp1252); }

// Whether PUEBLOS is the bundled edition: the packet the tool makes of
// resources/pueblos.csv. Another catalogue can be embedded on purpose
// (POBLACION_CATALOGUE); these tests describe the bundled one only.
bool embedsBundledCatalogue()
{
    const fs::path rebuilt = fs::temp_directory_path() / ("pueblos-" + std::to_string(::getpid()) + ".pkt");
    const std::string command = std::string("'") + TOOL_PATH + "' build '" + SOURCE_DIR
                                + "/resources/pueblos.csv' '" + rebuilt.string() + "'";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the tool cannot build resources/pueblos.csv";
    const bool same = fs::exists(rebuilt) && readAll(rebuilt) == packetBytes();
    std::error_code ignored;
    fs::remove(rebuilt, ignored);
    return same;
}

// One list as the program sets it up: the kind's search filter for a text
// (in capitals, without acute accents), then the order by search name; the
// display names in list order, joined by "|".
std::string shown(catalogue::UnitKind kind, const std::string& text)
{
    catalogue::View view;
    view.setFilter(catalogue::nameSearchFilter(kind, catalogue::cp1252::fromUtf8(text).value(), true));
    view.setFiltered(true);
    view.loadFromBytes(packetBytes());
    view.setIndexFieldNames("NOMBREBUSC");
    const catalogue::Table& t = view.table();
    std::string out;
    for (int row = 0; row < view.recordCount(); ++row)
        out.append(row ? "|" : "").append(utf8(t.text(view.recordAt(row), static_cast<std::size_t>(t.fieldIndex("NOMBREMOST")))));
    return out;
}

class EmbeddedCatalogue : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        bundled_ = embedsBundledCatalogue();
        try {
            table_ = std::make_unique<catalogue::Table>(catalogue::readPacket(packetBytes()));
        } catch (const std::exception& error) {
            loadError_ = error.what();
        }
    }
    void SetUp() override
    {
        if (!bundled_)
            GTEST_SKIP() << PUEBLOS_PACKET << " is not built from resources/pueblos.csv";
        ASSERT_NE(table_, nullptr) << "PUEBLOS cannot be read: " << loadError_;
    }
    static const catalogue::Table& table() { return *table_; }
    static std::string text(std::size_t r, const char* name)
    {
        return std::string(table_->text(r, static_cast<std::size_t>(table_->fieldIndex(name))));
    }

private:
    static inline std::unique_ptr<catalogue::Table> table_;
    static inline bool bundled_ = false;
    static inline std::string loadError_;
};

TEST_F(EmbeddedCatalogue, FieldsKindsAndNumbering)
{
    std::string fields;
    for (const auto& f : table().fields())
        fields += f.name + (f.kind == catalogue::FieldKind::Memo ? "*" : "") + ":" + std::to_string(f.width) + " ";
    EXPECT_EQ(fields, "IDENT:5 TIPONUM:1 NOMBREBUSC:46 NOMBREDICC:46 NOMBREMOST:55 COMENTARIO*:1 1900:7 1910:7 "
                      "1920:7 1930:7 1940:7 1950:7 1960:7 1970:7 1981:7 1991:7 2001:7 2004:7 CODIGO:11 ");
    EXPECT_EQ(table().lcid(), catalogue::kSpanishTraditional);

    // Stored by kind, then by search name; IDENT = kind × 10000 + n.
    std::map<std::string, int> count;
    const catalogue::Collation spanish(catalogue::kSpanishTraditional);
    for (std::size_t r = 0; r < table().recordCount(); ++r) {
        const std::string kind = text(r, "TIPONUM");
        EXPECT_EQ(text(r, "IDENT"), std::to_string(std::stoi(kind) * 10000 + ++count[kind]));
        if (r > 0 && text(r - 1, "TIPONUM") == kind) {
            EXPECT_LE(spanish.compare(text(r - 1, "NOMBREBUSC"), text(r, "NOMBREBUSC")), 0) << utf8(text(r, "NOMBREBUSC"));
        }
        const std::string note = utf8(text(r, "COMENTARIO"));
        count[note.substr(0, note.find(" de "))]++;
        if (kind == "2") { // no two municipalities shown alike
            EXPECT_EQ(++count["shown as " + text(r, "NOMBREMOST")], 1) << utf8(text(r, "NOMBREMOST"));
        }
        // Names in a note's sentences take their article first, and no note claims that no source at all
        // has a figure.
        for (const char* form : {" (El)", " (La)", " (Los)", " (Las)", "inguna fuente"})
            EXPECT_EQ(note.find(form), std::string::npos) << note;
    }
    std::erase_if(count, [](const auto& entry) { return entry.first.starts_with("shown as "); });
    // Every historical municipality is told apart in the lists; none other is.
    int marked = 0;
    for (std::size_t r = 0; r < table().recordCount(); ++r) {
        const std::string shownAs = utf8(text(r, "NOMBREMOST")), note = utf8(text(r, "COMENTARIO"));
        const bool historical = note.starts_with("Municipio histórico");
        EXPECT_EQ(shownAs.find(" -- ") != std::string::npos && text(r, "TIPONUM") == "2", historical) << shownAs;
        marked += shownAs.ends_with(" -- municipio histórico");
    }
    EXPECT_EQ(marked, 260);
    EXPECT_EQ(count, (std::map<std::string, int>{{"2", 991}, {"3", 1503}, {"4", 61}, {"Municipio", 731},
                                                 {"Municipio histórico", 260}, {"Entidad", 1503}, {"Núcleo", 61}}));
}

// Every unit's code: five digits for a municipality, historical ones too, nine for an entity, eleven for a
// núcleo, each given once; the code of named units.
TEST_F(EmbeddedCatalogue, EveryUnitHasItsCode)
{
    std::map<std::string, std::string> unitOfCode;
    std::map<std::string, std::size_t> digitsOfKind;
    for (std::size_t r = 0; r < table().recordCount(); ++r) {
        const std::string code = text(r, "CODIGO"), kind = text(r, "TIPONUM");
        EXPECT_EQ(code.find_first_not_of("0123456789"), std::string::npos) << code;
        EXPECT_EQ(code.size(), kind == "2" ? 5u : kind == "3" ? 9u : 11u) << code;
        EXPECT_TRUE(unitOfCode.emplace(code, kind + " " + utf8(text(r, "NOMBREMOST"))).second) << code;
    }
    EXPECT_EQ(unitOfCode.size(), 2555u);
    const std::vector<std::pair<const char*, const char*>> named = {
        {"50297", "2 Zaragoza"},
        {"22909", "2 Vencillón"},
        {"50049", "2 Biel -- municipio histórico"},
        {"50901", "2 Biel"},
        {"22005", "2 Aínsa -- municipio histórico"},
        {"22907", "2 Aínsa-Sobrarbe"},
        {"500950003", "3 Ejea de los Caballeros"},
        {"50095000304", "4 Farasdués"},
        {"221120003", "3 Litera -- Fraga"},
    };
    for (const auto& [code, unit] : named)
        EXPECT_EQ(unitOfCode[code], unit) << code;
}

// What the three lists show for a search.
TEST_F(EmbeddedCatalogue, SearchesListEveryKind)
{
    const std::vector<std::tuple<std::string, std::string, std::string, std::string>> searches = {
        // Today's Biel (50901) and the historical Biel (50049), told apart.
        {"BIEL", "Biel|Biel -- municipio histórico|Bielsa|Fuentes de Rubielos|Mora de Rubielos|Rubielos de la Cérida|"
                 "Rubielos de Mora",
         "Biel|Bielsa|Estación Mora de Rubielos|Fuentes de Rubielos|Mora de Rubielos|Rubielos de la Cérida|"
         "Rubielos de Mora|Salinas de Bielsa",
         ""},
        // Entities sharing a name, told apart by their municipality.
        {"LITERA", "San Esteban de Litera|Tamarite de Litera|Viacamp y Litera",
         "Litera -- Fraga|Litera -- Viacamp y Litera|San Esteban de Litera|Tamarite de Litera", ""},
        {"TOZAL", "", "Tozal (El)", "Urbanización El Tozal"},
        // A village of Ejea de los Caballeros recoded as a núcleo: listed once, as the núcleo.
        {"FARASDU", "Farasdués -- municipio histórico", "", "Farasdués"},
    };
    for (const auto& [text, municipalities, entities, nuclei] : searches) {
        EXPECT_EQ(shown(catalogue::UnitKind::Municipality, text), municipalities) << text;
        EXPECT_EQ(shown(catalogue::UnitKind::Entity, text), entities) << text;
        EXPECT_EQ(shown(catalogue::UnitKind::Nucleus, text), nuclei) << text;
    }
    // Each of the eight villages that the nomenclátor recodes from 2019 is one unit, a núcleo.
    for (const char* village :
         {"Bárdenas", "Bayo (El)", "Farasdués", "Pinsoro", "Rivas", "Sabinar (El)", "Santa Anastasia", "Valareña"}) {
        const std::string search = catalogue::cp1252::toUtf8(catalogue::cp1252::upper(
            catalogue::cp1252::withoutAcuteAccents(catalogue::cp1252::fromUtf8(village).value())));
        EXPECT_EQ(("|" + shown(catalogue::UnitKind::Entity, search) + "|").find("|" + std::string(village) + "|"), std::string::npos) << village;
        EXPECT_NE(("|" + shown(catalogue::UnitKind::Nucleus, search) + "|").find("|" + std::string(village) + "|"), std::string::npos) << village;
    }
}

// Texts as people type them: spaces at either end or doubled, "n" and "u" for "ñ" and "ü", a code.
TEST_F(EmbeddedCatalogue, SearchesFindTextsAsPeopleTypeThem)
{
    const std::vector<std::tuple<std::string, std::string, std::string, std::string>> searches = {
        {"BIEL ", "Biel|Biel -- municipio histórico|Bielsa|Fuentes de Rubielos|Mora de Rubielos|Rubielos de la Cérida|"
                  "Rubielos de Mora",
         "Biel|Bielsa|Estación Mora de Rubielos|Fuentes de Rubielos|Mora de Rubielos|Rubielos de la Cérida|"
         "Rubielos de Mora|Salinas de Bielsa",
         ""},
        {"LA  ALMUNIA", "Almunia de Doña Godina (La)", "Almunia de Doña Godina (La)|Almunia del Romeral (La)", ""},
        {"ANGUES", "Angüés", "Angüés", ""},
        {"ALCANIZ", "Alcañiz|Torrecilla de Alcañiz", "Alcañiz|Torrecilla de Alcañiz", ""},
        {"PENAS DE RIGLOS", "Peñas de Riglos (Las)", "", ""},
        // A text typed with "ñ" finds names with "ñ" only.
        {"PEÑAS", "Peñas de Riglos (Las)", "", ""},
        // A code, or its beginning, in every list.
        {"22909", "Vencillón", "Vencillón", ""},
        // The entity Ejea de los Caballeros and the eight villages now its núcleos.
        {"500950003", "", "Ejea de los Caballeros",
         "Bárdenas|Bayo (El)|Farasdués|Pinsoro|Rivas|Sabinar (El)|Santa Anastasia|Valareña"},
        {"50095000304", "", "", "Farasdués"},
    };
    for (const auto& [text, municipalities, entities, nuclei] : searches) {
        EXPECT_EQ(shown(catalogue::UnitKind::Municipality, text), municipalities) << text;
        EXPECT_EQ(shown(catalogue::UnitKind::Entity, text), entities) << text;
        EXPECT_EQ(shown(catalogue::UnitKind::Nucleus, text), nuclei) << text;
    }
}

// Names as people write them: the article first, a space for a hyphen.
TEST_F(EmbeddedCatalogue, SearchesFindNamesAsPeopleWriteThem)
{
    const std::vector<std::tuple<std::string, std::string, std::string, std::string>> searches = {
        {"LA ALMUNIA", "Almunia de Doña Godina (La)", "Almunia de Doña Godina (La)|Almunia del Romeral (La)", ""},
        {"AINSA SOBRARBE", "Aínsa-Sobrarbe", "", ""},
        {"AINSA-SOBRARBE", "Aínsa-Sobrarbe", "", ""},
        {"EL GRADO", "Grado (El)", "Grado (El)", ""},
        {"LOS FAYOS", "Fayos (Los)", "Fayos (Los)", ""},
        {"LAS CUERLAS", "Cuerlas (Las)", "Cuerlas (Las)", ""},
        {"ELS ESCAMPS", "", "", "Escamps (Els)"},
    };
    for (const auto& [text, municipalities, entities, nuclei] : searches) {
        EXPECT_EQ(shown(catalogue::UnitKind::Municipality, text), municipalities) << text;
        EXPECT_EQ(shown(catalogue::UnitKind::Entity, text), entities) << text;
        EXPECT_EQ(shown(catalogue::UnitKind::Nucleus, text), nuclei) << text;
    }
    // Texts without a space or hyphen find what they always found.
    EXPECT_EQ(shown(catalogue::UnitKind::Nucleus, "SAN"), "Colonia San Lamberto|Santa Anastasia");
    const auto count = [](const std::string& names) {
        return names.empty() ? 0 : 1 + static_cast<int>(std::count(names.begin(), names.end(), '|'));
    };
    const std::vector<std::tuple<std::string, int, int, int>> counts = {
        {"SAN", 32, 87, 2}, {"EL", 159, 236, 18}, {"LA", 246, 361, 16}, {"", 991, 1503, 61}};
    for (const auto& [text, municipalities, entities, nuclei] : counts) {
        EXPECT_EQ(count(shown(catalogue::UnitKind::Municipality, text)), municipalities) << text;
        EXPECT_EQ(count(shown(catalogue::UnitKind::Entity, text)), entities) << text;
        EXPECT_EQ(count(shown(catalogue::UnitKind::Nucleus, text)), nuclei) << text;
    }
}

} // namespace
