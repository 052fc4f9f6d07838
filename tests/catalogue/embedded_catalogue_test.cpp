// The catalogue the program embeds as PUEBLOS, built from resources/pueblos.csv:
// Aragón's 731 current municipalities, read back as packet and as views.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
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

constexpr std::size_t kMunicipalities = 731;

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

// cp1252 text of a UTF-8 literal.
std::string cp(const std::string& utf8) { return catalogue::cp1252::fromUtf8(utf8).value(); }

// The program's search filter for one kind.
std::string searchFilter(int kind, const std::string& text)
{
    return "(tiponum = " + std::to_string(kind) + ") and (Upper(nombrebusc) like '%" + text + "%')";
}

int countWith(const std::string& filter)
{
    catalogue::View view;
    view.setFilter(filter);
    view.setFiltered(true);
    view.LoadFromBytes(packetBytes());
    return view.RecordCount();
}

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
    static std::size_t find(const std::string& searchName)
    {
        for (std::size_t r = 0; r < table_->recordCount(); ++r)
            if (table_->text(r, field("NOMBREBUSC")) == searchName)
                return r;
        return SIZE_MAX;
    }

private:
    static inline std::unique_ptr<catalogue::Table> table_;
    static inline bool bundled_ = false;
    static inline std::string loadError_;
};

TEST_F(EmbeddedCatalogue, FieldsAndMunicipalitiesNumberedInSpanishOrder)
{
    std::string fields;
    for (const auto& f : table().fields())
        fields += f.name + (f.kind == catalogue::FieldKind::Memo ? "*" : "") + ":" + std::to_string(f.width) + " ";
    EXPECT_EQ(fields, "IDENT:5 TIPONUM:1 NOMBREBUSC:46 NOMBREDICC:46 NOMBREMOST:55 COMENTARIO*:1 1900:7 1910:7 "
                      "1920:7 1930:7 1940:7 1950:7 1960:7 1970:7 1981:7 1991:7 2001:7 2004:7 ");
    EXPECT_EQ(table().lcid(), catalogue::kSpanishTraditional);

    ASSERT_EQ(table().recordCount(), kMunicipalities);
    const catalogue::Collation spanish(catalogue::kSpanishTraditional);
    for (std::size_t r = 0; r < table().recordCount(); ++r) {
        EXPECT_EQ(table().text(r, field("IDENT")), std::to_string(20001 + r)); // unique, in order
        EXPECT_EQ(table().text(r, field("TIPONUM")), "2");
        if (r > 0) {
            EXPECT_LT(spanish.compare(table().text(r - 1, field("NOMBREBUSC")), table().text(r, field("NOMBREBUSC"))), 0)
                << catalogue::cp1252::toUtf8(table().text(r, field("NOMBREBUSC")));
        }
    }
    // The traditional order: "ch" after "c", "ll" after "l", "ñ" after "n".
    const std::vector<std::pair<std::string, std::string>> before = {
        {"Cuevas Labradas", "Chalamera"}, {"Luna", "Lledo"},      {"Lupiñen-Ortilla", "Lledo"},
        {"Anento", "Aniñon"},             {"Aniñon", "Añon de Moncayo"}, {"Fuentes Claras", "Fuentespalda"}};
    for (const auto& [first, second] : before) {
        const std::size_t a = find(cp(first)), b = find(cp(second));
        ASSERT_NE(b, SIZE_MAX) << second;
        EXPECT_LT(a, b) << first << " / " << second;
    }
}

