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

// What a table read from bytes does with them: keeps a copy (the bytes may
// change or go away afterwards), or refers to them, when they outlive every
// table read from them and never change (the catalogue built into the
// program).
enum class PacketBytes { Copied, Lasting };

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
    bool isNull(std::size_t record, std::size_t field) const
    {
        return cells_[record * fields_.size() + field].length == kNull;
    }
    // The stored cp1252 text; empty for a null value.
    std::string_view text(std::size_t record, std::size_t field) const
    {
        const Cell& cell = cells_[record * fields_.size() + field];
        return cell.length == kNull ? std::string_view() : text().substr(cell.offset, cell.length);
    }

    // Appends a record: one value per field, nullopt for null.
    void addRecord(const std::vector<std::optional<std::string>>& values);
    // Appends a value of the record being built; records are complete after
    // fieldCount() calls. Used by the packet reader to avoid copies.
    void appendValue(std::optional<std::string_view> value);
    void reserve(std::size_t records, std::size_t textBytes);

    // Reading a packet: the table keeps the packet's bytes whole as its text,
    // and each value refers to its place in them, so nothing is copied twice;
    // Lasting bytes are not copied at all (until a value is added from
    // elsewhere, which copies them first).
    void keepPacket(std::string_view bytes, PacketBytes kind = PacketBytes::Copied);
    void appendKeptValue(std::size_t offset, std::size_t length)
    {
        if (!packet_ || offset > text().size() || length > text().size() - offset)
            keptValueOutside();
        cells_.push_back({static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(length)});
    }
    // The packet the table was read from, while no value has been added
    // from elsewhere; empty otherwise.
    std::string_view packet() const { return packet_ ? text() : std::string_view(); }

private:
    [[noreturn]] static void keptValueOutside();
    std::string_view text() const { return lasting_.data() ? lasting_ : std::string_view(text_); }

    struct Cell {
        std::uint32_t offset;
        std::uint32_t length; // kNull for a null value
    };
    static constexpr std::uint32_t kNull = 0xFFFFFFFFu;

    std::vector<FieldDef> fields_;
    std::int32_t lcid_ = 0;
    std::string text_;        // all values, back to back
    std::string_view lasting_; // instead of text_, the Lasting packet read
    std::vector<Cell> cells_; // records × fields
    bool packet_ = false;     // the text is the packet the values came from
};

} // namespace catalogue
