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

void Table::appendValue(std::optional<std::string_view> value)
{
    if (!value) {
        cells_.push_back({0, kNull});
        return;
    }
    packet_ = false;
    if (lasting_.data()) {
        text_.assign(lasting_);
        lasting_ = {};
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

void Table::keepPacket(std::string_view bytes, PacketBytes kind)
{
    if (bytes.size() >= kNull)
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
    throw std::out_of_range("value outside the kept packet");
}

void Table::reserve(std::size_t records, std::size_t textBytes)
{
    cells_.reserve(records * fields_.size());
    text_.reserve(textBytes);
}

} // namespace catalogue
