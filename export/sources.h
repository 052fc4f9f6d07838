#pragma once
// The sources of what a list of rows holds, each with what it gives, its
// licence and the citation or attribution it asks for (UTF-8 Spanish): the
// "Fuentes" sheet of a workbook. From data/README.md and the
// program's README, "Sources and licences".

#include <span>
#include <string>
#include <vector>

#include "unitrows.h"

namespace exporting {

struct Source {
    std::string name;        // who publishes it, and where
    std::string gives;       // what of it the rows hold
    std::string licence;
    std::string shortLicence; // for a line of print: "CC BY-SA 4.0"
    std::string attribution; // the citation or attribution to give
};

// The sources whose figures or names the rows hold, in this order: the
// current municipalities' census series (when a current municipality is
// among the rows), INE's alterations of the municipalities (a historical
// municipality), the IAEST nomenclátor (any row: the names of entities and
// nuclei, the spelling of some municipalities), the IAEST comarca table (a
// row with a comarca), and last the catalogue itself, whose licence the
// list keeps. None for no rows.
std::vector<Source> sourcesOf(std::span<const UnitRow> rows);

// What an empty figure means, for the reader of an exported list.
inline constexpr std::string_view kEmptyFigureNote =
    "Una celda vacía en las cifras: el catálogo no tiene esa cifra (las entidades y los "
    "núcleos no tienen cifras de 1900 a 2004; un municipio histórico, solo en los censos en que "
    "fue municipio).";

} // namespace exporting
