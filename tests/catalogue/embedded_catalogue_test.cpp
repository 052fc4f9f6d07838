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
#include <set>
#include <sstream>
#include <string>
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
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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
            table_ = new catalogue::Table(catalogue::readPacket(packetBytes()));
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
    static void TearDownTestSuite()
    {
        delete table_;
        table_ = nullptr;
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
    static inline catalogue::Table* table_ = nullptr;
    static inline bool bundled_ = false;
    static inline std::string loadError_;
};

TEST_F(EmbeddedCatalogue, FieldsAndLocale)
{
    const std::vector<std::pair<std::string, std::uint16_t>> expected = {
        {"IDENT", 5},   {"TIPONUM", 1}, {"NOMBREBUSC", 46}, {"NOMBREDICC", 46}, {"NOMBREMOST", 55},
        {"COMENTARIO", 1}, {"1900", 7}, {"1910", 7},        {"1920", 7},        {"1930", 7},
        {"1940", 7},    {"1950", 7},    {"1960", 7},        {"1970", 7},        {"1981", 7},
        {"1991", 7},    {"2001", 7},    {"2004", 7}};
    ASSERT_EQ(table().fieldCount(), expected.size());
    for (std::size_t f = 0; f < expected.size(); ++f) {
        EXPECT_EQ(table().fields()[f].name, expected[f].first);
        EXPECT_EQ(table().fields()[f].width, expected[f].second) << expected[f].first;
        EXPECT_EQ(table().fields()[f].kind,
                  f == 5 ? catalogue::FieldKind::Memo : catalogue::FieldKind::String);
    }
    EXPECT_EQ(table().lcid(), catalogue::kSpanishTraditional);
}

TEST_F(EmbeddedCatalogue, MunicipalitiesNumberedInSpanishOrderOfSearchName)
{
    ASSERT_EQ(table().recordCount(), kMunicipalities);
    const catalogue::Collation spanish(catalogue::kSpanishTraditional);
    std::set<std::string> idents;
    for (std::size_t r = 0; r < table().recordCount(); ++r) {
        for (std::size_t f = 0; f < table().fieldCount(); ++f)
            EXPECT_FALSE(table().isNull(r, f)) << "record " << r << " field " << f;
        EXPECT_EQ(table().text(r, field("IDENT")), std::to_string(20001 + r));
        EXPECT_EQ(table().text(r, field("TIPONUM")), "2");
        idents.emplace(table().text(r, field("IDENT")));
        if (r > 0) {
            EXPECT_LT(spanish.compare(table().text(r - 1, field("NOMBREBUSC")), table().text(r, field("NOMBREBUSC"))), 0)
                << catalogue::cp1252::toUtf8(table().text(r, field("NOMBREBUSC")));
        }
    }
    EXPECT_EQ(idents.size(), kMunicipalities);
    EXPECT_EQ(*idents.begin(), "20001");
    EXPECT_EQ(*idents.rbegin(), "20731");

    // The traditional order: "ch" after "c", "ll" after "l", "ñ" after "n".
    const std::vector<std::pair<std::string, std::string>> before = {
        {"Cuevas Labradas", "Chalamera"}, {"Luna", "Lledo"},      {"Lupiñen-Ortilla", "Lledo"},
        {"Anento", "Aniñon"},             {"Aniñon", "Añon de Moncayo"}, {"Fuentes Claras", "Fuentespalda"}};
    for (const auto& [first, second] : before) {
        const std::size_t a = find(cp(first)), b = find(cp(second));
        ASSERT_NE(a, SIZE_MAX) << first;
        ASSERT_NE(b, SIZE_MAX) << second;
        EXPECT_LT(a, b) << first << " / " << second;
    }
}

