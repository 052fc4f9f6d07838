// poblacion-convert as a process: what it makes of small tables of real rows, its refusals of
// bad input, and the committed catalogue against the source tables in data/.

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "process_test.h"

namespace {

const std::string kCurrent = R"(ine,nombre,provincia,1900,1910,1920,1930,1940,1950,1960,1970,1981,1991,2001,2004
22001,Abiego,Huesca,1383,1440,1401,1181,1058,766,614,465,357,320,289,288
22072,Caldearenas,Huesca,1483,1512,1436,1256,1139,1008,866,494,339,283,250,270
22112,Fraga,Huesca,6934,7418,7827,7480,7120,7750,8791,10134,11186,11491,12100,13035
22115,El Grado,Huesca,1605,1486,1616,1453,1373,1063,1367,821,670,590,518,511
22173,Las Peñas de Riglos,Huesca,2226,2633,2429,2459,2233,1816,1467,698,392,283,268,282
22199,Sabiñánigo,Huesca,4884,5063,4828,5491,5497,5606,7793,8367,9097,9056,8578,8855
22247,Viacamp y Litera,Huesca,820,800,808,745,726,573,274,85,51,41,36,26
22907,Aínsa-Sobrarbe,Huesca,3680,3800,3715,3479,3331,3024,2502,1722,1237,1427,1602,1766
22909,Vencillón,Huesca,,,,,149,147,88,456,542,514,468,446
50901,Biel,Zaragoza,1659,1735,1601,1492,1246,1066,864,506,284,226,230,215
)";
const std::string kHistorical =
    R"(ine,nombre,nombre_origen,provincia,ultimo_censo,sucesor_ine,sucesor_nombre,alteracion,destino_ine,1900,1910,1920,1930,1940,1950,1960,1970,1981,1991,2001
22005,Aínsa,nomenclator,22,1970,22907,Aínsa-Sobrarbe,1981 EF Ainsa <se elimina por fusion en> Ainsa-Sobrarbe,22907,417,538,542,587,523,571,578,1295,,,
22026,Alto Sobrarbe,censo,22,1970,22907,Aínsa-Sobrarbe,1981 EF Alto Sobrarbe <se elimina por fusion en> Ainsa-Sobrarbe,22907,,,,,,,,427,,,
22030,Anzánigo,nomenclator,22,1970,22072;22173,Caldearenas;Peñas de Riglos (Las),"1981 ER Anzanigo <se elimina porque se reparte, entre otros, a> Caldearenas | 1981 ER Anzanigo <se elimina porque se reparte, entre otros, a> Penas de Riglos, Las",22072;22173,375,420,380,385,337,315,298,146,,,
22509,Alberuela de la Liena,nomenclator,22,1960,22001,Abiego,1970 EI Alberuela de la Liena <se elimina por integracion en> Abiego,22001,367,416,393,347,285,227,188,,,,
22624,Santa María de Buil,nomenclator,22,1960,22907,Aínsa-Sobrarbe,"1970 ED Santa Maria de Buil <se elimina por division, entre otros, en> Alto Sobrarbe | 1970 ER Santa Maria de Buil <se elimina porque se reparte, entre otros, a> Ainsa",22026;22005,415,401,374,347,321,265,208,,,,
50049,Biel,nomenclator,50,1970,50901,Biel,1981 EF Biel <se elimina por fusion en> Biel-Fuencalderas,50901,1330,1357,1251,1151,949,850,681,404,,,
)";
const std::string kNomenclator = R"(anio,provincia,municipio_ine,municipio,entidad_codigo,entidad,unidad_codigo,unidad,tipo,habitantes
2015,22,22001,Abiego,220010002,Alberuela de la Liena,22001000201,Alberuela de la Liena,nucleo,69
2015,22,22199,Sabiñánigo,221990051,Used,22199005101,Used,nucleo,1
2020,22,22001,Abiego,220010001,Abiego,22001000101,Abiego,nucleo,190
2020,22,22001,Abiego,220010002,Alberuela de la Liena,22001000201,Alberuela de la Liena,nucleo,68
2020,22,22112,Fraga,221120003,Litera,22112000301,Litera,nucleo,8
2020,22,22112,Fraga,221120003,Litera,22112000399,*Diseminado*,diseminado,121
2020,22,22115,Grado (El),221150004,"Grado, El",22115000401,"Grado, El",nucleo,232
2020,22,22115,Grado (El),221150004,"Grado, El",22115000402,"Poblado, El",nucleo,8
2020,22,22115,Grado (El),221150004,"Grado, El",22115000499,*Diseminado*,diseminado,4
2020,22,22115,Grado (El),221150005,El Tozal,22115000501,Urbanización El Tozal,nucleo,5
2020,22,22247,Viacamp y Litera,222470003,Litera,22247000301,Litera,nucleo,17
)";

// The comarcas of the current municipalities of these tests, as the shared table gives them.
const std::string kComarcaHeader = "ine,municipio_iaest,comarca_codigo,comarca\n";
const std::string kComarcaRows = R"(22001,Abiego,07,Somontano de Barbastro
22066,Boltaña,03,Sobrarbe
22072,Caldearenas,02,Alto Gállego
22112,Fraga,11,Bajo Cinca / Baix Cinca
22115,Grado (El),07,Somontano de Barbastro
22129,Isábena,04,La Ribagorza
22155,Monesma y Cajigar,04,La Ribagorza
22156,Monflorite-Lascasas,06,Hoya de Huesca / Plana de Uesca
22006,Aísa,01,La Jacetania
22114,Gistaín,03,Sobrarbe
22173,Peñas de Riglos (Las),06,Hoya de Huesca / Plana de Uesca
22182,Plan,03,Sobrarbe
22199,Sabiñánigo,02,Alto Gállego
22227,Tella-Sin,03,Sobrarbe
22230,Torla-Ordesa,03,Sobrarbe
22246,Beranuy,04,La Ribagorza
22247,Viacamp y Litera,04,La Ribagorza
22907,Aínsa-Sobrarbe,03,Sobrarbe
22909,Vencillón,09,La Litera / La Llitera
50095,Ejea de los Caballeros,05,Cinco Villas
50241,Saviñán,20,Comunidad de Calatayud
50297,Zaragoza,17,Central
50901,Biel,05,Cinco Villas
50903,Villamayor de Gállego,17,Central
)";

