#pragma once
// The catalogue table: field list, locale and records, as read from a data packet.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace catalogue {

enum class FieldKind : std::uint8_t {
    String, // 8-bit string with a declared WIDTH
    Memo,   // byte string marked as text (SUBTYPE "Text"), WIDTH 1
};

struct FieldDef {
    std::string name; // as stored (cp1252)
    FieldKind kind = FieldKind::String;
    std::uint16_t width = 0; // WIDTH property
};

// Locale of the catalogue as shipped: Spanish with the traditional sort.
inline constexpr std::int32_t kSpanishTraditional = 1034;

class Table {
public:
    Table() = default;
    Table(std::vector<FieldDef> fields, std::int32_t lcid);

    const std::vector<FieldDef>& fields() const { return fields_; }
    std::size_t fieldCount() const { return fields_.size(); }
    std::int32_t lcid() const { return lcid_; }

    // Index of the field whose name equals `name` regardless of letter case
    // ("ident" finds IDENT); -1 when there is none.
    int fieldIndex(std::string_view name) const;

    std::size_t recordCount() const { return fields_.empty() ? 0 : cells_.size() / fields_.size(); }
    bool isNull(std::size_t record, std::size_t field) const;
    // The stored cp1252 text; empty for a null value.
    std::string_view text(std::size_t record, std::size_t field) const;

    // Appends a record: one value per field, nullopt for null.
    void addRecord(const std::vector<std::optional<std::string>>& values);
    // Appends a value of the record being built; records are complete after
    // fieldCount() calls. Used by the packet reader to avoid copies.
    void appendValue(std::optional<std::string_view> value);
    void reserve(std::size_t records, std::size_t textBytes);

private:
    struct Cell {
        std::uint32_t offset;
        std::uint32_t length; // kNull for a null value
    };
    static constexpr std::uint32_t kNull = 0xFFFFFFFFu;

    std::vector<FieldDef> fields_;
    std::int32_t lcid_ = 0;
    std::string text_;        // all values, back to back
    std::vector<Cell> cells_; // records × fields
};

} // namespace catalogue
