#include "table.h"

#include <stdexcept>

#include "cp1252.h"

namespace catalogue {

Table::Table(std::vector<FieldDef> fields, std::int32_t lcid) : fields_(std::move(fields)), lcid_(lcid) {}

int Table::fieldIndex(std::string_view name) const
{
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (cp1252::equalIgnoringCase(fields_[i].name, name))
            return static_cast<int>(i);
    return -1;
}

bool Table::isNull(std::size_t record, std::size_t field) const
{
    return cells_[record * fields_.size() + field].length == kNull;
}

std::string_view Table::text(std::size_t record, std::size_t field) const
{
    const Cell& cell = cells_[record * fields_.size() + field];
    if (cell.length == kNull)
        return {};
    return std::string_view(text_).substr(cell.offset, cell.length);
}

void Table::appendValue(std::optional<std::string_view> value)
{
    if (!value) {
        cells_.push_back({0, kNull});
        return;
    }
    if (text_.size() + value->size() >= kNull)
        throw std::length_error("catalogue table too large");
    cells_.push_back({static_cast<std::uint32_t>(text_.size()), static_cast<std::uint32_t>(value->size())});
    text_.append(*value);
}

void Table::addRecord(const std::vector<std::optional<std::string>>& values)
{
    if (values.size() != fields_.size())
        throw std::invalid_argument("record does not have one value per field");
    for (const auto& value : values)
        appendValue(value ? std::optional<std::string_view>(*value) : std::nullopt);
}

void Table::reserve(std::size_t records, std::size_t textBytes)
{
    cells_.reserve(records * fields_.size());
    text_.reserve(textBytes);
}

} // namespace catalogue
