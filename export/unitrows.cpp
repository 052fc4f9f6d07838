#include "unitrows.h"

#include <stdexcept>

#include "cp1252.h"
#include "numbers.h"
#include "units.h"
#include "view.h"

namespace exporting {

namespace {

// The marks of a historical municipality's display name, longest first, as
// the converter chooses the longest that fits (cp1252: 0xF3 is "ó").
constexpr std::array<std::string_view, 4> kHistoricalMarks = {
    " -- municipio hist\xf3rico", " -- mun. hist\xf3rico", " -- hist\xf3rico", " -- hist."};

bool endsWith(std::string_view text, std::string_view end)
{
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

} // namespace

std::optional<std::int32_t> figureOf(std::string_view censusText)
{
    return catalogue::parseInteger(censusText, catalogue::Dots::Ignored);
}

UnitRowBuilder::UnitRowBuilder(const catalogue::Table& table, ComarcaLookup comarcaOf)
    : table_(table), comarcaOf_(std::move(comarcaOf)), kindField_(table.fieldIndex("TIPONUM")),
      dictionaryNameField_(table.fieldIndex("NOMBREDICC")), displayNameField_(table.fieldIndex("NOMBREMOST")),
      codeField_(table.fieldIndex(catalogue::kCodeField))
{
    for (std::size_t year = 0; year < censusFields_.size(); ++year)
        censusFields_[year] = table.fieldIndex(catalogue::kCensusFields[year]);
    if (codeField_ < 0)
        return;
    for (std::size_t record = 0; record < table.recordCount(); ++record) {
        if (text(record, kindField_) != "2")
            continue;
        if (endsWithHistoricalMark(text(record, displayNameField_)))
            continue;
        municipalityByCode_.emplace(text(record, codeField_), record);
    }
}

std::string UnitRowBuilder::text(std::size_t record, int field) const
{
    if (field < 0)
        return {};
    return std::string(table_.text(record, static_cast<std::size_t>(field)));
}

bool endsWithHistoricalMark(std::string_view displayName)
{
    for (std::string_view mark : kHistoricalMarks)
        if (endsWith(displayName, mark))
            return true;
    return false;
}

UnitRow UnitRowBuilder::row(std::size_t record) const
{
    if (record >= table_.recordCount())
        throw std::out_of_range("UnitRowBuilder::row: no such record");
    UnitRow row;
    const std::string displayName = text(record, displayNameField_);
    row.name = catalogue::cp1252::toUtf8(displayName);
    row.title = catalogue::cp1252::toUtf8(text(record, dictionaryNameField_));
    row.code = catalogue::cp1252::toUtf8(text(record, codeField_));
    const std::string kind = text(record, kindField_);
    if (kind == "2")
        row.kind = endsWithHistoricalMark(displayName) ? UnitKind::HistoricalMunicipality
                                                       : UnitKind::CurrentMunicipality;
    else if (kind == "3")
        row.kind = UnitKind::Entity;
    else if (kind == "4")
        row.kind = UnitKind::Nucleus;

    if (row.kind == UnitKind::Entity || row.kind == UnitKind::Nucleus) {
        if (row.code.size() > 5) {
            const auto found = municipalityByCode_.find(row.code.substr(0, 5));
            if (found != municipalityByCode_.end())
                row.municipality = catalogue::cp1252::toUtf8(text(found->second, displayNameField_));
        }
    }
    if (comarcaOf_ && row.code.size() >= 5 && row.kind != UnitKind::Unknown)
        row.comarca = comarcaOf_(std::string_view(row.code).substr(0, 5));

    for (std::size_t year = 0; year < censusFields_.size(); ++year)
        if (censusFields_[year] >= 0)
            row.figures[year] = figureOf(table_.text(record, static_cast<std::size_t>(censusFields_[year])));
    return row;
}

std::vector<UnitRow> UnitRowBuilder::rows(std::span<const std::size_t> records) const
{
    std::vector<UnitRow> out;
    out.reserve(records.size());
    for (std::size_t record : records)
        out.push_back(row(record));
    return out;
}

std::vector<UnitRow> UnitRowBuilder::rows(const catalogue::View& view) const
{
    std::vector<UnitRow> out;
    const int count = view.recordCount();
    out.reserve(static_cast<std::size_t>(count));
    for (int at = 0; at < count; ++at)
        out.push_back(row(view.recordAt(at)));
    return out;
}

} // namespace exporting
