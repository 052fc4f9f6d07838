#include "packet.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cp1252.h"
#include "error.h"

namespace catalogue {
namespace {

constexpr std::uint32_t kMagic = 0xBDE01996u;
constexpr std::size_t kHeaderSize = 24;

constexpr std::uint32_t kSizeMask = 0x0000FFFFu;
constexpr std::uint32_t kCodeMask = 0x003F0000u;
constexpr std::uint32_t kVarying = 0x00400000u;
constexpr std::uint32_t kArray = 0x00800000u;
constexpr std::uint32_t kHighBits = 0xFF000000u;

constexpr std::uint32_t kCodeInt = 1;
constexpr std::uint32_t kCodeUInt = 2;
constexpr std::uint32_t kCodeString = 9;
constexpr std::uint32_t kCodeBytes = 11;

constexpr std::uint32_t kAttrMetadata = 1;
constexpr std::uint32_t kAttrMetadataSize = 2;

constexpr std::uint32_t kStringDescriptor = 0x00490001u;
constexpr std::uint32_t kMemoDescriptor = 0x004B0004u;
constexpr std::uint32_t kWidthDescriptor = 0x00020002u;
constexpr std::uint32_t kSubtypeDescriptor = 0x00490002u;
constexpr std::uint32_t kLcidDescriptor = 0x00010004u;

constexpr std::string_view kMismatch = "Mismatch in datapacket.";
constexpr std::string_view kNoMetadata = "Datapacket contains no meta data.";

std::string hex(std::uint32_t value)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out = "0x";
    for (int shift = 28; shift >= 0; shift -= 4)
        out += digits[(value >> shift) & 0xF];
    return out;
}

// A name as it goes into a message: UTF-8, at most 40 characters.
std::string shown(std::string_view name)
{
    if (name.size() > 40)
        return cp1252::toUtf8(name.substr(0, 40)) + "…";
    return cp1252::toUtf8(name);
}

// What a type descriptor says about the value it describes.
struct ValueType {
    std::uint32_t code = 0;
    bool varying = false;
    std::uint32_t size = 0; // fixed width, or width of the length prefix
};

// The values of one field, as the records store them.
struct FieldLayout {
    std::uint32_t prefix = 1; // width of the length prefix
    std::uint32_t maxLength = 0; // 0: no limit (memo)
};

class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    std::size_t pos() const { return pos_; }
    std::size_t remaining() const { return bytes_.size() - pos_; }
    void seek(std::size_t pos) { pos_ = pos; }

    [[noreturn]] void truncated(std::size_t at, std::string_view what, std::size_t needed) const
    {
        throw PacketError("Paquete de datos truncado en el byte " + std::to_string(at) + ": " + std::string(what)
                          + " necesita " + std::to_string(needed) + (needed == 1 ? " byte" : " bytes")
                          + " y solo " + (bytes_.size() - at == 1 ? "queda " : "quedan ")
                          + std::to_string(bytes_.size() - at) + ".");
    }

    [[noreturn]] static void invalid(std::size_t at, std::string_view what)
    {
        throw PacketError("Paquete de datos no válido en el byte " + std::to_string(at) + ": " + std::string(what)
                          + ".");
    }

    std::string_view take(std::size_t n, std::string_view what)
    {
        if (remaining() < n)
            truncated(pos_, what, n);
        const std::string_view out = bytes_.substr(pos_, n);
        pos_ += n;
        return out;
    }

    std::uint32_t uint(std::size_t width, std::string_view what)
    {
        const std::string_view raw = take(width, what);
        std::uint32_t value = 0;
        for (std::size_t i = width; i-- > 0;)
            value = (value << 8) | static_cast<unsigned char>(raw[i]);
        return value;
    }

    std::uint8_t u8(std::string_view what) { return static_cast<std::uint8_t>(uint(1, what)); }
    std::uint16_t u16(std::string_view what) { return static_cast<std::uint16_t>(uint(2, what)); }
    std::uint32_t u32(std::string_view what) { return uint(4, what); }

    std::string_view name(std::string_view what)
    {
        const std::size_t n = u8(what);
        return take(n, what);
    }

