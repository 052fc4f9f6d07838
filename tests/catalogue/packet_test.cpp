// The data packet reader and writer: the bytes the writer produces, round trips,
// what the reader must accept, and a clean PacketError for each kind of damage
// (random bytes, and round trips of any table read, are left to fuzz/packet_fuzz.cpp).

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "error.h"
#include "packet.h"
#include "table.h"

using namespace catalogue;

namespace {

using Values = std::vector<std::optional<std::string>>;

std::string note(std::size_t length)
{
    std::string text = "Municipio de la provincia";
    text.resize(length, 'x');
    return text;
}

// The first unit of the catalogue as shipped: no nulls, a 189-byte note.
Values abay()
{
    return {"20001", "2", "Abay", "Abay", "Abay", note(189), "488", "462", "442", "516", "505",
            "-",     "-", "-",    "-",    "-",    "-",       "-"};
}

// The one unit with nulls: NOMBREMOST, 1920 and 1950.
Values hostal()
{
    return {"31625",  "3",       "Hostal",     "El Ciervo", std::nullopt, note(120), "Hostal", "El Cier", std::nullopt,
            "Hostal", "El Cier", std::nullopt, "-",         "-",          "-",       "-",      "-",       "-"};
}

Table catalogueTable(const std::vector<Values>& records)
{
    std::vector<FieldDef> fields = {{"IDENT", FieldKind::String, 5},       {"TIPONUM", FieldKind::String, 1},
                                    {"NOMBREBUSC", FieldKind::String, 46}, {"NOMBREDICC", FieldKind::String, 46},
                                    {"NOMBREMOST", FieldKind::String, 55}, {"COMENTARIO", FieldKind::Memo, 1}};
    for (const char* year : {"1900", "1910", "1920", "1930", "1940", "1950", "1960", "1970", "1981", "1991", "2001",
                             "2004"})
        fields.push_back({year, FieldKind::String, 7});
    Table t(fields, kSpanishTraditional);
    for (const auto& r : records)
        t.addRecord(r);
    return t;
}

std::string bytes(std::initializer_list<int> list) { return std::string(list.begin(), list.end()); }

// Little-endian builder for hand-made packets.
struct Bytes {
    std::string s;
    Bytes& u8(std::uint32_t v) { return s += static_cast<char>(v & 0xFF), *this; }
    Bytes& u16(std::uint32_t v) { return u8(v).u8(v >> 8); }
    Bytes& u32(std::uint32_t v) { return u16(v).u16(v >> 16); }
    Bytes& raw(std::string_view r) { return s += r, *this; }
    Bytes& name(std::string_view n) { return u8(static_cast<std::uint32_t>(n.size())).raw(n); }
    Bytes& header(std::uint16_t fields, std::uint32_t records, std::uint32_t headerSize = 24)
    {
        return u32(0xBDE01996u).u16(1).u16(0).u32(headerSize).u16(fields).u32(records).u32(1).u16(0);
    }
    Bytes& stringField(std::string_view n, std::uint16_t width)
    {
        return name(n).u32(0x00490001).u16(0).u16(1).name("WIDTH").u32(0x00020002).u16(width);
    }
    Bytes& lcid(std::uint32_t value) { return u16(1).name("LCID").u32(0x00010004).u32(value); }
};

// Everything a table holds, as one text: fields, locale, values and nulls.
std::string describe(const Table& t)
{
    std::string out = std::string("LCID ").append(std::to_string(t.lcid()));
    for (const FieldDef& f : t.fields())
        out.append("\n").append(f.name).append(f.kind == FieldKind::Memo ? " memo " : " string ").append(std::to_string(f.width));
    for (std::size_t r = 0; r < t.recordCount(); ++r)
        for (std::size_t f = 0; f < t.fieldCount(); ++f)
            out.append(t.isNull(r, f) ? "\n(null)" : "\n=").append(t.isNull(r, f) ? "" : t.text(r, f));
    return out;
}

// The message of the PacketError that reading `packet` throws ("" if none).
std::string failure(std::string_view packet)
{
    try {
        readPacket(packet);
    } catch (const PacketError& e) {
        return e.what();
    }
    return {};
}

} // namespace

// --- The bytes the writer produces --------------------------------------------