// The comarca table of the current municipalities of a current table: their rows of kComarcaRows.
std::string comarcasOf(const std::string& current)
{
    std::string out = kComarcaHeader;
    std::istringstream rows(kComarcaRows);
    for (std::string row; std::getline(rows, row);)
        if (current.find("\n" + row.substr(0, 6)) != std::string::npos)
            out += row + "\n";
    return out;
}

// The lines of a table, line n (from 1) replaced by `row` when given.
std::string with(const std::string& table, std::size_t n = 0, const std::string& row = "")
{
    std::istringstream in(table);
    std::string out;
    std::size_t k = 0;
    for (std::string line; std::getline(in, line);)
        out += (++k == n ? row : line) + "\n";
    return out;
}

// The cells of each row of a CSV text after its header: comma separated, a cell
// with commas between double quotes (none of the texts here holds a quote).
using Record = std::vector<std::string>;
std::vector<Record> rowsOf(const std::string& text)
{
    std::vector<Record> rows;
    bool quoted = false, start = true;
    for (char c : text.substr(text.find('\n') + 1)) {
        if (start)
            rows.emplace_back(1), start = false;
        if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            rows.back().emplace_back();
        else if (c == '\n')
            start = true;
        else
            rows.back().back() += c;
    }
    return rows;
}

// A converted catalogue: "IDENT search name | dictionary name | display name; …", each name given when it
// differs from the one before, the note and census values ("1.330 1.357 … -") of each IDENT, and the
// note of each unit by its code (CODIGO: INE code or nomenclátor code), and the code of each IDENT.
struct Converted {
    std::string listing;
    std::map<std::string, std::string> note, values, noteOf, code;
};

// The units of kCurrent, kHistorical and kNomenclator: articles behind, no acute accents in search names,
// shared entity names and a historical municipality named as a current one told apart, no diseminado.
const std::string kListing =
    "20001 Abiego; 20002 Ainsa | Aínsa | Aínsa -- municipio histórico; 20003 Ainsa-Sobrarbe | Aínsa-Sobrarbe; "
    "20004 Alberuela de la Liena | Alberuela de la Liena -- municipio histórico; "
    "20005 Alto Sobrarbe | Alto Sobrarbe -- municipio histórico; 20006 Anzanigo | Anzánigo | Anzánigo -- municipio "
    "histórico; 20007 Biel; 20008 Biel | Biel -- municipio histórico; 20009 Caldearenas; "
    "20010 Fraga; 20011 Grado (El); 20012 Peñas de Riglos (Las); 20013 Sabiñanigo | Sabiñánigo; "
    "20014 Santa Maria de Buil | Santa María de Buil | Santa María de Buil -- municipio histórico; "
    "20015 Vencillon | Vencillón; 20016 Viacamp y "
    "Litera; 30001 Abiego; 30002 Alberuela de la Liena; 30003 Grado (El); 30004 Litera | Litera -- "
    "Viacamp y Litera; 30005 Litera | Litera -- Fraga; 30006 Tozal (El); 30007 Used; 40001 Poblado (El); "
    "40002 Urbanizacion El Tozal | Urbanización El Tozal; ";

class ConvertTest : public ProcessTest {
protected:
    Outcome run(const std::vector<std::string>& args) const { return ProcessTest::run(CONVERT_PATH, args); }
    // Converts the three tables given as text into out.csv.
    // Converts the tables given as text into out.csv; the comarcas of the current municipalities are those of
    // kComarcaRows unless given.
    Outcome convert(const std::string& current, const std::string& historical, const std::string& nomenclator,
                    const std::optional<std::string>& comarcas = std::nullopt) const
    {
        writeAll(path("cur.csv"), current);
        writeAll(path("hist.csv"), historical);
        writeAll(path("nom.csv"), nomenclator);
        writeAll(path("com.csv"), comarcas ? *comarcas : comarcasOf(current));
        return run({path("cur.csv"), path("hist.csv"), path("nom.csv"), path("com.csv"), path("out.csv")});
    }
    // Converts the tables and reads out.csv back.
    Converted converted(const std::string& current, const std::string& historical, const std::string& nomenclator) const
    {
        const Outcome outcome = convert(current, historical, nomenclator);
        EXPECT_EQ(outcome.code, 0) << outcome.err;
        Converted c;
        for (const Record& r : rowsOf(readAll(path("out.csv")))) {
            EXPECT_EQ(r.size(), 19u);
            if (r.size() != 19)
                break;
            EXPECT_EQ(r[1].front(), r[0].front()) << "IDENT = kind × 10000 + n";
            c.listing.append(r[0]).append(" ").append(r[2]);
            for (std::size_t f : {3, 4})
                c.listing.append(r[f] != r[f - 1] ? " | " : "").append(r[f] != r[f - 1] ? r[f] : "");
            c.listing.append("; ");
            c.note[r[0]] = r[5];
            c.noteOf[r[18]] = r[5];
            c.code[r[0]] = r[18];
            for (std::size_t f = 6; f < 18; ++f)
                c.values[r[0]].append(r[f]).append(f < 17 ? " " : "");
        }
        return c;
    }
};

