#pragma once
// Units as a small table for the clipboard, which any spreadsheet reads in
// any locale: whole numbers without thousands separators ("98397"), an empty
// cell for a missing figure, the unit's code among the columns.

#include <span>
#include <string>

#include "unitrows.h"

namespace exporting {

struct CopiedTable {
    std::string text; // UTF-8: tabs between cells, "\n" after each row
    std::string html; // UTF-8: <meta charset="utf-8"><table>, a <th> row, a <td> row per unit
};

// The columns "Unidad" (the name as the panel's title gives it), "Tipo",
// "Código" (only `withCode`: where the catalogue has the field CODIGO) and
// the twelve dates; a row per unit.
CopiedTable copiedTable(std::span<const UnitRow> rows, bool withCode);

} // namespace exporting
