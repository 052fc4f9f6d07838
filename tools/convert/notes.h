#pragma once
// The catalogue's units made of what the source tables say: every current and
// historical municipality, every entity but those the nomenclátor recodes, and
// every núcleo named otherwise than its entity; each with its names for the
// lists and its note, one paragraph in Spanish.

#include <vector>

#include "record.h"
#include "sources.h"

namespace convert {

// The current municipalities in the table's order, the historical ones in
// theirs, then the entities and the núcleos by code.
std::vector<Unit> composeUnits(const Sources& sources);

// The current municipalities whose figures fall short of the historical ones
// that the tables place wholly in them, one line each, as the converter
// reports them: their notes say that the territory is only in part the same.
std::vector<std::string> hedgedTerritories(const Sources& sources);

} // namespace convert
