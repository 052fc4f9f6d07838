#pragma once
// The territory table that the program embeds beside the catalogue (resources/
// territorio.csv, read by catalogue/territory.h): for every municipality of
// the catalogue, current or historical, the current municipalities that hold
// its territory today and, for a current one, its comarca.

#include <optional>
#include <string>

#include "sources.h"

namespace convert {

// The table, UTF-8, LF line ends, cells bare (never quoted):
//
//   ine,territorio_actual,comarca_codigo,comarca
//   22005,22907,,
//   22907,22907,03,Sobrarbe
//
// one row for each municipality in increasing INE code. `territorio_actual`
// is the municipality's own code for a current one and the codes of its
// successors, joined by ";" in the order the table of historical
// municipalities gives them, for a historical one; `comarca_codigo` and
// `comarca` (as IAEST names it) are those of a current municipality and empty
// for a historical one. Nothing, with the reason in `problems`, when a
// comarca's name holds a comma, a double quote or a line end, which a bare
// cell cannot.
std::optional<std::string> territoryCsv(const Sources& sources, Problems& problems);

} // namespace convert