TEST_F(ConvertTest, UnitsOfEachKindWithNamesNotesAndCensusValues)
{
    const auto [listing, note, values, noteOf, code] = converted(kCurrent, kHistorical, kNomenclator);
    const std::string text = readAll(path("out.csv"));
    EXPECT_TRUE(text.starts_with("IDENT,TIPONUM,NOMBREBUSC,NOMBREDICC,NOMBREMOST,COMENTARIO,1900,1910,1920,1930,"
                                 "1940,1950,1960,1970,1981,1991,2001,2004,CODIGO\n\"20001\",\"2\","));
    EXPECT_EQ(listing, kListing);
    // The code of each kind: a municipality's INE code, historical ones too; an entity's nine digits; a núcleo's
    // eleven.
    const std::vector<std::pair<const char*, const char*>> codes = {
        {"20001", "22001"}, {"20002", "22005"}, {"20008", "50049"}, {"20015", "22909"},
        {"30002", "220010002"}, {"30005", "221120003"}, {"40001", "22115000402"}, {"40002", "22115000501"}};
    for (const auto& [ident, expected] : codes)
        EXPECT_EQ(code.at(ident), expected) << ident;

    // One note of each kind (current, historical, entity, núcleo), and census values. Names inside a
    // sentence take their article first.
    const std::vector<std::pair<const char*, const char*>> notes = {
        {"20015", // current, with census figures missing
         "Municipio de la provincia de Huesca, con el código INE 22909. Forma parte de la comarca de La Litera / La "
         "Llitera. La serie no da su población en los censos de 1900 a 1930. Su mayor población censal, 542 "
         "habitantes, es la de 1981. En el padrón municipal de 2004 tenía 446 habitantes."},
        {"20006", // shared between its two successors, named as the catalogue spells them
         "Municipio histórico de la provincia de Huesca, con el código INE 22030. Figura como municipio en los censos "
         "de 1900 a 1970. Antes del censo de 1981 se repartió entre Caldearenas y Las Peñas de Riglos. Su mayor "
         "población censal, 420 habitantes, es la de 1910."},
        {"30007", // not in the latest padrón; what the sources do not give, and where the padrón figure comes from
         "Entidad de población con el código 221990051, del municipio de Sabiñánigo, en la provincia de Huesca. Las "
         "fuentes de este catálogo no dan cifras por entidad de 1900 a 2004. Según el Nomenclátor del IAEST, en el "
         "padrón de 2015 tenía 1 habitante, y no figura como habitada en el de 2020."},
        {"40002",
         "Núcleo de población con el código 22115000501, de la entidad El Tozal, del municipio de El Grado, en la "
         "provincia de Huesca. Las fuentes de este catálogo no dan cifras por núcleo de 1900 a 2004. Según el "
         "Nomenclátor del IAEST, en el padrón de 2020 tenía 5 habitantes."},
    };
    for (const auto& [ident, expected] : notes)
        EXPECT_EQ(note.at(ident), expected) << ident;
    EXPECT_EQ(values.at("20015"), "- - - - 149 147 88 456 542 514 468 446");
    EXPECT_EQ(values.at("20008"), "1.330 1.357 1.251 1.151 949 850 681 404 - - - -");
    for (const char* ident : {"30001", "30007", "40001", "40002"}) // entities and nuclei: no census figure
        EXPECT_EQ(values.at(ident), "- - - - - - - - - - - -") << ident;
}

// Tables saved with a byte order mark, CR LF line ends and empty lines between the rows read as the plain ones.
TEST_F(ConvertTest, TablesWithAByteOrderMarkCrLfAndEmptyLinesReadAlike)
{
    const auto saved = [](const std::string& table) {
        std::string out = "\xEF\xBB\xBF";
        for (char c : table)
            out += c == '\n' ? std::string("\r\n\r\n") : std::string(1, c);
        return out;
    };
    const Converted c = converted(saved(kCurrent), saved(kHistorical), saved(kNomenclator));
    EXPECT_EQ(c.listing, kListing);
    EXPECT_EQ(c.values.at("20015"), "- - - - 149 147 88 456 542 514 468 446");
    EXPECT_TRUE(c.note.at("30007").ends_with("padrón de 2015 tenía 1 habitante, y no figura como habitada en el de 2020."))
        << c.note.at("30007");
}

// What became of a historical municipality, as the catalogue names the places involved, in real rows: the
// municipality each change names, by its code, and the current ones that hold its territory today.
TEST_F(ConvertTest, HistoricalNotesNameWhereTheyWentAndWhatHoldsThemToday)
{
    const std::string current = kCurrent + R"(22006,Aísa,Huesca,733,787,814,631,552,468,385,263,273,321,402,415
22066,Boltaña,Huesca,1926,1896,1871,1807,1763,1566,1381,992,919,851,814,870
22114,Gistaín,Huesca,444,479,592,537,510,381,360,291,244,210,168,161
22129,Isábena,Huesca,1246,1288,1226,1174,1162,1070,831,507,347,279,273,278
22155,Monesma y Cajigar,Huesca,513,561,590,569,454,424,303,183,130,109,98,104
22156,Monflorite-Lascasas,Huesca,452,491,428,447,445,447,384,313,211,185,207,217
22182,Plan,Huesca,1124,1096,1113,1007,871,740,640,548,325,301,314,314
22227,Tella-Sin,Huesca,717,737,843,964,794,738,617,451,422,321,281,267
22230,Torla-Ordesa,Huesca,988,1016,886,892,923,814,612,444,369,363,347,315
22246,Beranuy,Huesca,651,765,659,585,595,579,462,248,141,121,111,105
50297,Zaragoza,Zaragoza,98397,109957,138617,160179,202948,241867,301655,467223,569830,592548,612472,638799
50903,Villamayor de Gállego,Zaragoza,1894,1870,1932,2013,2253,2252,2320,2143,2025,1846,2433,
)";
    const std::string historical = kHistorical + R"(22148,Linás de Broto,nomenclator,22,1970,22230,Torla-Ordesa,1981 EI Linas de Broto <se elimina por integracion en> Torla,22230,380,395,370,373,385,351,233,142,,,