    // A type descriptor, checked: a known type code, no array flag, no high
    // bits, and a size that the type allows.
    ValueType descriptor(std::string_view what)
    {
        const std::size_t at = pos_;
        const std::uint32_t word = u32(what);
        const std::string where = std::string(what) + " (" + hex(word) + ")";
        if (word & kArray)
            invalid(at, where + " está marcado como matriz, que no se admite");
        if (word & kHighBits)
            invalid(at, where + " tiene bits reservados activos");
        ValueType type;
        type.code = (word & kCodeMask) >> 16;
        type.varying = (word & kVarying) != 0;
        type.size = word & kSizeMask;
        switch (type.code) {
        case kCodeInt:
        case kCodeUInt:
            if (type.varying || (type.size != 1 && type.size != 2 && type.size != 4))
                invalid(at, where + " describe un entero de tamaño no admitido");
            break;
        case kCodeString:
        case kCodeBytes:
            if (!type.varying || (type.size != 1 && type.size != 2 && type.size != 4))
                invalid(
                    at, where + " describe una cadena que no es de longitud variable con prefijo de 1, 2 o 4 bytes");
            break;
        default:
            invalid(at, where + " usa el código de tipo " + std::to_string(type.code) + ", que no se admite");
        }
        return type;
    }

    // The value of a property of the given type.
    struct Value {
        std::string_view bytes;
        std::int64_t number = 0;
    };
    Value value(const ValueType& type, std::string_view what)
    {
        Value out;
        if (type.varying) {
            const std::uint32_t length = uint(type.size, what);
            out.bytes = take(length, what);
            return out;
        }
        const std::uint32_t raw = uint(type.size, what);
        if (type.code == kCodeInt && type.size < 4) {
            const std::uint32_t sign = 1u << (8 * type.size - 1);
            out.number = raw & sign ? static_cast<std::int64_t>(raw) - (std::int64_t{sign} << 1) : raw;
        } else if (type.code == kCodeInt) {
            out.number = static_cast<std::int32_t>(raw);
        } else {
            out.number = raw;
        }
        return out;
    }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

FieldDef readField(Reader& in, std::size_t number, FieldLayout& layout)
{
    const std::string label = "campo nº " + std::to_string(number);
    const std::size_t start = in.pos();
    const std::string_view name = in.name("el nombre del " + label);
    if (name.empty())
        Reader::invalid(start, "el " + label + " no tiene nombre");
    const std::string field = "campo " + shown(name);

    const std::size_t typeAt = in.pos();
    const ValueType type = in.descriptor("el descriptor de tipo del " + field);
    const std::size_t attrAt = in.pos();
    const std::uint16_t attributes = in.u16("los atributos del " + field);
    if (attributes != 0)
        Reader::invalid(attrAt, "el " + field + " tiene atributos " + hex(attributes) + ", que no se admiten");
    const std::uint16_t count = in.u16("el número de propiedades del " + field);

    std::optional<std::int64_t> width;
    std::optional<std::string_view> subtype;
    for (std::uint16_t p = 0; p < count; ++p) {
        const std::string prop = "la propiedad nº " + std::to_string(p + 1) + " del " + field;
        const std::size_t propAt = in.pos();
        const std::string_view propName = in.name("el nombre de " + prop);
        const ValueType propType = in.descriptor("el descriptor de tipo de " + prop);
        const Reader::Value value = in.value(propType, "el valor de " + prop);
        if (propName == "WIDTH") {
            if (width)
                Reader::invalid(propAt, "el " + field + " tiene dos propiedades WIDTH");
            if (propType.code != kCodeInt && propType.code != kCodeUInt)
                Reader::invalid(propAt, "la propiedad WIDTH del " + field + " no es un entero");
            width = value.number;
        } else if (propName == "SUBTYPE") {
            if (subtype)
                Reader::invalid(propAt, "el " + field + " tiene dos propiedades SUBTYPE");
            if (propType.code != kCodeString)
                Reader::invalid(propAt, "la propiedad SUBTYPE del " + field + " no es una cadena");
            subtype = value.bytes;
        }
        // Any other property says nothing the table needs.
    }

    FieldDef def;
    def.name = std::string(name);
    if (type.code == kCodeString) {
        if (subtype)
            Reader::invalid(start,
                            "el " + field + " es una cadena con SUBTYPE '" + shown(*subtype) + "', que no se admite");
        if (!width)
            Reader::invalid(start, "el " + field + " es una cadena sin la propiedad WIDTH");
        const std::int64_t limit = type.size == 1 ? 0xFF : 0xFFFF;
        if (*width < 1 || *width > limit)
            Reader::invalid(start, "el " + field + " tiene WIDTH " + std::to_string(*width)
                                       + ", fuera del intervalo 1 a "
                                       + std::to_string(limit));
        def.kind = FieldKind::String;
        def.width = static_cast<std::uint16_t>(*width);
        layout.maxLength = def.width;
    } else if (type.code == kCodeBytes) {
        std::string_view sub = subtype.value_or(std::string_view{});
        if (!sub.empty() && sub.back() == '\0')
            sub.remove_suffix(1);
        if (sub != "Text")
            Reader::invalid(start, "el " + field
                                       + " es una cadena de bytes que no está marcada como texto (SUBTYPE \"Text\")");
        if (width && (*width < 0 || *width > 0xFFFF))
            Reader::invalid(start, "el " + field + " tiene WIDTH " + std::to_string(*width)
                                       + ", fuera del intervalo 0 a 65535");
        def.kind = FieldKind::Memo;
        def.width = static_cast<std::uint16_t>(width.value_or(1));
        layout.maxLength = 0;
    } else {
        Reader::invalid(typeAt, "el " + field + " es de un tipo (código " + std::to_string(type.code)
                                    + ") que no puede contener texto");
    }
    layout.prefix = type.size;
    return def;
}

} // namespace

