#include "copiedtable.h"

#include <vector>

#include "units.h"

namespace exporting {

namespace {

std::string escapedHtml(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

// A tab or line break inside a cell would split it: a space stands for it.
std::string tabCell(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return out;
}

void addRow(CopiedTable& table, const std::vector<std::string>& cells, std::string_view tag)
{
    table.html += "<tr>";
    for (std::size_t at = 0; at < cells.size(); ++at) {
        if (at > 0)
            table.text += '\t';
        table.text += tabCell(cells[at]);
        table.html += "<" + std::string(tag) + ">" + escapedHtml(cells[at]) + "</" + std::string(tag) + ">";
    }
    table.text += '\n';
    table.html += "</tr>";
}

} // namespace

CopiedTable copiedTable(std::span<const UnitRow> rows, bool withCode)
{
    CopiedTable table;
    table.html = "<meta charset=\"utf-8\"><table>";
    std::vector<std::string> header = {"Unidad", "Tipo"};
    if (withCode)
        header.emplace_back("Código");
    for (std::string_view year : catalogue::kCensusFields)
        header.emplace_back(year);
    addRow(table, header, "th");
    for (const UnitRow& row : rows) {
        std::vector<std::string> cells = {row.title, std::string(kindWord(row.kind))};
        if (withCode)
            cells.push_back(row.code);
        for (const auto& figure : row.figures)
            cells.push_back(figure ? std::to_string(*figure) : std::string());
        addRow(table, cells, "td");
    }
    table.html += "</table>";
    return table;
}

} // namespace exporting
