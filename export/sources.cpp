#include "sources.h"

#include <algorithm>

namespace exporting {

namespace {

const Source kCurrentMunicipalities{
    "IAEST (Instituto Aragonés de Estadística) / Aragón Open Data, «Serie histórica "
    "de población municipios» (censos de 1900 a 2001), e INE, Estadística del Padrón "
    "Continuo (padrón a 1 de enero de 2004), republicados en «La casa caída» "
    "(jorgeatgu/la-casa-caida, commit 21019a4)",
    "Cifras y nombres de los municipios actuales, dentro de sus límites de hoy",
    "Creative Commons Reconocimiento-CompartirIgual 4.0 Internacional (CC BY-SA 4.0)",
    "CC BY-SA 4.0",
    "«La casa caída» (jorgeatgu/la-casa-caida), IAEST / Aragón Open Data, INE"};

const Source kHistoricalMunicipalities{
    "INE, «Alteraciones de los municipios en los Censos de Población desde 1842», en la "
    "recopilación franvillamil/scrap-INE-census",
    "Cifras de los municipios históricos en cada censo en que fueron municipio",
    "Reutilización permitida por el INE citando al INE como fuente",
    "reutilización citando al INE",
    "Fuente: INE, Alteraciones de los municipios en los Censos de Población desde 1842"};

const Source kNomenclator{
    "IAEST, Nomenclátor (padrón), tabla 02-020005A, publicada por Aragón Open Data en "
    "aragonopendata/local-data-aragopedia",
    "Nombres y códigos de las entidades de población y los núcleos; la grafía de algunos "
    "municipios actuales e históricos",
    "Licencia del repositorio: EUPL 1.1 o posterior",
    "EUPL 1.1 o posterior",
    "Fuente: IAEST, Nomenclátor"};

const Source kComarcas{
    "IAEST, Nomenclátor (padrón 2020) por comarca, tabla 02-020005TC, publicada por Aragón "
    "Open Data en aragonopendata/local-data-aragopedia",
    "La comarca de cada municipio actual, de sus entidades y núcleos y del territorio de los municipios "
    "históricos",
    "Licencia del repositorio: EUPL 1.1 o posterior",
    "EUPL 1.1 o posterior",
    "Fuente: IAEST"};

const Source kCatalogue{
    "Catálogo de Población (resources/pueblos.csv), que reúne y adapta las fuentes de arriba",
    "Esta lista: las unidades, sus códigos, nombres y cifras",
    "Creative Commons Reconocimiento-CompartirIgual 4.0 Internacional (CC BY-SA 4.0), la de la tabla de censos que "
    "adapta; esta lista se comparte con la misma licencia",
    "CC BY-SA 4.0",
    "Con las atribuciones y citas de cada fuente de arriba"};

bool any(std::span<const UnitRow> rows, bool (*test)(const UnitRow&))
{
    return std::any_of(rows.begin(), rows.end(), test);
}

} // namespace

std::vector<Source> sourcesOf(std::span<const UnitRow> rows)
{
    std::vector<Source> sources;
    if (rows.empty())
        return sources;
    if (any(rows, [](const UnitRow& row) { return row.kind == UnitKind::CurrentMunicipality; }))
        sources.push_back(kCurrentMunicipalities);
    if (any(rows, [](const UnitRow& row) { return row.kind == UnitKind::HistoricalMunicipality; }))
        sources.push_back(kHistoricalMunicipalities);
    sources.push_back(kNomenclator);
    if (any(rows, [](const UnitRow& row) { return !row.comarca.empty(); }))
        sources.push_back(kComarcas);
    sources.push_back(kCatalogue);
    return sources;
}

} // namespace exporting
