#include "table.h"

#include <algorithm>
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

void Table::placeWide(std::size_t offset, std::size_t length)
{
    wide_.push_back({static_cast<std::uint32_t>(cells_.size()), static_cast<std::uint32_t>(offset),
                     static_cast<std::uint32_t>(length)});
    cells_.push_back({0, kWide});
}

std::string_view Table::wideText(std::size_t index) const
{
    const auto cell = std::lower_bound(wide_.begin(), wide_.end(), index,
                                       [](const WideCell& wide, std::size_t i) { return wide.index < i; });
    return text().substr(cell->offset, cell->length);
}

void Table::addRecord(const std::vector<std::optional<std::string>>& values)
{
    if (values.size() != fields_.size())
        throw std::invalid_argument("record does not have one value per field");
    if (fields_.empty())
        return;
    std::size_t size = 0;
    for (const auto& value : values)
        size += value ? value->size() : 0;
    packet_ = false;
    if (lasting_.data()) {
        text_.assign(lasting_);
        lasting_ = {};
    }
    if (size > kMaxText - text_.size())
        throw std::length_error("catalogue table too large");
    starts_.push_back(static_cast<std::uint32_t>(text_.size()));
    recordEnd_ += fields_.size();
    for (const auto& value : values) {
        if (value) {
            place(text_.size(), value->size());
            text_.append(*value);
        } else {
            cells_.push_back({0, kNull});
        }
    }
}

void Table::keepPacket(std::string_view bytes, PacketBytes kind)
{
    if (bytes.size() > kMaxText)
        throw std::length_error("catalogue table too large");
    if (kind == PacketBytes::Lasting && bytes.data()) {
        text_.clear();
        lasting_ = bytes;
    } else {
        text_.assign(bytes);
        lasting_ = {};
    }
    packet_ = true;
}

void Table::keptValueOutside()
{
    throw std::out_of_range("value outside the kept packet or its records");
}

void Table::reserve(std::size_t records, std::size_t textBytes)
{
    starts_.reserve(records);
    cells_.reserve(records * fields_.size());
    text_.reserve(textBytes);
}

} // namespace catalogue