22534,Beranuy,nomenclator,22,1960,22246,Beranuy,1970 EF Beranuy <se elimina por fusion en> Veracruz,22246,328,401,336,303,333,326,271,,,,
22548,Cajigar,nomenclator,22,1960,22155,Monesma y Cajigar,1970 EF Cajigar <se elimina por fusion en> Monesma y Cajigar,22155,,,371,370,345,339,238,,,,
22550,Calvera,nomenclator,22,1960,22246,Beranuy,1970 EF Calvera <se elimina por fusion en> Veracruz,22246,323,364,323,282,262,253,191,,,,
22586,Lascasas,nomenclator,22,1960,22156,Monflorite-Lascasas,1970 EF Lascasas <se elimina por fusion en> Monflorite-Lascasas,22156,227,235,190,161,168,183,159,,,,
22595,Monesma de Benabarre,censo,22,1960,22155,Monesma y Cajigar,1970 EF Monesma de Benabarre <se elimina por fusion en> Monesma y Cajigar,22155,322,341,310,289,274,236,169,,,,
22596,Monflorite,nomenclator,22,1960,22156,Monflorite-Lascasas,1970 EF Monflorite <se elimina por fusion en> Monflorite-Lascasas,22156,306,348,316,385,359,346,290,,,,
22621,San Esteban del Mall,censo,22,1910,22155;22129,Monesma y Cajigar;Isábena,1920 EC San Esteban del Mall <se elimina por cambio de codigo de> Cajigar,22548,310,337,,,,,,,,,
22634,Serveto,censo,22,1920,22182,Plan,1930 EI Serveto <se elimina por integracion en> Gistain,22114,398,404,443,,,,,,,,
22636,Sieste,nomenclator,22,1960,22066;22907,Boltaña;Aínsa-Sobrarbe,"1970 ER Sieste <se elimina porque se reparte, entre otros, a> Ainsa | 1970 ER Sieste <se elimina porque se reparte, entre otros, a> Boltana",22005;22066,407,420,408,432,370,306,240,,,,
22637,Sin y Salinas,censo,22,1960,22227,Tella-Sin,1970 EF Sin y Salinas <se elimina por fusion en> Tella-Sin,22227,373,380,468,474,355,250,195,,,,
22638,Sinués,nomenclator,22,1960,22006,Aísa,1970 EI Sinues <se elimina por integracion en> Ainsa,22006,191,208,154,148,127,89,59,,,,
22641,Tella,nomenclator,22,1960,22227,Tella-Sin,1970 EF Tella <se elimina por fusion en> Tella-Sin,22227,344,357,375,490,439,488,422,,,,
22649,Used,nomenclator,22,1920,22199,Sabiñánigo,1930 EI Used y Bara <se elimina por integracion en> Secorun,22134,361,415,391,,,,,,,,
22134,Laguarta,nomenclator,22,1970,22066;22199,Boltaña;Sabiñánigo,"1981 ER Laguarta <se elimina porque se reparte, entre otros, a> Boltana | 1981 ER Laguarta <se elimina porque se reparte, entre otros, a> Sabinanigo",22066;22199,1203,1211,1059,1416,1216,805,432,74,,,
50112,Fuencalderas,nomenclator,50,1970,50901,Biel,1981 EF Fuencalderas <se elimina por fusion en> Biel-Fuencalderas,50901,329,378,350,341,297,216,183,102,,,
50515,Villamayor,censo,50,1910,50903,Villamayor de Gállego,1920 EI Villamayor <se elimina por integracion en> Zaragoza,50297,2087,2076,,,,,,,,,
)";
    const std::string nomenclator = kNomenclator + R"(2020,50,50297,Zaragoza,502970005,Juslibol,50297000501,Juslibol,nucleo,824