TEST(PacketLayout, BytesOfTheHeaderAndOfARecord)
{
    const std::string p = writePacket(catalogueTable({abay()}));
    ASSERT_EQ(p.size(), 536u + 256u);
    // Magic, version 1.0, size 24, 18 fields, 1 record, attributes 3, metadata size 536.
    EXPECT_EQ(p.substr(0, 24), bytes({0x96, 0x19, 0xE0, 0xBD, 1, 0, 0, 0, 24, 0, 0, 0, 18, 0, 1, 0, 0, 0, 3, 0,
                                      0, 0, 0x18, 0x02}));
    // Status byte, null flags (two bits a field), then the values; the note with a 4-byte length.
    EXPECT_EQ(p.substr(536, 33), bytes({0, 0, 0, 0, 0, 0}) + "\x05" "20001\x01" "2\x04" "Abay\x04" "Abay\x04" "Abay"
                                     + bytes({0xBD, 0, 0, 0}));
    EXPECT_EQ(p.substr(536 + 33 + 189), "\x03" "488\x03" "462\x03" "442\x03" "516\x03" "505"
                                           + std::string("\x01-\x01-\x01-\x01-\x01-\x01-\x01-"));
}

// --- Reading ------------------------------------------------------------------------

TEST(PacketRead, RoundTrips)
{
    // Values that fill their width, cp1252 text, nulls, a note of 399 bytes.
    Values longest = abay();
    longest[2] = std::string(46, 'b');
    longest[3] = std::string(45, 'd') + "\xF1";
    longest[4] = std::string(55, 'm');
    longest[5] = note(399);
    longest[6] = "638.799";
    const Table t = catalogueTable({abay(), hostal(), longest});
    EXPECT_EQ(describe(readPacket(writePacket(t))), describe(t));

    // 300 fields with long names: the records start beyond 65,535, and the
    // metadata-size flag is cleared.
    std::vector<FieldDef> fields;
    for (int i = 0; i < 300; ++i)
        fields.push_back({std::string(240, 'A') + std::to_string(1000 + i), FieldKind::String, 10});
    Table wide(fields, 1034);
    Values v(300, std::string("v"));
    v[7] = std::nullopt;
    wide.addRecord(v);
    const std::string p = writePacket(wide);
    EXPECT_EQ(p.substr(18, 6), bytes({1, 0, 0, 0, 0, 0}));
    EXPECT_EQ(describe(readPacket(p)), describe(wide));
}

TEST(PacketRead, AcceptsWhatTheFormatAllowsBeyondTheWriter)
{
    // Version 2.2, no metadata-size flag, header size 28 (four spare bytes), a
    // string with a 2-byte length prefix, WIDTH as a 4-byte integer, an unknown
    // field property and packet property, no LCID, memo SUBTYPE without NUL and
    // before WIDTH missing.
    Bytes b;
    b.u32(0xBDE01996u).u16(2).u16(2).u32(28).u16(3).u32(1).u32(1).u16(0).u32(0xDEADBEEF);
    b.name("Long").u32(0x00490002).u16(0).u16(2).name("ORIGIN").u32(0x00490001).name("x");
    b.name("WIDTH").u32(0x00010004).u32(300);
    b.stringField("Short", 2);
    b.name("Memo").u32(0x004B0004).u16(0).u16(1).name("SUBTYPE").u32(0x00490002).u16(4).raw("Text");
    b.u16(1).name("OTHER").u32(0x00020004).u32(7);
    b.u8(0).u8(0).u16(300).raw(std::string(300, 'L')).u8(2).raw("ab").u32(3).raw(std::string("n\0t", 3));
    EXPECT_EQ(describe(readPacket(b.s)), std::string("LCID 0\nLong string 300\nShort string 2\nMemo memo 1\n=")
                                             .append(300, 'L')
                                             .append("\n=ab\n=n\0t", 9));
}

// --- Damaged packets ----------------------------------------------------------------

namespace {

// Three catalogue records: 536 bytes of metadata, then records at 536, 792 and 1,159.
const std::string& goodPacket()
{
    static const std::string good = [] {
        Values third = abay();
        third[0] = "40001";
        third[5] = note(300);
        return writePacket(catalogueTable({abay(), hostal(), third}));
    }();
    return good;
}

// A copy of the good packet with bytes replaced from `at` on.
std::string with(std::size_t at, std::string_view replacement)
{
    return std::string(goodPacket()).replace(at, replacement.size(), replacement);
}
std::string with(std::size_t at, int value) { return with(at, std::string(1, static_cast<char>(value))); }

} // namespace

