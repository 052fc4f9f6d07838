// poblacion-convert: builds the catalogue CSV (which poblacion-tool turns into
// a data packet) from the four source tables of Aragón, all UTF-8:
//
//   poblacion-convert MUNICIPIOS.csv HISTORICOS.csv NOMENCLATOR.csv COMARCAS.csv SALIDA.csv [TERRITORIO.csv]
//
//   MUNICIPIOS.csv   the current municipalities and their census figures
//                    (ine,nombre,provincia,1900,...,2001,2004)
//   HISTORICOS.csv   the municipalities of 1900-2001 that no longer exist, with
//                    their figures, successors and the change that ended them
//   NOMENCLATOR.csv  the inhabited singular entities and their núcleos and
//                    diseminados in the padrón of 2015-2020
//   COMARCAS.csv     the comarca of each current municipality
//                    (ine,municipio_iaest,comarca_codigo,comarca)
//   TERRITORIO.csv   when given, also the territory table the program embeds
//                    (resources/territorio.csv): the current municipalities
//                    that hold each municipality's territory and the comarca
//                    of each current one (territory_csv.h)
//
// Units: every municipality, current or historical, of kind "2"; every singular
// entity of the nomenclátor of kind "3"; every núcleo named otherwise than its
// entity of kind "4" (diseminados are left out); a place that the nomenclátor
// recodes from entity to núcleo is the núcleo alone. The units are stored by kind,
// then in the order of their search names under the Spanish traditional
// collation, units sharing a search name in the order the lists give them; IDENT
// is kind × 10000 + n, n counting from 1 within the kind in stored order.
// Any fault in a table is reported with its file and line and nothing is
// written (exit 1); a wrong command line exits 2.
//
// The work is done in three steps, one file each: sources.cpp reads and checks
// the tables, notes.cpp composes the units' names and notes, catalogue_csv.cpp
// orders the units and writes them; names.cpp holds the forms of a name;
// territory_csv.cpp writes the territory table.

#include <algorithm>
#include <iostream>
#include <optional>
#include <string>

#include "catalogue_csv.h"
#include "files.h"
#include "notes.h"
#include "sources.h"
#include "territory_csv.h"

namespace {

int usage()
{
    std::cerr << "uso: poblacion-convert MUNICIPIOS.csv HISTORICOS.csv NOMENCLATOR.csv COMARCAS.csv SALIDA.csv "
                 "[TERRITORIO.csv]\n"
                 "  MUNICIPIOS.csv   municipios actuales: ine,nombre,provincia,1900,...,2001,2004\n"
                 "  HISTORICOS.csv   municipios históricos: ine,nombre,nombre_origen,provincia,ultimo_censo,\n"
                 "                   sucesor_ine,sucesor_nombre,alteracion,destino_ine,1900,...,2001\n"
                 "  NOMENCLATOR.csv  entidades y núcleos: anio,provincia,municipio_ine,municipio,entidad_codigo,\n"
                 "                   entidad,unidad_codigo,unidad,tipo,habitantes\n"
                 "  COMARCAS.csv     comarca de cada municipio actual: ine,municipio_iaest,comarca_codigo,comarca\n"
                 "  SALIDA.csv       catálogo para «poblacion-tool build»\n"
                 "  TERRITORIO.csv   territorio actual y comarca de cada municipio, para resources/territorio.csv\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if ((argc != 6 && argc != 7) || std::any_of(argv + 1, argv + argc, [](const char* a) { return a[0] == '\0'; }))
        return usage();
    const std::string outputPath = argv[5];
    const std::string territoryPath = argc == 7 ? argv[6] : "";

    convert::Problems problems;
    const convert::Sources sources = convert::readSources(argv[1], argv[2], argv[3], argv[4], problems);
    const std::optional<std::string> out = convert::catalogueCsv(convert::composeUnits(sources), outputPath, problems);
    const std::optional<std::string> territory =
        territoryPath.empty() ? std::optional<std::string>("") : convert::territoryCsv(sources, problems);
    if (!out || !territory || !problems.empty()) {
        for (const auto& message : problems.messages())
            std::cerr << message << "\n";
        std::cerr << "poblacion-convert: " << problems.messages().size()
                  << (problems.messages().size() == 1 ? " error" : " errores") << "; no se ha escrito " << outputPath
                  << (territoryPath.empty() ? "" : " ni " + territoryPath) << "\n";
        return 1;
    }
    for (const std::string& hedged : convert::hedgedTerritories(sources))
        std::cerr << "poblacion-convert: " << hedged << "\n";
    // The territory table first: should the catalogue then fail to be written,
    // the old catalogue stays beside a territory table that is still true of
    // the same tables.
    if (!territoryPath.empty()) {
        if (const int error = writeFileAtomically(territoryPath, *territory)) {
            std::cerr << "poblacion-convert: no se puede escribir " << territoryPath << ": " << systemReason(error)
                      << "\n";
            return 1;
        }
    }
    if (const int error = writeFileAtomically(outputPath, *out)) {
        std::cerr << "poblacion-convert: no se puede escribir " << outputPath << ": " << systemReason(error) << "\n";
        return 1;
    }
    return 0;
}