2020,50,50297,Zaragoza,502970005,Juslibol,50297000502,Academia General Militar,nucleo,727
2020,50,50297,Zaragoza,502970005,Juslibol,50297000599,*Diseminado*,diseminado,1
)";
    const Outcome outcome = convert(current, historical, nomenclator);
    const std::map<std::string, std::string> noteOf = converted(current, historical, nomenclator).noteOf;
    // What follows "Figura como municipio en … ." up to the largest or only census population.
    const auto fate = [&](const char* ine) {
        const std::string& note = noteOf.at(ine);
        const std::size_t from = note.find(". Antes del censo") + 2;
        return note.substr(from, std::min(note.find(" Su mayor población censal"), note.find(" Su única cifra")) - from);
    };
    const std::vector<std::pair<const char*, const char*>> fates = {
        // Fusions, named with their partners, marked as historical, and the new municipality, with what it is
        // called today when that differs. A municipality named today as this one says so; a partner whose name
        // holds "y" reads as one.
        {"50049", "Antes del censo de 1981 se fusionó con el municipio histórico de Fuencalderas en el nuevo municipio "
                  "de Biel-Fuencalderas, que hoy se llama Biel, como este municipio histórico."},
        {"50112", "Antes del censo de 1981 se fusionó con el municipio histórico de Biel en el nuevo municipio de "
                  "Biel-Fuencalderas, que hoy se llama Biel."},
        {"22534", "Antes del censo de 1970 se fusionó con el municipio histórico de Calvera en el nuevo municipio de "
                  "Veracruz, que hoy se llama Beranuy, como este municipio histórico."},
        {"22550", "Antes del censo de 1970 se fusionó con el municipio histórico de Beranuy en el nuevo municipio de "
                  "Veracruz, que hoy se llama Beranuy."},
        {"22005", "Antes del censo de 1981 se fusionó con el municipio histórico de Alto Sobrarbe en el nuevo municipio "
                  "de Aínsa-Sobrarbe."},
        {"22026", "Antes del censo de 1981 se fusionó con el municipio histórico de Aínsa en el nuevo municipio de "
                  "Aínsa-Sobrarbe."},
        {"22641", "Antes del censo de 1970 se fusionó con el municipio histórico de Sin y Salinas en el nuevo municipio "
                  "de Tella-Sin."},
        // The municipality named by its code, as it was called then.
        {"22148", "Antes del censo de 1981 se integró en Torla, que hoy se llama Torla-Ordesa."},
        {"22030", "Antes del censo de 1981 se repartió entre Caldearenas y Las Peñas de Riglos."},
        {"22649", "Antes del censo de 1930 se integró en Secorun, el municipio histórico que este catálogo llama "
                  "Laguarta; su territorio pertenece hoy a Sabiñánigo."},
        // INE's record names another municipality than the code it gives.
        {"22638", "Antes del censo de 1970 se integró en Aísa (el registro del INE dice Aínsa, otro municipio "
                  "histórico)."},
        // A historical municipality named as such, and the current ones that hold the territory after it.
        {"22636", "Antes del censo de 1970 se repartió entre Aínsa, otro municipio histórico, y Boltaña; su territorio "
                  "pertenece hoy a Boltaña y Aínsa-Sobrarbe."},
        {"22624", "Antes del censo de 1970 se dividió entre Alto Sobrarbe y Aínsa, municipios históricos; su territorio "
                  "pertenece hoy a Aínsa-Sobrarbe."},
        {"22634", "Antes del censo de 1930 se integró en Gistaín; su territorio pertenece hoy a Plan."},
        {"22621", "Antes del censo de 1920 pasó a figurar con el nombre y el código de Cajigar, otro municipio "
                  "histórico; su territorio pertenece hoy a Monesma y Cajigar y a Isábena."},
        // Where the figures of the historical municipalities exceed their successor's, its territory is only in
        // part theirs.
        {"22596", "Antes del censo de 1970 se fusionó con el municipio histórico de Lascasas en el nuevo municipio de "
                  "Monflorite-Lascasas, al que hoy pertenece la mayor parte de su territorio."},
        {"22586", "Antes del censo de 1970 se fusionó con el municipio histórico de Monflorite en el nuevo municipio de "
                  "Monflorite-Lascasas, al que hoy pertenece la mayor parte de su territorio."},
        {"22548", "Antes del censo de 1970 se fusionó con el municipio histórico de Monesma de Benabarre en el nuevo "
                  "municipio de Monesma y Cajigar, al que hoy pertenece la mayor parte de su territorio."},
        // A territory in another current municipality until it became one of its own.
        {"50515", "Antes del censo de 1920 se integró en Zaragoza; su territorio, parte de Zaragoza hasta 2006, es hoy "
                  "en su mayor parte el municipio de Villamayor de Gállego."},
    };
    for (const auto& [ine, expected] : fates)
        EXPECT_EQ(fate(ine), expected) << ine;
    for (const auto& [ine, note] : noteOf)
        EXPECT_EQ(note.find("no recoge"), std::string::npos) << note;

    // A single census figure is said to be the only one.
    EXPECT_EQ(noteOf.at("22026"),
              "Municipio histórico de la provincia de Huesca, con el código INE 22026. Figura como municipio en el censo "
              "de 1970. Antes del censo de 1981 se fusionó con el municipio histórico de Aínsa en el nuevo municipio de "
              "Aínsa-Sobrarbe. Su única cifra censal, 427 habitantes, es la de 1970.");
    // The current municipalities whose figures fall short of their historical ones say so; which figures of
    // Zaragoza and of Villamayor de Gállego count the territory of Villamayor.
    EXPECT_EQ(noteOf.at("22156"),
              "Municipio de la provincia de Huesca, con el código INE 22156. Forma parte de la comarca de Hoya de "
              "Huesca / Plana de Uesca. Su mayor población censal, 491 habitantes, es la de 1910. En el "
              "padrón municipal de 2004 tenía 217 habitantes. Comprende la mayor parte del territorio de los "
              "municipios históricos de Lascasas y Monflorite, que en 1900 sumaban 81 habitantes más.");
    EXPECT_EQ(noteOf.at("22155"),
              "Municipio de la provincia de Huesca, con el código INE 22155. Forma parte de la comarca de La "
              "Ribagorza. Su mayor población censal, 590 habitantes, es la de 1920. En el padrón "
              "municipal de 2004 tenía 104 habitantes. Comprende la mayor parte del territorio de los municipios "
              "históricos de Cajigar y Monesma de Benabarre, que en 1920 sumaban 91 habitantes más.");
    EXPECT_EQ(noteOf.at("50297"),
              "Municipio de la provincia de Zaragoza, con el código INE 50297. Forma parte de la Comarca Central. Su "
              "mayor población censal, 612.472 habitantes, es la de 2001. En el padrón municipal de 2004 "
              "tenía 638.799 habitantes. Sus cifras censales no incluyen el territorio de Villamayor de Gállego, "
              "municipio aparte desde 2006; la del padrón de 2004, sí.");
    EXPECT_EQ(noteOf.at("50903"),
              "Municipio de la provincia de Zaragoza, con el código INE 50903. Forma parte de la Comarca Central. Su "
              "mayor población censal, 2.433 habitantes, es la de 2001. Fue parte de Zaragoza hasta "
              "2006; el padrón de 2004 lo cuenta allí. Comprende la mayor parte del territorio del municipio "
              "histórico de Villamayor, que en 1900 tenía 193 habitantes más.");
    EXPECT_EQ(noteOf.at("22227"),
              "Municipio de la provincia de Huesca, con el código INE 22227. Forma parte de la comarca de Sobrarbe. Su "
              "mayor población censal, 964 habitantes, es la de 1930. En el padrón municipal de 2004 "
              "tenía 267 habitantes.");
    // A núcleo of Zaragoza: its entity and municipality apart.
    EXPECT_EQ(noteOf.at("50297000502"),
              "Núcleo de población con el código 50297000502, de la entidad Juslibol, del municipio de Zaragoza, en la "
              "provincia de Zaragoza. Las fuentes de este catálogo no dan cifras por núcleo de 1900 a 2004. Según el "
              "Nomenclátor del IAEST, en el padrón de 2020 tenía 727 habitantes.");
    // Each case where the figures contradict the table is reported, and the catalogue written.
    EXPECT_EQ(outcome.code, 0);
    EXPECT_EQ(outcome.err,
              "poblacion-convert: Cajigar (22548) y Monesma de Benabarre (22595) sumaban 91 habitantes más que Monesma "
              "y Cajigar (22155) en 1920: su territorio es en su mayor parte el de 22155\n"
              "poblacion-convert: Lascasas (22586) y Monflorite (22596) sumaban 81 habitantes más que "
              "Monflorite-Lascasas (22156) en 1900: su territorio es en su mayor parte el de 22156\n"
              "poblacion-convert: Villamayor (50515) tenía 193 habitantes más que Villamayor de Gállego (50903) en "
              "1900: su territorio es en su mayor parte el de 50903\n");
}

// Saviñán, as the nomenclátor and its entity spell it; INE's municipal register writes Sabiñán.
TEST_F(ConvertTest, AMunicipalityThatInesRegisterSpellsOtherwiseHasBothForms)
{
    const std::map<std::string, std::string> noteOf =
        converted(kCurrent + "50241,Saviñán,Zaragoza,1759,1648,1765,1799,1716,1628,1616,1427,1253,1056,921,809\n",
                  kHistorical, kNomenclator)
            .noteOf;
    EXPECT_EQ(noteOf.at("50241"), "Municipio de la provincia de Zaragoza, con el código INE 50241. El INE lo escribe "
                                  "Sabiñán. Forma parte de la Comunidad de Calatayud. Su mayor población censal, 1.799 "
                                  "habitantes, es la de 1930. En el padrón municipal de 2004 tenía 809 "
                                  "habitantes.");
}