Table readPacket(std::string_view bytes, PacketBytes kind)
{
    Reader in(bytes);

    // Header.
    if (bytes.size() >= 4 && in.u32("la firma") != kMagic)
        throw PacketError(std::string(kMismatch));
    in.seek(0);
    if (bytes.size() < kHeaderSize)
        in.truncated(0, "la cabecera", kHeaderSize);
    in.u32("la firma");
    const std::uint16_t major = in.u16("la versión");
    const std::uint16_t minor = in.u16("la versión");
    if (major > 2 || minor > 2)
        throw PacketError(std::string(kMismatch));
    const std::uint32_t headerSize = in.u32("el tamaño de la cabecera");
    const std::uint16_t fieldCount = in.u16("el número de campos");
    const std::uint32_t recordCount = in.u32("el número de registros");
    const std::uint32_t attributes = in.u32("los atributos del paquete");
    const std::uint16_t metadataSize = in.u16("el tamaño de los metadatos");
    if (!(attributes & kAttrMetadata))
        throw PacketError(std::string(kNoMetadata));
    if (attributes & ~(kAttrMetadata | kAttrMetadataSize))
        Reader::invalid(18, "los atributos del paquete (" + hex(attributes) + ") tienen bits desconocidos");
    if (headerSize < kHeaderSize)
        Reader::invalid(8, "el tamaño de la cabecera (" + std::to_string(headerSize) + ") es menor que 24");
    if (headerSize > bytes.size())
        in.truncated(kHeaderSize, "la cabecera declarada de " + std::to_string(headerSize) + " bytes",
                     headerSize - kHeaderSize);
    if (fieldCount == 0)
        Reader::invalid(12, "el paquete no declara ningún campo");

    // Field descriptors.
    in.seek(headerSize);
    // A descriptor takes at least 9 bytes: reserve no more than the bytes can hold.
    std::vector<FieldDef> fields;
    std::vector<FieldLayout> layouts;
    fields.reserve(std::min<std::size_t>(fieldCount, in.remaining() / 9));
    layouts.reserve(fields.capacity());
    for (std::size_t f = 0; f < fieldCount; ++f) {
        const std::size_t at = in.pos();
        FieldLayout& layout = layouts.emplace_back();
        FieldDef def = readField(in, f + 1, layout);
        for (const FieldDef& other : fields)
            if (cp1252::equalIgnoringCase(other.name, def.name))
                Reader::invalid(at, "el nombre de campo " + shown(def.name) + " está repetido");
        fields.push_back(std::move(def));
    }

    // Packet properties.
    std::int32_t lcid = 0;
    bool haveLcid = false;
    const std::uint16_t propCount = in.u16("el número de propiedades del paquete");
    for (std::uint16_t p = 0; p < propCount; ++p) {
        const std::string prop = "la propiedad nº " + std::to_string(p + 1) + " del paquete";
        const std::size_t at = in.pos();
        const std::string_view name = in.name("el nombre de " + prop);
        const ValueType type = in.descriptor("el descriptor de tipo de " + prop);
        const Reader::Value value = in.value(type, "el valor de " + prop);
        if (name == "LCID") {
            if (haveLcid)
                Reader::invalid(at, "la propiedad LCID del paquete está repetida");
            if (type.code != kCodeInt && type.code != kCodeUInt)
                Reader::invalid(at, "la propiedad LCID del paquete no es un entero");
            if (value.number < 0 || value.number > 0x7FFFFFFF)
                Reader::invalid(at, "la propiedad LCID del paquete tiene un valor no válido ("
                                        + std::to_string(value.number) + ")");
            lcid = static_cast<std::int32_t>(value.number);
            haveLcid = true;
        }
    }
    if ((attributes & kAttrMetadataSize) && in.pos() != metadataSize)
        Reader::invalid(22, "el tamaño de los metadatos (" + std::to_string(metadataSize)
                                + ") no coincide con el comienzo de los registros (byte " + std::to_string(in.pos())
                                + ")");

    // Records.
    Table table(std::move(fields), lcid);
    const std::size_t nullBytes = (2 * std::size_t{fieldCount} + 7) / 8;
    const std::size_t minRecord = 1 + nullBytes;
    // Never trust the record count beyond what the bytes left can hold (a
    // record with values takes at least a byte per field besides its flags).
    const std::size_t plausible = std::min<std::size_t>(recordCount, in.remaining() / (minRecord + fieldCount));
    table.reserve(plausible, 0);
    table.keepPacket(bytes, kind);

    for (std::uint32_t r = 0; r < recordCount; ++r) {
        const std::size_t start = in.pos();
        const auto recordLabel = [r] { return "el registro nº " + std::to_string(r + 1); };
        if (in.remaining() < minRecord)
            in.truncated(start, recordLabel(), minRecord);
        table.beginKeptRecord(start);
        const std::uint8_t status = in.u8({});
        if (status != 0)
            Reader::invalid(start, recordLabel() + " tiene el estado " + std::to_string(status) + ", que no se admite");
        const std::string_view flags = in.take(nullBytes, {});
        // Bits of the unused slots in the last flag byte must be clear.
        if (fieldCount % 4 != 0) {
            const auto last = static_cast<unsigned char>(flags[nullBytes - 1]);
            if (last >> (2 * (fieldCount % 4)))
                Reader::invalid(start + nullBytes,
                                recordLabel() + " tiene indicadores de nulo para campos que no existen");
        }
        for (std::size_t f = 0; f < fieldCount; ++f) {
            const unsigned flag = (static_cast<unsigned char>(flags[f / 4]) >> (2 * (f % 4))) & 3u;
            if (flag == 1) {
                table.appendKeptNull();
                continue;
            }
            if (flag != 0)
                Reader::invalid(start + 1 + f / 4, recordLabel() + " marca el campo " + shown(table.fields()[f].name)
                                                       + " con el indicador de nulo " + std::to_string(flag)
                                                       + ", que no se admite");
            const FieldLayout& layout = layouts[f];
            const std::size_t valueAt = in.pos();
            if (in.remaining() < layout.prefix)
                in.truncated(valueAt, "el valor del campo " + shown(table.fields()[f].name) + " en " + recordLabel(),
                             layout.prefix);
            const std::uint32_t length = in.uint(layout.prefix, {});
            if (layout.maxLength && length > layout.maxLength)
                Reader::invalid(valueAt, "el valor del campo " + shown(table.fields()[f].name) + " en " + recordLabel()
                                             + " mide " + std::to_string(length) + " bytes y su anchura es "
                                             + std::to_string(layout.maxLength));
            if (in.remaining() < length)
                in.truncated(valueAt + layout.prefix,
                             "el valor del campo " + shown(table.fields()[f].name) + " en " + recordLabel(), length);
            const std::string_view value = in.take(length, {});
            table.appendKeptValue(static_cast<std::size_t>(value.data() - bytes.data()), value.size());
        }
    }
    if (in.remaining() != 0)
        Reader::invalid(in.pos(), (in.remaining() == 1 ? std::string("sobra 1 byte")
                                                       : "sobran " + std::to_string(in.remaining()) + " bytes")
                                      + " después del último registro");
    return table;
}

