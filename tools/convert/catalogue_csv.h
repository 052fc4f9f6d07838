#pragma once
// The catalogue CSV that poblacion-tool builds into a data packet: the header
// of the catalogue's 18 fields, then one line for each unit, every value
// between double quotes.

#include <optional>
#include <string>
#include <vector>

#include "record.h"
#include "sources.h"

namespace convert {

// The CSV of `units`, stored by kind, then in the order of their search names
// (their dictionary names without acute accents) under the Spanish traditional
// collation, units that share a search name placed so that the lists show them
// by display name and then by code; IDENT is kind × 10000 + n, n counting from
// 1 within the kind in stored order. Nothing when `problems` holds any, or when
// a unit does not fit its fields (reported at its table and line).
std::optional<std::string> catalogueCsv(const std::vector<Unit>& units, const std::string& outputPath,
                                        Problems& problems);

} // namespace convert
