#pragma once
// The catalogue the program embeds, read once, and the rows of its units with
// the comarcas of the few municipalities the tests name (IAEST's comarca
// table: Zaragoza in Central, Ejea de los Caballeros and Biel in Cinco
// Villas, and the historical Biel's territory with today's).

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "packet.h"
#include "table.h"
#include "unitrows.h"

namespace exporttest {

inline const catalogue::Table& embeddedTable()
{
    static const catalogue::Table table = [] {
        std::ifstream in(PUEBLOS_PACKET, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        return catalogue::readPacket(bytes);
    }();
    return table;
}

inline std::string comarcaOf(std::string_view code)
{
    static const std::map<std::string, std::string, std::less<>> known = {
        {"50297", "Central"}, {"50095", "Cinco Villas"}, {"50901", "Cinco Villas"},
        {"50049", "Cinco Villas"}}; // the historical Biel, in today's Biel
    const auto found = known.find(code);
    return found == known.end() ? std::string() : found->second;
}

// Every unit of the embedded catalogue, in stored order.
inline const std::vector<exporting::UnitRow>& allRows()
{
    static const std::vector<exporting::UnitRow> rows = [] {
        const exporting::UnitRowBuilder builder(embeddedTable(), comarcaOf);
        std::vector<std::size_t> records(embeddedTable().recordCount());
        for (std::size_t at = 0; at < records.size(); ++at)
            records[at] = at;
        return builder.rows(records);
    }();
    return rows;
}

inline const exporting::UnitRow& rowWithCode(std::string_view code)
{
    for (const exporting::UnitRow& row : allRows())
        if (row.code == code)
            return row;
    static const exporting::UnitRow none;
    return none;
}

// Runs a command and gives what it wrote on standard output; its exit status in `status`.
inline std::string output(const std::string& command, int* status = nullptr)
{
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return out;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, got);
    const int result = ::pclose(pipe);
    if (status)
        *status = result;
    return out;
}

} // namespace exporttest