// From 2019 the nomenclátor lists Farasdués, until then an entity of Ejea de los Caballeros, as a núcleo of
// the entity Ejea de los Caballeros: one place, listed once, as the núcleo, whose note gives its former code.
// Used leaves the nomenclátor too, but no núcleo takes its name: it stays an entity.
TEST_F(ConvertTest, AnEntityRecodedAsANucleusIsListedOnceUnderItsLatestCode)
{
    const std::string ejea = "50095,Ejea de los Caballeros,Zaragoza,5271,5861,7829,8666,9652,9604,11242,14777,15842,15337,"
                             "16048,16598\n",
                      place = "50,50095,Ejea de los Caballeros,";
    const auto [listing, note, values, noteOf, code] = converted(
        kCurrent + ejea, kHistorical,
        kNomenclator + "2015," + place + "500950004,Farasdués,50095000401,Farasdués,nucleo,85\n2015," + place
            + "500950004,Farasdués,50095000499,*Diseminado*,diseminado,1\n2020," + place
            + "500950003,Ejea de los Caballeros,50095000301,Ejea de los Caballeros,nucleo,14234\n2020," + place
            + "500950003,Ejea de los Caballeros,50095000304,Farasdués,nucleo,66\n");
    EXPECT_NE(listing.find("20010 Ejea de los Caballeros; 20011 Fraga;"), std::string::npos) << listing;
    EXPECT_NE(listing.find("30002 Alberuela de la Liena; 30003 Ejea de los Caballeros; 30004 Grado (El);"),
              std::string::npos)
        << listing;
    EXPECT_NE(listing.find("30008 Used; 40001 Farasdues | Farasdués; 40002 Poblado (El);"), std::string::npos) << listing;
    EXPECT_EQ(note.at("40001"),
              "Núcleo de población con el código 50095000304, de la entidad y el municipio de Ejea de los Caballeros, en "
              "la provincia de Zaragoza. Las fuentes de este catálogo no dan cifras por núcleo de 1900 a 2004. Según el "
              "Nomenclátor del IAEST, en el padrón de 2020 tenía 66 habitantes. Hasta el padrón de 2015 figuró como "
              "entidad, con el código 500950004 y 86 habitantes.");
}

