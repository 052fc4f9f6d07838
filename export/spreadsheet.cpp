#include "spreadsheet.h"

#include "units.h"
#include "wholefile.h"

namespace exporting {

namespace {

// The cell's text in a CSV row.
void appendCsvCell(std::string& out, std::string_view cell)
{
    if (cell.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += cell;
        return;
    }
    out += '"';
    for (char c : cell) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

} // namespace

std::vector<std::string_view> columnHeadings()
{
    std::vector<std::string_view> headings = {"Código", "Unidad", "Tipo", "Municipio", "Comarca"};
    headings.insert(headings.end(), catalogue::kCensusFields.begin(), catalogue::kCensusFields.end());
    return headings;
}

std::string csvText(std::span<const UnitRow> rows)
{
    std::string out;
    out.reserve(64 * (rows.size() + 1) + 48 * rows.size());
    bool first = true;
    for (std::string_view heading : columnHeadings()) {
        if (!first)
            out += ',';
        appendCsvCell(out, heading);
        first = false;
    }
    out += "\r\n";
    for (const UnitRow& row : rows) {
        appendCsvCell(out, row.code);
        out += ',';
        appendCsvCell(out, row.name);
        out += ',';
        appendCsvCell(out, kindWord(row.kind));
        out += ',';
        appendCsvCell(out, row.municipality);
        out += ',';
        appendCsvCell(out, row.comarca);
        for (const auto& figure : row.figures) {
            out += ',';
            if (figure)
                out += std::to_string(*figure);
        }
        out += "\r\n";
    }
    return out;
}

void writeCsv(const std::string& path, std::span<const UnitRow> rows) { writeWholeText(path, csvText(rows)); }

} // namespace exporting
