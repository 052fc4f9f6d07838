#pragma once
// A list of units as a spreadsheet: a CSV file here, an Excel workbook in
// workbook.h. Both have the columns Código, Unidad, Tipo, Municipio (for
// entities and nuclei), Comarca and the twelve dates 1900 … 2004, a header
// row, then a row per unit in the order given; figures are numbers, a missing
// figure an empty cell.
//
// Both files are written whole or not at all (wholefile.h): a failure throws
// ExportError with a Spanish message and leaves any file of that name as it
// was.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "unitrows.h"

namespace exporting {

// The seventeen column headings, UTF-8.
std::vector<std::string_view> columnHeadings();

// The CSV text: UTF-8 without a byte order mark, commas between cells, CR LF
// after each row (RFC 4180), a cell with a comma, a double quote or a line
// break between double quotes with inner quotes doubled; figures as bare
// whole numbers ("98397").
std::string csvText(std::span<const UnitRow> rows);

// csvText written to `path`.
void writeCsv(const std::string& path, std::span<const UnitRow> rows);

} // namespace exporting