TEST_F(ConvertTest, MalformedRowsAreRefusedWithFileAndLineAndNothingIsWritten)
{
    struct Case {
        int table; // 0 current, 1 historical, 2 nomenclátor, 3 comarcas
        std::size_t line;
        std::string row, says;
    };
    // Real rows of Abiego, Alberuela de la Liena and its entity, spoilt.
    const std::string f = "1383,1440,1401,1181,1058,766,614,465,357,320,289", h = "22509,Alberuela de la Liena,",
                      t = ",1970 EI x <y> Abiego,22001,367,416,393,347,285,227,188,,,,", e = "220010002,Alberuela de la Liena,";
    const std::vector<Case> cases = {
        {0, 2, "22001,Abiego,Huesca," + f, "tiene 14 campos y debe tener 15"},
        {0, 2, "22001,Abiego,Navarra," + f + ",288", "provincia desconocida"},
        {0, 2, "22001,Villanueva del Rebollar de la Sierra de Moncayo,Huesca," + f + ",288", "ocupa 47 bytes y el catálogo admite de 3 a 46"},
        {0, 3, "22001,Caldearenas,Huesca,1483,1512,1436,1256,1139,1008,866,494,339,283,250,270", "ya aparece en la línea 2"},
        {0, 1, "ine;nombre;provincia", "la cabecera debe ser"},
        {0, 3, "22072,\"Caldearenas,Huesca,1483,1512,1436,1256,1139,1008,866,494,339,283,250,270", "hay unas comillas sin cerrar"},
        {0, 3, "22072,Caldearenas,Huesca,1483,1512,1436,1256,1139,1008,866,494,339,283,250,\"270\"x", "hay texto detrás de las comillas"},
        {0, 3, "22072,Calde\"arenas,Huesca,1483,1512,1436,1256,1139,1008,866,494,339,283,250,270", "hay comillas en medio de un campo"},
        {1, 5, h + "nomenclator,22,1960,22001,Abiego,1970 EI x <y> Abiego,22001,367,416,393,347,285,227,1x8,,,,", "«1x8» no es un número entero"},
        {1, 5, h + "nomenclator,22,1960,22002,Abizanda" + t, "el sucesor «22002» no es un municipio actual"},
        // The destination of each event, by code, one for each.
        {1, 5, h + "nomenclator,22,1960,22001,Abiego,1970 EI x <y> Abiego,22001;22001,367,416,393,347,285,227,188,,,,",
         "los destinos «22001;22001» no son tantos como los cambios de la alteración (1)"},
        {1, 5, h + "nomenclator,22,1960,22001,Abiego,1970 EI x <y> Abiego,22999,367,416,393,347,285,227,188,,,,",
         "el destino «22999» no es un municipio de ninguna de las dos tablas"},
        {1, 5, h + "nomenclator,22,1960,22001,Abiego,1970 XX x <y> Abiego,22001,367,416,393,347,285,227,188,,,,", "alteración desconocido «XX»"},
        // A carriage return that ends no line would reach the note.
        {1, 5, h + "nomenclator,22,1960,22001,Abiego,1970 EI x <y> Abi\rego,22001,367,416,393,347,285,227,188,,,,",
         "hay un retorno de carro que no termina la línea"},
        {1, 7, "50049,Alberuela de la Liena,nomenclator,50,1970,50901,Biel,1981 EF Biel <x> Biel-Fuencalderas,50901,1330,1357,1251,"
               "1151,949,850,681,404,,,",
         "el nombre para las listas «Alberuela de la Liena -- municipio histórico» es también el del municipio de "},
        // The comarca of each current municipality, once.
        {3, 2, "22002,Abizanda,03,Sobrarbe", "el municipio «22002» no es un municipio actual"},
        {3, 3, "22001,Abiego,07,Somontano de Barbastro", "el municipio 22001 ya aparece en la línea 2"},
        {3, 2, "22001,Abiego,7,Somontano de Barbastro", "el código de comarca «7» no tiene dos cifras"},
        {3, 3, "22072,Caldearenas,07,Alto Gállego", "la comarca 07 se llama «Somontano de Barbastro» en otra fila"},
        {3, 1, "ine,municipio,comarca_codigo,comarca", "la cabecera debe ser"},
        {2, 2, "2015,22,22001,Abiego," + e + "22001000201,Alberuela de la Liena,nucleo,6.9", "«6.9» no es un número entero"},
        {2, 2, "2015,22,22001,Abiego," + e + "22001000201,Alberuela de la Liena,caserio,69", "unidad desconocido «caserio»"},
        {2, 2, "2015,22,22002,Abizanda,220020002,Escanilla,22002000201,Escanilla,nucleo,21", "no es un municipio actual"},
        {2, 9, "2020,22,22115,Grado (El),221150004,\"Grado, El\",22115000402,Poblado de la Presa de Barasona con su Estacion,"
               "nucleo,8", "el nombre del núcleo «Poblado de la Presa de Barasona con su Estacion» ocupa 47 bytes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        writeAll(path("out.csv"), "previous catalogue\n");
        std::string tables[] = {kCurrent, kHistorical, kNomenclator, comarcasOf(kCurrent)};
        tables[c.table] = with(tables[c.table], c.line, c.row);
        const Outcome outcome = convert(tables[0], tables[1], tables[2], tables[3]);
        EXPECT_EQ(outcome.code, 1);
        const char* file[] = {"cur.csv:", "hist.csv:", "nom.csv:", "com.csv:"};
        EXPECT_NE(outcome.err.find(file[c.table] + std::to_string(c.line) + ": "), std::string::npos) << outcome.err;
        EXPECT_NE(outcome.err.find(c.says), std::string::npos) << outcome.err;
        EXPECT_EQ(readAll(path("out.csv")), "previous catalogue\n");
        EXPECT_FALSE(fs::exists(path("out.csv.tmp")));
    }
    // A current municipality without a comarca.
    writeAll(path("out.csv"), "previous catalogue\n");
    const Outcome without = convert(kCurrent, kHistorical, kNomenclator, with(comarcasOf(kCurrent), 2, ""));
    EXPECT_EQ(without.code, 1);
    EXPECT_NE(without.err.find("com.csv: el municipio 22001 no tiene comarca"), std::string::npos) << without.err;
    EXPECT_EQ(readAll(path("out.csv")), "previous catalogue\n");
}

// The territory table beside the catalogue: every municipality in code order, a current one holding its
// own territory with its comarca, a historical one the territory of its successors, in their order.
TEST_F(ConvertTest, TheTerritoryTableGivesEachMunicipalitysHoldersAndComarca)
{
    writeAll(path("cur.csv"), kCurrent);
    writeAll(path("hist.csv"), kHistorical);
    writeAll(path("nom.csv"), kNomenclator);
    writeAll(path("com.csv"), comarcasOf(kCurrent));
    const Outcome outcome = run({path("cur.csv"), path("hist.csv"), path("nom.csv"), path("com.csv"),
                                 path("out.csv"), path("territorio.csv")});
    ASSERT_EQ(outcome.code, 0) << outcome.err;
    EXPECT_EQ(readAll(path("territorio.csv")), "ine,territorio_actual,comarca_codigo,comarca\n"
                                               "22001,22001,07,Somontano de Barbastro\n"
                                               "22005,22907,,\n"
                                               "22026,22907,,\n"
                                               "22030,22072;22173,,\n"
                                               "22072,22072,02,Alto Gállego\n"
                                               "22112,22112,11,Bajo Cinca / Baix Cinca\n"
                                               "22115,22115,07,Somontano de Barbastro\n"
                                               "22173,22173,06,Hoya de Huesca / Plana de Uesca\n"
                                               "22199,22199,02,Alto Gállego\n"
                                               "22247,22247,04,La Ribagorza\n"
                                               "22509,22001,,\n"
                                               "22624,22907,,\n"
                                               "22907,22907,03,Sobrarbe\n"
                                               "22909,22909,09,La Litera / La Llitera\n"
                                               "50049,50901,,\n"
                                               "50901,50901,05,Cinco Villas\n");
    // The catalogue is the same with the territory table or without it.
    const std::string withTable = readAll(path("out.csv"));
    ASSERT_EQ(convert(kCurrent, kHistorical, kNomenclator).code, 0);
    EXPECT_TRUE(readAll(path("out.csv")) == withTable);

    // A comarca name that a bare cell cannot hold: neither file is written.
    fs::remove(path("out.csv"));
    fs::remove(path("territorio.csv"));
    writeAll(path("com.csv"), with(comarcasOf(kCurrent), 2, "22001,Abiego,07,\"Somontano, de Barbastro\""));
    const Outcome refused = run({path("cur.csv"), path("hist.csv"), path("nom.csv"), path("com.csv"),
                                 path("out.csv"), path("territorio.csv")});
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.err.find("com.csv: el nombre de la comarca «Somontano, de Barbastro» no cabe en una celda sin "
                               "comillas"),
              std::string::npos)
        << refused.err;
    EXPECT_NE(refused.err.find("no se ha escrito " + path("out.csv") + " ni " + path("territorio.csv")),
              std::string::npos)
        << refused.err;
    EXPECT_FALSE(fs::exists(path("out.csv")));
    EXPECT_FALSE(fs::exists(path("territorio.csv")));
}

TEST_F(ConvertTest, UsageAndUnreadableInput)
{
    writeAll(path("t.csv"), kCurrent);
    const std::vector<std::tuple<std::vector<std::string>, int, std::string>> cases = {
        {{}, 2, "uso: poblacion-convert"},
        {{path("t.csv"), path("t.csv"), path("t.csv"), path("out.csv")}, 2, "uso: poblacion-convert"},
        {{path("t.csv"), path("t.csv"), path("t.csv"), path("t.csv"), path("out.csv"), path("ter.csv"), path("x")},
         2, "uso: poblacion-convert"},
        {{path("t.csv"), path("t.csv"), path("t.csv"), path("t.csv"), path("out.csv"), ""}, 2,
         "uso: poblacion-convert"},
        {{path("t.csv"), path("no-existe.csv"), path("t.csv"), path("t.csv"), path("out.csv")}, 1,
         "no-existe.csv: no se puede leer"},
        {{path("t.csv"), dir.string(), path("t.csv"), path("t.csv"), path("out.csv")}, 1,
         dir.string() + ": no se puede leer: es una carpeta"},
        {{path("t.csv"), path("t.csv"), path("t.csv"), path("no-existe.csv"), path("out.csv")}, 1,
         "no-existe.csv: no se puede leer"},
    };
    for (const auto& [args, code, says] : cases) {
        const Outcome outcome = run(args);
        EXPECT_EQ(outcome.code, code) << says;
        EXPECT_NE(outcome.err.find(says), std::string::npos) << outcome.err;
        EXPECT_FALSE(fs::exists(path("out.csv")));
    }
}