namespace {

// The packet being written: little-endian numbers, names with their length
// before them, and raw bytes.
class Writer {
public:
    void uint(std::uint32_t value, std::size_t width)
    {
        for (std::size_t i = 0; i < width; ++i)
            out_ += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    void u8(std::uint32_t value) { uint(value, 1); }
    void u16(std::uint32_t value) { uint(value, 2); }
    void u32(std::uint32_t value) { uint(value, 4); }
    void name(std::string_view text)
    {
        u8(static_cast<std::uint32_t>(text.size()));
        out_ += text;
    }
    void bytes(std::string_view bytes) { out_ += bytes; }
    void zeros(std::size_t count) { out_.append(count, '\0'); }
    // Sets the bits of `mask` in the byte written at `at`.
    void setBits(std::size_t at, unsigned mask)
    {
        out_[at] = static_cast<char>(static_cast<unsigned char>(out_[at]) | mask);
    }
    void patch(std::size_t at, std::uint32_t value, std::size_t width)
    {
        for (std::size_t i = 0; i < width; ++i)
            out_[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    std::size_t size() const { return out_.size(); }
    std::string take() { return std::move(out_); }

private:
    std::string out_;
};

[[noreturn]] void cannotWrite(const std::string& why)
{
    throw PacketError("No se puede escribir el paquete de datos: " + why + ".");
}

} // namespace

std::string writePacket(const Table& table)
{
    const auto& fields = table.fields();
    if (fields.empty())
        cannotWrite("la tabla no tiene campos");
    if (fields.size() > 0xFFFF)
        cannotWrite("la tabla tiene más de 65535 campos");
    if (table.lcid() < 0)
        cannotWrite("el identificador de idioma " + std::to_string(table.lcid()) + " no es válido");
    if (table.recordCount() > 0xFFFFFFFFu)
        cannotWrite("la tabla tiene demasiados registros");
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const FieldDef& f = fields[i];
        if (f.name.empty() || f.name.size() > 0xFF)
            cannotWrite("el nombre del campo nº " + std::to_string(i + 1) + " debe tener de 1 a 255 bytes");
        if (f.kind == FieldKind::String && (f.width < 1 || f.width > 0xFF))
            cannotWrite("el campo " + shown(f.name) + " tiene anchura " + std::to_string(f.width)
                        + ", fuera del intervalo 1 a 255");
        for (std::size_t k = 0; k < i; ++k)
            if (cp1252::equalIgnoringCase(fields[k].name, f.name))
                cannotWrite("el nombre de campo " + shown(f.name) + " está repetido");
    }

    Writer w;
    // Header; the metadata size is filled in once known.
    w.u32(kMagic);
    w.u16(1);
    w.u16(0);
    w.u32(static_cast<std::uint32_t>(kHeaderSize));
    w.u16(static_cast<std::uint32_t>(fields.size()));
    w.u32(static_cast<std::uint32_t>(table.recordCount()));
    w.u32(0);
    w.u16(0);

    for (const FieldDef& f : fields) {
        w.name(f.name);
        if (f.kind == FieldKind::String) {
            w.u32(kStringDescriptor);
            w.u16(0);
            w.u16(1);
            w.name("WIDTH");
            w.u32(kWidthDescriptor);
            w.u16(f.width);
        } else {
            w.u32(kMemoDescriptor);
            w.u16(0);
            w.u16(2);
            w.name("SUBTYPE");
            w.u32(kSubtypeDescriptor);
            w.u16(5);
            w.bytes(std::string_view("Text\0", 5));
            w.name("WIDTH");
            w.u32(kWidthDescriptor);
            w.u16(1);
        }
    }
    w.u16(1);
    w.name("LCID");
    w.u32(kLcidDescriptor);
    w.u32(static_cast<std::uint32_t>(table.lcid()));

    const std::size_t metadataSize = w.size();
    if (metadataSize <= 0xFFFF) {
        w.patch(18, kAttrMetadata | kAttrMetadataSize, 4);
        w.patch(22, static_cast<std::uint32_t>(metadataSize), 2);
    } else {
        w.patch(18, kAttrMetadata, 4);
    }

    const std::size_t nullBytes = (2 * fields.size() + 7) / 8;
    for (std::size_t r = 0; r < table.recordCount(); ++r) {
        w.u8(0);
        const std::size_t flagsAt = w.size();
        w.zeros(nullBytes);
        for (std::size_t f = 0; f < fields.size(); ++f) {
            if (table.isNull(r, f)) {
                w.setBits(flagsAt + f / 4, 1u << (2 * (f % 4)));
                continue;
            }
            const std::string_view text = table.text(r, f);
            if (fields[f].kind == FieldKind::String) {
                if (text.size() > fields[f].width)
                    cannotWrite("el valor del campo " + shown(fields[f].name) + " en el registro nº "
                                + std::to_string(r + 1) + " mide " + std::to_string(text.size())
                                + " bytes y su anchura es " + std::to_string(fields[f].width));
                w.u8(static_cast<std::uint32_t>(text.size()));
            } else {
                if (text.size() > 0xFFFFFFFFu)
                    cannotWrite("una nota es demasiado larga");
                w.u32(static_cast<std::uint32_t>(text.size()));
            }
            w.bytes(text);
        }
    }
    return w.take();
}

} // namespace catalogue
