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
        const std::size_t index = record * fields_.size() + field;
        const Cell cell = cells_[index];
        if (cell.length < kWide)
            return text().substr(starts_[record] + cell.offset, cell.length);
        return cell.length == kNull ? std::string_view() : wideText(index);
    }

    // Appends a record: one value per field, nullopt for null.
    void addRecord(const std::vector<std::optional<std::string>>& values);
    void reserve(std::size_t records, std::size_t textBytes);

    // Reading a packet: the table keeps the packet's bytes whole as its text,
    // and each value refers to its place in them, so nothing is copied twice;
    // Lasting bytes are not copied at all (until a record is added from
    // elsewhere, which copies them first). Each record begins where its bytes
    // do, and is complete after fieldCount() values.
    void keepPacket(std::string_view bytes, PacketBytes kind = PacketBytes::Copied);
    void beginKeptRecord(std::size_t start)
    {
        if (!packet_ || start > text().size() || cells_.size() != recordEnd_)
            keptValueOutside();
        starts_.push_back(static_cast<std::uint32_t>(start));
        recordEnd_ += fields_.size();
    }
    void appendKeptValue(std::size_t offset, std::size_t length)
    {
        if (cells_.size() >= recordEnd_ || offset > text().size() || length > text().size() - offset)
            keptValueOutside();
        place(offset, length);
    }
    void appendKeptNull()
    {
        if (cells_.size() >= recordEnd_)
            keptValueOutside();
        cells_.push_back({0, kNull});
    }
    // The packet the table was read from, while no record has been added
    // from elsewhere; empty otherwise.
    std::string_view packet() const { return packet_ ? text() : std::string_view(); }

private:
    [[noreturn]] static void keptValueOutside();
    std::string_view text() const { return lasting_.data() ? lasting_ : std::string_view(text_); }
    std::string_view wideText(std::size_t index) const;
    // Adds the cell of a value of the record begun last.
    void place(std::size_t offset, std::size_t length)
    {
        const std::size_t from = offset - starts_.back(); // wraps round before the start
        if (from <= kMaxOffset && length < kWide)
            cells_.push_back({static_cast<std::uint16_t>(from), static_cast<std::uint16_t>(length)});
        else
            placeWide(offset, length);
    }
    void placeWide(std::size_t offset, std::size_t length);

    // Where a value lies in the text: from the start of its record, as the
    // values of a record lie close together. A value further on, or longer,
    // than these 16 bits reach is kept whole apart (wide_), its cell marked
    // kWide.
    struct Cell {
        std::uint16_t offset;
        std::uint16_t length; // kNull for a null value, kWide for one kept apart
    };
    static constexpr std::uint16_t kNull = 0xFFFF;
    static constexpr std::uint16_t kWide = 0xFFFE;
    static constexpr std::size_t kMaxOffset = 0xFFFF;
    struct WideCell {
        std::uint32_t index; // of the cell
        std::uint32_t offset;
        std::uint32_t length;
    };
    static constexpr std::size_t kMaxText = 0xFFFFFFFF;

    std::vector<FieldDef> fields_;
    std::int32_t lcid_ = 0;
    std::string text_;           // all values, back to back
    std::string_view lasting_;   // instead of text_, the Lasting packet read
    std::vector<std::uint32_t> starts_; // per record: where its values start in the text
    std::vector<Cell> cells_;    // records × fields
    std::vector<WideCell> wide_; // in the order of their cells
    std::size_t recordEnd_ = 0;  // where the cells of the record begun last end (starts_ × fields, kept for the reading loop)
    bool packet_ = false;        // the text is the packet the values came from
};

} // namespace catalogue