// The source tables, as the repository keeps them.
const fs::path kData = fs::path(SOURCE_DIR) / "data";
const char* const kTables[] = {"aragon-municipios-1900-2004.csv", "aragon-municipios-historicos-1900-2001.csv",
                               "aragon-nomenclator-2015-2020.csv", "aragon-comarcas-2020.csv"};

TEST_F(ConvertTest, CommittedCatalogueIsTheConverterOutput)
{
    const Outcome outcome =
        run({(kData / kTables[0]).string(), (kData / kTables[1]).string(), (kData / kTables[2]).string(),
             (kData / kTables[3]).string(), path("out.csv")});
    ASSERT_EQ(outcome.code, 0) << outcome.err;
    EXPECT_TRUE(readAll(path("out.csv")) == readAll(fs::path(SOURCE_DIR) / "resources/pueblos.csv"))
        << "resources/pueblos.csv is stale: regenerate it with ./dev data";
}

TEST_F(ConvertTest, CommittedTerritoryTableIsTheConverterOutput)
{
    const Outcome outcome =
        run({(kData / kTables[0]).string(), (kData / kTables[1]).string(), (kData / kTables[2]).string(),
             (kData / kTables[3]).string(), path("out.csv"), path("territorio.csv")});
    ASSERT_EQ(outcome.code, 0) << outcome.err;
    EXPECT_TRUE(readAll(path("territorio.csv")) == readAll(fs::path(SOURCE_DIR) / "resources/territorio.csv"))
        << "resources/territorio.csv is stale: regenerate it with ./dev data";
    EXPECT_TRUE(readAll(path("out.csv")) == readAll(fs::path(SOURCE_DIR) / "resources/pueblos.csv"));
}

// "1.016": a figure as the catalogue writes it.
std::string dotted(const std::string& digits)
{
    std::string out;
    for (std::size_t k = 0; k < digits.size(); ++k)
        out.append(k > 0 && (digits.size() - k) % 3 == 0 ? "." : "").append(1, digits[k]);
    return out;
}

// Every figure of the source tables, read here on their own, is in the committed catalogue: the census
// figures of each municipality in the census fields of the unit whose note gives its INE code; the
// latest padrón of each entity and of each núcleo named otherwise than its entity in one sentence
// ("… padrón de 2020 … 68 habitantes …") of the note that gives its code.
TEST(CommittedCatalogue, HoldsEveryFigureOfTheSourceTables)
{
    std::map<std::string, std::vector<const Record*>> byCode; // every code a note names after "código"
    const std::vector<Record> units = rowsOf(readAll(fs::path(SOURCE_DIR) / "resources/pueblos.csv"));
    for (const Record& r : units)
        for (std::size_t at = r[5].find("código "); at != std::string::npos; at = r[5].find("código ", at + 1)) {
            const std::size_t from = r[5].find_first_of("0123456789", at);
            byCode[r[5].substr(from, r[5].find_first_not_of("0123456789", from) - from)].push_back(&r);
        }
    for (int t = 0; t < 2; ++t) // ine,… with the figures from cell 3 (current) or 9 (historical)
        for (const Record& source : rowsOf(readAll(kData / kTables[t]))) {
            ASSERT_EQ(byCode[source[0]].size(), 1u) << source[0];
            const Record& unit = *byCode[source[0]].front();
            EXPECT_EQ(unit[1], "2");
            for (std::size_t k = 0; k < 12; ++k) {
                const std::size_t cell = (t == 0 ? 3 : 9) + k;
                EXPECT_EQ(unit[6 + k], cell < source.size() && !source[cell].empty() ? dotted(source[cell]) : "-")
                    << source[0] << " field " << k;
            }
        }

    // anio,provincia,municipio_ine,municipio,entidad_codigo,entidad,unidad_codigo,unidad,tipo,habitantes: the
    // latest year of each entity and each núcleo named otherwise, and its people.
    std::map<std::string, std::pair<std::string, long>> latest;
    for (const Record& c : rowsOf(readAll(kData / kTables[2])))
        for (const std::string& code : {c[4], c[6]}) {
            if (code == c[6] && (c[8] != "nucleo" || c[7] == c[5]))
                continue;
            auto& [year, people] = latest[code];
            if (c[0] > year)
                std::tie(year, people) = std::pair(c[0], 0L);
            people += c[0] == year ? std::stol(c[9]) : 0;
        }
    std::set<const Record*> described;
    for (const auto& [code, figure] : latest) {
        ASSERT_EQ(byCode[code].size(), 1u) << code;
        const Record& unit = *byCode[code].front();
        described.insert(&unit);
        const std::string padron = "padrón de " + figure.first,
                          people = " " + dotted(std::to_string(figure.second)) + (figure.second == 1 ? " habitante" : " habitantes");
        bool found = false;
        for (std::size_t start = 0, end = 0; start < unit[5].size() && !found; start = end + 2) {
            end = std::min(unit[5].find(". ", start), unit[5].size());
            const std::string sentence = unit[5].substr(start, end - start);
            found = sentence.find(padron) != std::string::npos && sentence.find(people) != std::string::npos;
        }
        EXPECT_TRUE(found) << code << ": " << padron << ", " << people << " in " << unit[5];
    }
    // Each entity and nucleus of the catalogue gives one of those figures.
    EXPECT_EQ(described.size(), static_cast<std::size_t>(std::count_if(units.begin(), units.end(), [](const Record& r) {
                  return r[1] != "2";
              })));
}

} // namespace