TEST(DamagedPacket, EachKindOfDamageHasItsMessage)
{
    // IDENT's type descriptor is at 30-33, its WIDTH descriptor at 44-47, LCID's
    // at 528; the first note's length at 565.
    const std::string& good = goodPacket();
    ASSERT_EQ(failure(good), "");
    struct Case {
        std::string packet;
        std::string message; // the whole message or part of it; "" means read
    };
    const std::vector<Case> cases = {
        {with(0, 0x97), "Mismatch in datapacket."}, {with(6, 3), "Mismatch in datapacket."}, {with(4, 2), ""},
        {with(22, 0x19), "no coincide con el comienzo de los registros (byte 536)"},
        {good.substr(0, 10), "Paquete de datos truncado en el byte 0: la cabecera necesita 24 bytes y solo quedan 10."},
        {good.substr(0, 600), "Paquete de datos truncado en el byte 569: el valor del campo COMENTARIO en el registro "
                              "nº 1 necesita 189 bytes y solo quedan 31."},
        {with(14, "\xFF\xFF\xFF\xFF"), "truncado en el byte " + std::to_string(good.size()) + ": el registro nº 4 "},
        {good + '\0', "Paquete de datos no válido en el byte " + std::to_string(good.size())
                          + ": sobra 1 byte después del último registro."},
        {with(536 + 6, 6), "Paquete de datos no válido en el byte 542: el valor del campo IDENT en el registro nº 1 "
                           "mide 6 bytes y su anchura es 5."},
        {with(32, 0x4A), "Paquete de datos no válido en el byte 30: el descriptor de tipo del campo IDENT "
                         "(0x004A0001) usa el código de tipo 10, que no se admite."},
        {with(537, 0x02), "Paquete de datos no válido en el byte 537: el registro nº 1 marca el campo IDENT con el "
                          "indicador de nulo 2, que no se admite."},
        {with(541, 0x10), "campos que no existen"}, // flags beyond the 18th field
        {with(792, 1), "no válido en el byte 792: el registro nº 2 tiene el estado 1, que no se admite."},
    };
    for (const auto& c : cases) {
        const std::string message = failure(c.packet);
        if (c.message.empty())
            EXPECT_EQ(message, "");
        else
            EXPECT_NE(message.find(c.message), std::string::npos) << "expected: " << c.message << "\ngot: " << message;
    }
    // Every truncation of the good packet.
    for (std::size_t n = 0; n < good.size(); ++n) {
        const std::string message = failure(std::string_view(good).substr(0, n));
        ASSERT_NE(message.find("truncado en el byte "), std::string::npos) << "cut at " << n << ": " << message;
    }
}

TEST(PacketMalformed, FieldListAndPacketProperties)
{
    // Two fields with these descriptors, then LCID.
    const auto two = [](const Bytes& fields) { return Bytes().header(2, 0).raw(fields.s).lcid(1034).s; };
    const auto oneField = [] { return Bytes().header(1, 0).stringField("A", 1); };
    const Bytes b = Bytes().stringField("B", 5);
    const std::pair<std::string, std::string> cases[] = {
        {Bytes().header(0, 0).lcid(1034).s,
         "Paquete de datos no válido en el byte 12: el paquete no declara ningún campo."},
        {two(Bytes().stringField("IDENT", 5).stringField("Ident", 5)),
         "Paquete de datos no válido en el byte 50: el nombre de campo Ident está repetido."},
        {two(Bytes().stringField("A", 256).raw(b.s)), "WIDTH 256"},
        {two(Bytes().name("A").u32(0x00490001).u16(0).u16(0).raw(b.s)), "sin la propiedad WIDTH"},
        {two(Bytes().name("A").u32(0x00490001).u16(0).u16(2).name("WIDTH").u32(0x00020002).u16(5).name("WIDTH")
                 .u32(0x00020002).u16(6).raw(b.s)),
         "dos propiedades WIDTH"},
        // A field count above the descriptors present; a header size below 24 or beyond the end.
        {Bytes().header(3, 0).stringField("A", 1).stringField("B", 1).s, "truncado"},
        {Bytes().header(0xFFFF, 0xFFFFFFFF).stringField("A", 1).s, "truncado en el byte 46: el nombre del campo nº 2"},
        {Bytes().header(1, 0, 20).stringField("A", 1).lcid(0).s, "es menor que 24"},
        {Bytes().header(1, 0, 5000).stringField("A", 1).lcid(0).s, "truncado en el byte 24"},
        {oneField().lcid(0xFFFFFFFF).s, "valor no válido (-1)"},
    };
    for (const auto& [packet, expected] : cases)
        EXPECT_NE(failure(packet).find(expected), std::string::npos)
            << "expected: " << expected << "\ngot: " << failure(packet);
}

TEST(PacketWrite, RefusesWhatItCannotWrite)
{
    Table wide({{"A", FieldKind::String, 3}}, 0);
    wide.addRecord({std::string("abcd")});
    try {
        writePacket(wide);
        ADD_FAILURE() << "written";
    } catch (const PacketError& e) {
        EXPECT_STREQ(e.what(), "No se puede escribir el paquete de datos: el valor del campo A en el registro "
                               "nº 1 mide 4 bytes y su anchura es 3.");
    }
    for (const Table& t : {Table({}, 0), Table({{"A", FieldKind::String, 256}}, 0),
                           Table({{"A", FieldKind::String, 1}, {"a", FieldKind::String, 1}}, 0),
                           Table({{"A", FieldKind::String, 1}}, -1)})
        EXPECT_THROW(writePacket(t), PacketError);
}
