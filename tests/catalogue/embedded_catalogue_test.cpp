// The catalogue the program embeds as PUEBLOS, built from resources/pueblos.csv:
// Aragón's 991 municipalities of 1900-2004 (731 current, 260 historical), 1,511
// population entities and 61 nuclei, read back as packet and as the lists.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

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
#include "table.h"
#include "view.h"

namespace fs = std::filesystem;

namespace {

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

std::string cp(const std::string& utf8) { return catalogue::cp1252::fromUtf8(utf8).value(); }
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

// One list as the program sets it up: the kind's search filter ("" lists the
// kind whole, as "Listar todas" does), then the order by search name.
struct List {
    catalogue::View view;
    List(int kind, const std::string& text)
    {
        view.setFilter("(tiponum = " + std::to_string(kind) + ") and (Upper(nombrebusc) like '%" + cp(text) + "%')");
        view.setFiltered(true);
        view.LoadFromBytes(packetBytes());
        view.setIndexFieldNames("NOMBREBUSC");
    }
    // The display names in list order, joined by "|".
    std::string shown() const
    {
        const catalogue::Table& t = view.table();
        std::string out;
        for (int row = 0; row < view.RecordCount(); ++row)
            out += (row ? "|" : "") + utf8(t.text(view.recordAt(row), static_cast<std::size_t>(t.fieldIndex("NOMBREMOST"))));
        return out;
    }
};

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
    static std::size_t field(const char* name) { return static_cast<std::size_t>(table_->fieldIndex(name)); }
    static std::string text(std::size_t r, const char* name) { return std::string(table_->text(r, field(name))); }
    static std::size_t find(const std::string& ident)
    {
        for (std::size_t r = 0; r < table_->recordCount(); ++r)
            if (text(r, "IDENT") == ident)
                return r;
        return SIZE_MAX;
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
                      "1920:7 1930:7 1940:7 1950:7 1960:7 1970:7 1981:7 1991:7 2001:7 2004:7 ");
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
    }
    EXPECT_EQ(count, (std::map<std::string, int>{{"2", 991}, {"3", 1511}, {"4", 61}, {"Municipio", 731},
                                                 {"Municipio histórico", 260}, {"Entidad", 1511}, {"Núcleo", 61}}));
}

// Names, notes and census values of every unit, as the lists and the detail panel rely on them.
TEST_F(EmbeddedCatalogue, NamesNotesAndCensusValues)
{
    for (std::size_t r = 0; r < table().recordCount(); ++r) {
        for (std::size_t f = 0; f < table().fieldCount(); ++f)
            ASSERT_FALSE(table().isNull(r, f)) << "record " << r << " field " << f;
        const std::string busc = text(r, "NOMBREBUSC"), dicc = text(r, "NOMBREDICC"), most = text(r, "NOMBREMOST");
        EXPECT_EQ(busc, catalogue::cp1252::withoutAcuteAccents(dicc));
        EXPECT_TRUE(most == dicc || (text(r, "TIPONUM") == "3" && most.starts_with(dicc + " -- "))) << utf8(most);
        for (const char* article : {"El ", "La ", "Los ", "Las "})
            EXPECT_FALSE(dicc.starts_with(article)) << utf8(dicc);
        EXPECT_EQ(dicc.find(','), std::string::npos) << utf8(dicc);
        EXPECT_GE(text(r, "COMENTARIO").size(), 61u);
        EXPECT_EQ(text(r, "COMENTARIO").find_first_of("\r\n"), std::string::npos);
        bool anyFigure = false;
        for (std::size_t f = field("1900"); f <= field("2004"); ++f) {
            const std::string_view v = table().text(r, f);
            anyFigure = anyFigure || v != "-";
            // "-", or digits in groups of three from the right with "." between groups.
            bool ok = v == "-" || v == "0" || (!v.empty() && v[0] != '0');
            for (std::size_t k = 0; ok && v != "-" && k < v.size(); ++k)
                ok = (v.size() - k) % 4 == 0 ? v[k] == '.' : (v[k] >= '0' && v[k] <= '9');
            EXPECT_TRUE(ok) << v;
        }
        EXPECT_EQ(anyFigure, text(r, "TIPONUM") == "2") << utf8(dicc); // entities and nuclei: all "-"
    }

    const std::vector<std::tuple<const char*, const char*, std::string>> values = {
        {"20796", "NOMBREDICC", "Santa María de Buil"}, // historical: its figures, then "-"
        {"20796", "1900", "415"},
        {"20796", "1970", "-"},
        {"20796", "2004", "-"},
        {"20184", "1900", "1.659"}, // today's Biel: its present territory
        {"30766", "NOMBREMOST", "Litera -- Fraga"},
        {"31364", "NOMBREDICC", "Tozal (El)"},
    };
    for (const auto& [ident, column, expected] : values) {
        const std::size_t r = find(ident);
        ASSERT_NE(r, SIZE_MAX) << ident;
        EXPECT_EQ(utf8(text(r, column)), expected) << ident << " " << column;
    }
}

// What the three lists show for a search, and for "Listar todas".
TEST_F(EmbeddedCatalogue, SearchesListEveryKind)
{
    const std::vector<std::tuple<std::string, std::string, std::string, std::string>> searches = {
        {"ALBERUELA", "Alberuela de la Liena|Alberuela de Tubo", "Alberuela de la Liena|Alberuela de Tubo", ""},
        {"SANTA MARIA DE BUIL", "Santa María de Buil", "Santa María de Buil", ""},
        // The historical Biel (50049) and today's Biel (50901), in the order of their codes.
        {"BIEL", "Biel|Biel|Bielsa|Fuentes de Rubielos|Mora de Rubielos|Rubielos de la Cérida|Rubielos de Mora",
         "Biel|Bielsa|Estación Mora de Rubielos|Fuentes de Rubielos|Mora de Rubielos|Rubielos de la Cérida|"
         "Rubielos de Mora|Salinas de Bielsa",
         ""},
        // Entities sharing a name, told apart by their municipality.
        {"LITERA", "San Esteban de Litera|Tamarite de Litera|Viacamp y Litera",
         "Litera -- Fraga|Litera -- Viacamp y Litera|San Esteban de Litera|Tamarite de Litera", ""},
        {"TOZAL", "", "Tozal (El)", "Urbanización El Tozal"},
        {"PEÑA", "Peñalba|Peñarroya de Tastavins|Peñas de Riglos (Las)",
         "Peña Estación (La)|Peñaflor|Peñalba|Peñarroya de Tastavins|Peñarroyas|Santa Eulalia de la Peña",
         "Urbanización Peña El Zorongo"},
        {"PENA", "", "", ""}, // "ñ" is a letter of its own
    };
    for (const auto& [text, municipalities, entities, nuclei] : searches) {
        EXPECT_EQ(List(2, text).shown(), municipalities) << text;
        EXPECT_EQ(List(3, text).shown(), entities) << text;
        EXPECT_EQ(List(4, text).shown(), nuclei) << text;
    }
    EXPECT_EQ(List(2, "").view.RecordCount(), 991);
    EXPECT_EQ(List(3, "").view.RecordCount(), 1511);
    EXPECT_EQ(List(4, "").view.RecordCount(), 61);
}

} // namespace