TEST_F(EmbeddedCatalogue, NamesAndNotes)
{
    std::map<std::string, int> perProvince;
    for (std::size_t r = 0; r < table().recordCount(); ++r) {
        const std::string busc(table().text(r, field("NOMBREBUSC")));
        const std::string dicc(table().text(r, field("NOMBREDICC")));
        EXPECT_EQ(table().text(r, field("NOMBREMOST")), dicc);
        EXPECT_GE(busc.size(), 3u);
        EXPECT_LE(busc.size(), 46u);
        EXPECT_EQ(busc.size(), dicc.size());
        EXPECT_EQ(busc.find_first_of(cp("áéíóúÁÉÍÓÚ")), std::string::npos) << catalogue::cp1252::toUtf8(busc);
        EXPECT_NE(catalogue::cp1252::upper(busc), busc) << "never all capitals";
        for (const char* article : {"El ", "La ", "Los ", "Las "})
            EXPECT_FALSE(dicc.starts_with(article)) << catalogue::cp1252::toUtf8(dicc);

        const std::string_view note = table().text(r, field("COMENTARIO"));
        EXPECT_GE(note.size(), 61u);
        EXPECT_LE(note.size(), 399u);
        EXPECT_EQ(note.find_first_of("\r\n"), std::string_view::npos);
        const std::string lead = "Municipio de la provincia de ";
        ASSERT_TRUE(note.starts_with(lead)) << catalogue::cp1252::toUtf8(note);
        const std::string_view rest = note.substr(lead.size());
        ++perProvince[std::string(rest.substr(0, rest.find(',')))];
    }
    EXPECT_EQ(perProvince, (std::map<std::string, int>{{"Huesca", 202}, {"Teruel", 236}, {"Zaragoza", 293}}));

    const std::size_t almunia = find(cp("Almunia de Doña Godina (La)"));
    ASSERT_NE(almunia, SIZE_MAX);
    EXPECT_EQ(table().text(almunia, field("NOMBREDICC")), cp("Almunia de Doña Godina (La)"));
    const std::size_t epila = find("Epila");
    ASSERT_NE(epila, SIZE_MAX);
    EXPECT_EQ(table().text(epila, field("NOMBREDICC")), cp("Épila"));
}

TEST_F(EmbeddedCatalogue, CensusValues)
{
    for (std::size_t r = 0; r < table().recordCount(); ++r) {
        bool anyFigure = false;
        for (std::size_t f = field("1900"); f <= field("2004"); ++f) {
            const std::string_view v = table().text(r, f);
            ASSERT_FALSE(v.empty());
            EXPECT_LE(v.size(), 7u);
            if (v == "-")
                continue;
            anyFigure = true;
            // Digits in groups of three from the right, "." between groups.
            for (std::size_t k = 0; k < v.size(); ++k) {
                const std::size_t fromRight = v.size() - k;
                if (fromRight % 4 == 0)
                    EXPECT_EQ(v[k], '.') << v;
                else
                    EXPECT_TRUE(v[k] >= '0' && v[k] <= '9') << v;
            }
            EXPECT_TRUE(v == "0" || v[0] != '0') << v;
        }
        EXPECT_TRUE(anyFigure);
    }
    const std::size_t zaragoza = find("Zaragoza");
    ASSERT_NE(zaragoza, SIZE_MAX);
    EXPECT_EQ(table().text(zaragoza, field("2004")), "638.799");
    EXPECT_EQ(table().text(zaragoza, field("1900")), "98.397");
    const std::size_t vencillon = find("Vencillon");
    ASSERT_NE(vencillon, SIZE_MAX);
    EXPECT_EQ(table().text(vencillon, field("1930")), "-");
    EXPECT_EQ(table().text(vencillon, field("1940")), "149");
    const std::size_t villamayor = find("Villamayor de Gallego");
    ASSERT_NE(villamayor, SIZE_MAX);
    EXPECT_EQ(table().text(villamayor, field("2004")), "-");
    EXPECT_EQ(table().text(villamayor, field("2001")), "2.433");
}

// The municipalities list as the program sets it up: kind filter, then the
// order by search name, which is the stored order.
TEST_F(EmbeddedCatalogue, MunicipalityListIsTheStoredOrder)
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
    EXPECT_EQ(countWith("ident = 20001"), 1);
    EXPECT_EQ(countWith("ident = 20731"), 1);
    EXPECT_EQ(countWith("ident = 20732"), 0);
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
        const std::size_t a = line.find(',');
        const std::size_t b = line.find(',', a + 1);
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

TEST_F(EmbeddedCatalogue, SearchesFindWhatTheCensusTablePredicts)
{
    const std::vector<std::pair<std::string, int>> searches = {
        {"HUESCA", 3},   // Adahuesca, Casbas de Huesca, Huesca
        {"ALMUNIA", 2},  // Almunia de Doña Godina (La), Almunia de San Juan
        {cp("PEÑA"), 3}, // Peñalba, Peñarroya de Tastavins, Peñas de Riglos (Las)
        {"PENA", 0},     // "ñ" is a letter of its own
        {"ZARAGOZA", 1},
        {"GALLEGO", 7},
    };
    for (const auto& [text, verified] : searches) {
        SCOPED_TRACE(catalogue::cp1252::toUtf8(text));
        const int predicted = predictedHits(text, verified);
        EXPECT_EQ(countWith(searchFilter(2, text)), predicted);
        EXPECT_EQ(countWith(searchFilter(3, text)), 0);
        EXPECT_EQ(countWith(searchFilter(4, text)), 0);
    }
}

} // namespace