TEST_F(EmbeddedCatalogue, NamesNotesAndCensusValues)
{
    std::map<std::string, int> perProvince;
    for (std::size_t r = 0; r < table().recordCount(); ++r) {
        for (std::size_t f = 0; f < table().fieldCount(); ++f)
            EXPECT_FALSE(table().isNull(r, f)) << "record " << r << " field " << f;
        const std::string busc(table().text(r, field("NOMBREBUSC")));
        const std::string dicc(table().text(r, field("NOMBREDICC")));
        EXPECT_EQ(table().text(r, field("NOMBREMOST")), dicc);
        EXPECT_EQ(busc.size(), dicc.size());
        EXPECT_EQ(busc.find_first_of(cp("áéíóúÁÉÍÓÚ")), std::string::npos) << catalogue::cp1252::toUtf8(busc);
        for (const char* article : {"El ", "La ", "Los ", "Las "})
            EXPECT_FALSE(dicc.starts_with(article)) << catalogue::cp1252::toUtf8(dicc);

        const std::string_view note = table().text(r, field("COMENTARIO"));
        EXPECT_GE(note.size(), 61u);
        EXPECT_EQ(note.find_first_of("\r\n"), std::string_view::npos);
        const std::string lead = "Municipio de la provincia de ";
        ASSERT_TRUE(note.starts_with(lead)) << catalogue::cp1252::toUtf8(note);
        const std::string_view rest = note.substr(lead.size());
        ++perProvince[std::string(rest.substr(0, rest.find(',')))];

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
        EXPECT_TRUE(anyFigure);
    }
    EXPECT_EQ(perProvince, (std::map<std::string, int>{{"Huesca", 202}, {"Teruel", 236}, {"Zaragoza", 293}}));

    const std::vector<std::tuple<std::string, const char*, std::string>> values = {
        {cp("Almunia de Doña Godina (La)"), "NOMBREDICC", cp("Almunia de Doña Godina (La)")},
        {"Epila", "NOMBREDICC", cp("Épila")},
        {"Zaragoza", "2004", "638.799"},
        {"Zaragoza", "1900", "98.397"},
        {"Vencillon", "1930", "-"},
        {"Vencillon", "1940", "149"},
        {"Villamayor de Gallego", "2004", "-"},
        {"Villamayor de Gallego", "2001", "2.433"},
    };
    for (const auto& [name, column, expected] : values) {
        const std::size_t r = find(name);
        ASSERT_NE(r, SIZE_MAX) << name;
        EXPECT_EQ(table().text(r, field(column)), expected) << name << " " << column;
    }
}

// What a search finds, predicted from the census table itself when it is at
// hand; the figures below were verified against it.
int predictedHits(const std::string& text, int verified)
{
    const fs::path source = fs::path(SOURCE_DIR) / "../shared/data/aragon-municipios-1900-2004.csv";
    if (!fs::exists(source))
        return verified;
    std::istringstream in(readAll(source));
    std::string line;
    std::getline(in, line); // header
    int hits = 0;
    while (std::getline(in, line)) {
        const std::size_t a = line.find(','), b = line.find(',', a + 1);
        std::string name = catalogue::cp1252::fromUtf8(line.substr(a + 1, b - a - 1)).value();
        for (char& c : name) {
            const std::string from = cp("áéíóúÁÉÍÓÚ"), to = "aeiouAEIOU";
            if (const std::size_t k = from.find(c); k != std::string::npos)
                c = to[k];
        }
        // Moving the article does not change whether a single word is contained.
        if (catalogue::cp1252::upper(name).find(text) != std::string::npos)
            ++hits;
    }
    EXPECT_EQ(hits, verified) << "census table and verified count disagree for " << text;
    return hits;
}

// The municipalities list as the program sets it up (kind filter, then the
// order by search name, which is the stored order), and what searches find.
TEST_F(EmbeddedCatalogue, MunicipalityListAndSearches)
{
    catalogue::View view;
    view.setFilter("tiponum = 2");
    view.setFiltered(true);
    view.LoadFromBytes(packetBytes());
    view.setIndexFieldNames("NOMBREBUSC");
    ASSERT_EQ(view.RecordCount(), static_cast<int>(kMunicipalities));
    for (int row = 0; row < view.RecordCount(); ++row)
        ASSERT_EQ(view.recordAt(row), static_cast<std::size_t>(row)) << "row " << row;

    EXPECT_EQ(countWith("tiponum = 3"), 0) << "this edition lists no entities";
    EXPECT_EQ(countWith("tiponum = 4"), 0) << "this edition lists no nuclei";
    EXPECT_EQ(countWith(searchFilter(2, "")), static_cast<int>(kMunicipalities));

    const std::vector<std::pair<std::string, int>> searches = {
        {"HUESCA", 3},   // Adahuesca, Casbas de Huesca, Huesca
        {"ALMUNIA", 2},  // Almunia de Doña Godina (La), Almunia de San Juan
        {cp("PEÑA"), 3}, // Peñalba, Peñarroya de Tastavins, Peñas de Riglos (Las)
        {"PENA", 0},     // "ñ" is a letter of its own
        {"ZARAGOZA", 1},
        {"GALLEGO", 7},
    };
    for (const auto& [text, verified] : searches)
        EXPECT_EQ(countWith(searchFilter(2, text)), predictedHits(text, verified)) << catalogue::cp1252::toUtf8(text);
}

} // namespace
