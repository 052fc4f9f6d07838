#pragma once
// Catalogues shaped like the program's, for benchmarks: the same fields,
// kinds, name shapes, notes and census values; 5,026 units at scale 1 (about
// twice the 2,555 the program carries), any number of times as large.

#include <cstdint>
#include <string>

#include "table.h"

namespace bench {

struct CatalogueShape {
    int municipalities;
    int entities;
    int nuclei;
};

// 995 municipalities, 3,976 entities and 55 nuclei, times `scale`.
CatalogueShape shapeOf(int scale);

// IDENT is kind × 10^d + n, with d the digits of the largest running number
// (at least 4, so the catalogue of scale 1 has identifiers of the catalogue's
// form, 20001, 30001, 40001).
std::int32_t identOf(int kind, int n, int scale);

// The catalogue, in stored order (by kind, then by running number). The same
// scale and seed give the same catalogue.
catalogue::Table generateCatalogue(int scale = 1, std::uint32_t seed = 1034);

// The catalogue written as a data packet (about 1.2 MB at scale 1).
std::string generatePacket(int scale = 1, std::uint32_t seed = 1034);

// Built once per scale and kept for the life of the process.
const catalogue::Table& cachedCatalogue(int scale);
const std::string& cachedPacket(int scale);

} // namespace bench
