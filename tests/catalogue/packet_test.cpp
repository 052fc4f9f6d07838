// The data packet reader and writer: exact bytes of what the writer produces,
// round trips, and a clean PacketError for every kind of damaged packet.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "error.h"
#include "packet.h"
#include "table.h"

using catalogue::FieldDef;
using catalogue::FieldKind;
using catalogue::PacketError;
using catalogue::readPacket;
using catalogue::Table;
using catalogue::writePacket;

namespace {

using Values = std::vector<std::optional<std::string>>;

std::vector<FieldDef> catalogueFields()
{
    std::vector<FieldDef> f = {
        {"IDENT", FieldKind::String, 5},       {"TIPONUM", FieldKind::String, 1},
        {"NOMBREBUSC", FieldKind::String, 46}, {"NOMBREDICC", FieldKind::String, 46},
        {"NOMBREMOST", FieldKind::String, 55}, {"COMENTARIO", FieldKind::Memo, 1},
    };
    for (const char* year : {"1900", "1910", "1920", "1930", "1940", "1950", "1960", "1970", "1981", "1991", "2001",
                             "2004"})
        f.push_back({year, FieldKind::String, 7});
    return f;
}

std::string note(std::size_t length, char fill = 'x')
{
    std::string text = "Municipio de la provincia";
    text.resize(length, fill);
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
    return {"31625",  "3",     "Hostal",     "El Ciervo", std::nullopt, note(120), "Hostal", "El Cier", std::nullopt,
            "Hostal", "El Cier", std::nullopt, "-",       "-",          "-",       "-",      "-",       "-"};
}

Table catalogueTable(const std::vector<Values>& records)
{
    Table t(catalogueFields(), catalogue::kSpanishTraditional);
    for (const auto& r : records)
        t.addRecord(r);
    return t;
}

std::string bytes(std::initializer_list<int> list)
{
    std::string out;
    for (int b : list)
        out += static_cast<char>(b);
    return out;
}

// Little-endian builder for hand-made packets.
struct Bytes {
    std::string s;
    Bytes& u8(std::uint32_t v)
    {
        s += static_cast<char>(v & 0xFF);
        return *this;
    }
    Bytes& u16(std::uint32_t v) { return u8(v).u8(v >> 8); }
    Bytes& u32(std::uint32_t v) { return u16(v).u16(v >> 16); }
    Bytes& name(std::string_view n)
    {
        u8(static_cast<std::uint32_t>(n.size()));
        s += n;
        return *this;
    }
    Bytes& raw(std::string_view r)
    {
        s += r;
        return *this;
    }
    Bytes& header(std::uint16_t fields, std::uint32_t records, std::uint32_t attributes = 1,
                  std::uint16_t metadata = 0)
    {
        return u32(0xBDE01996u).u16(1).u16(0).u32(24).u16(fields).u32(records).u32(attributes).u16(metadata);
    }
    Bytes& stringField(std::string_view n, std::uint16_t width)
    {
        return name(n).u32(0x00490001).u16(0).u16(1).name("WIDTH").u32(0x00020002).u16(width);
    }
    Bytes& lcid(std::uint32_t value) { return u16(1).name("LCID").u32(0x00010004).u32(value); }
};

void expectSameTable(const Table& a, const Table& b)
{
    ASSERT_EQ(a.fieldCount(), b.fieldCount());
    for (std::size_t f = 0; f < a.fieldCount(); ++f) {
        EXPECT_EQ(a.fields()[f].name, b.fields()[f].name);
        EXPECT_EQ(a.fields()[f].kind, b.fields()[f].kind);
        EXPECT_EQ(a.fields()[f].width, b.fields()[f].width);
    }
    EXPECT_EQ(a.lcid(), b.lcid());
    ASSERT_EQ(a.recordCount(), b.recordCount());
    for (std::size_t r = 0; r < a.recordCount(); ++r)
        for (std::size_t f = 0; f < a.fieldCount(); ++f) {
            EXPECT_EQ(a.isNull(r, f), b.isNull(r, f)) << "record " << r << " field " << f;
            EXPECT_EQ(a.text(r, f), b.text(r, f)) << "record " << r << " field " << f;
        }
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

TEST(PacketLayout, HeaderOfTheCatalogue)
{
    const std::string p = writePacket(catalogueTable({abay(), hostal()}));
    EXPECT_EQ(p.substr(0, 24), bytes({0x96, 0x19, 0xE0, 0xBD, 1, 0, 0, 0, 24, 0, 0, 0, 18, 0, 2, 0, 0, 0, 3, 0, 0,
                                      0, 0x18, 0x02}));
}

TEST(PacketLayout, FirstFieldDescriptor)
{
    const std::string p = writePacket(catalogueTable({}));
    const std::string expected = "\x05IDENT" + bytes({1, 0, 0x49, 0, 0, 0, 1, 0}) + "\x05WIDTH"
                                 + bytes({2, 0, 2, 0, 5, 0});
    EXPECT_EQ(p.substr(24, 26), expected);
}

TEST(PacketLayout, DescriptorsOccupyTheirByteRanges)
{
    const std::string p = writePacket(catalogueTable({}));
    // Each descriptor starts with its name length and name at these offsets.
    const std::vector<std::pair<std::size_t, std::string>> starts = {
        {24, "IDENT"},       {50, "TIPONUM"}, {78, "NOMBREBUSC"}, {109, "NOMBREDICC"}, {140, "NOMBREMOST"},
        {171, "COMENTARIO"}, {221, "1900"},   {246, "1910"},      {496, "2004"},
    };
    for (const auto& [at, name] : starts) {
        EXPECT_EQ(static_cast<std::size_t>(static_cast<unsigned char>(p[at])), name.size()) << name;
        EXPECT_EQ(p.substr(at + 1, name.size()), name);
    }
    // The note field: byte string with SUBTYPE "Text" and its NUL, then WIDTH 1.
    const std::string memo = "\x0A"
                             "COMENTARIO"
                             + bytes({4, 0, 0x4B, 0, 0, 0, 2, 0}) + "\x07SUBTYPE" + bytes({2, 0, 0x49, 0, 5, 0})
                             + std::string("Text\0", 5) + "\x05WIDTH" + bytes({2, 0, 2, 0, 1, 0});
    EXPECT_EQ(p.substr(171, 50), memo);
    EXPECT_EQ(p.substr(496, 25), "\x04"
                                 "2004"
                                     + bytes({1, 0, 0x49, 0, 0, 0, 1, 0}) + "\x05WIDTH" + bytes({2, 0, 2, 0, 7, 0}));
}

TEST(PacketLayout, PacketPropertiesAndMetadataSize)
{
    const std::string p = writePacket(catalogueTable({}));
    ASSERT_EQ(p.size(), 536u);
    EXPECT_EQ(p.substr(521, 15), bytes({1, 0, 4, 'L', 'C', 'I', 'D', 4, 0, 1, 0, 0x0A, 4, 0, 0}));
}

TEST(PacketLayout, FirstRecord)
{
    const std::string p = writePacket(catalogueTable({abay()}));
    ASSERT_EQ(p.size(), 536u + 256u);
    const std::string rec = p.substr(536);
    EXPECT_EQ(rec.substr(0, 6), bytes({0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(rec.substr(6, 23), "\x05"
                                 "20001\x01"
                                 "2\x04"
                                 "Abay\x04"
                                 "Abay\x04"
                                 "Abay");
    EXPECT_EQ(rec.substr(29, 4), bytes({0xBD, 0, 0, 0}));
    EXPECT_EQ(rec.substr(33 + 189, 8), "\x03"
                                       "488\x03"
                                       "462");
    EXPECT_EQ(rec.substr(242), "\x01-\x01-\x01-\x01-\x01-\x01-\x01-");
}

TEST(PacketLayout, RecordWithNulls)
{
    const std::string p = writePacket(catalogueTable({hostal()}));
    const std::string rec = p.substr(536);
    EXPECT_EQ(rec.substr(0, 6), bytes({0, 0x00, 0x01, 0x41, 0x00, 0x00}));
    // No bytes for the null NOMBREMOST: the note's length follows the dictionary name.
    EXPECT_EQ(rec.substr(6, 25), "\x05"
                                 "31625\x01"
                                 "3\x06"
                                 "Hostal\x09"
                                 "El Ciervo");
    EXPECT_EQ(rec.substr(31, 4), bytes({120, 0, 0, 0}));
}

TEST(PacketLayout, LargeMetadataClearsTheSizeFlag)
{
    // 300 fields with long names: the records start beyond 65,535.
    std::vector<FieldDef> fields;
    for (int i = 0; i < 300; ++i)
        fields.push_back({std::string(240, 'A') + std::to_string(1000 + i), FieldKind::String, 10});
    Table t(fields, 1034);
    Values v(300, std::string("v"));
    v[7] = std::nullopt;
    t.addRecord(v);
    const std::string p = writePacket(t);
    EXPECT_EQ(p.substr(18, 6), bytes({1, 0, 0, 0, 0, 0}));
    expectSameTable(readPacket(p), t);
}

// --- Reading ------------------------------------------------------------------------

TEST(PacketRead, CatalogueRecordsRoundTrip)
{
    Values longest = abay();
    longest[0] = "29999";
    longest[2] = std::string(46, 'b');
    longest[3] = std::string(45, 'd') + "\xF1";
    longest[4] = std::string(55, 'm');
    longest[5] = note(399);
    longest[6] = "638.799";
    Values shortest = abay();
    shortest[5] = note(61);
    const Table t = catalogueTable({abay(), hostal(), longest, shortest});
    const std::string p = writePacket(t);
    const Table back = readPacket(p);
    expectSameTable(back, t);

    EXPECT_EQ(back.lcid(), 1034);
    EXPECT_EQ(back.fields()[5].kind, FieldKind::Memo);
    EXPECT_EQ(back.fields()[5].width, 1);
    EXPECT_EQ(back.fields()[4].width, 55);
    // The record with nulls.
    EXPECT_TRUE(back.isNull(1, 4));
    EXPECT_TRUE(back.isNull(1, 8));
    EXPECT_TRUE(back.isNull(1, 11));
    EXPECT_FALSE(back.isNull(1, 3));
    EXPECT_EQ(back.text(1, 6), "Hostal");
    EXPECT_EQ(back.text(1, 7), "El Cier");
    // Values that fill their width are read whole; text stays cp1252.
    EXPECT_EQ(back.text(2, 2).size(), 46u);
    EXPECT_EQ(back.text(2, 3).back(), '\xF1');
    EXPECT_EQ(back.text(2, 4).size(), 55u);
    EXPECT_EQ(back.text(2, 5).size(), 399u);
    EXPECT_EQ(back.text(3, 5).size(), 61u);
}

TEST(PacketRead, EmptyValuesNullsAndLongNotes)
{
    std::vector<FieldDef> fields = {{"A", FieldKind::String, 255}, {"N", FieldKind::Memo, 1},
                                    {"B", FieldKind::String, 1}};
    Table t(fields, 0);
    t.addRecord({std::string(), std::string(), std::nullopt});
    t.addRecord({std::string(255, '\xFF'), std::string(70000, '\0'), std::string("\x80")});
    t.addRecord({std::nullopt, std::nullopt, std::nullopt});
    const Table back = readPacket(writePacket(t));
    expectSameTable(back, t);
    EXPECT_FALSE(back.isNull(0, 0));
    EXPECT_EQ(back.text(0, 0), "");
    EXPECT_EQ(back.lcid(), 0);
}

TEST(PacketRead, NoRecords)
{
    const Table back = readPacket(writePacket(catalogueTable({})));
    EXPECT_EQ(back.fieldCount(), 18u);
    EXPECT_EQ(back.recordCount(), 0u);
}

TEST(PacketRead, AcceptsWhatTheFormatAllowsBeyondTheWriter)
{
    // Version 2.2, no metadata-size flag, header size 28 (four spare bytes), a
    // string with a 2-byte length prefix, WIDTH as a 4-byte integer, an unknown
    // field property and packet property, no LCID, memo SUBTYPE without NUL and
    // before WIDTH missing.
    Bytes b;
    b.u32(0xBDE01996u).u16(2).u16(2).u32(28).u16(3).u32(1).u32(1).u16(0).u32(0xDEADBEEF);
    b.name("Long").u32(0x00490002).u16(0).u16(2).name("ORIGIN").u32(0x00490001).name("x").name("WIDTH").u32(
        0x00010004).u32(300);
    b.stringField("Short", 2);
    b.name("Memo").u32(0x004B0004).u16(0).u16(1).name("SUBTYPE").u32(0x00490002).u16(4).raw("Text");
    b.u16(1).name("OTHER").u32(0x00020004).u32(7);
    b.u8(0).u8(0).u16(300).raw(std::string(300, 'L')).u8(2).raw("ab").u32(3).raw(std::string("n\0t", 3));
    const Table t = readPacket(b.s);
    ASSERT_EQ(t.fieldCount(), 3u);
    EXPECT_EQ(t.fields()[0].width, 300);
    EXPECT_EQ(t.fields()[2].kind, FieldKind::Memo);
    EXPECT_EQ(t.fields()[2].width, 1);
    EXPECT_EQ(t.lcid(), 0);
    ASSERT_EQ(t.recordCount(), 1u);
    EXPECT_EQ(t.text(0, 0), std::string(300, 'L'));
    EXPECT_EQ(t.text(0, 1), "ab");
    EXPECT_EQ(t.text(0, 2), std::string("n\0t", 3));
}

TEST(PacketRead, IsFastOnACatalogueOfFullSize)
{
    // 5,026 units with notes of 61 to 399 bytes: about 1.2 MB, like the catalogue shipped.
    std::vector<Values> records;
    for (int i = 0; i < 5026; ++i) {
        Values v = abay();
        v[0] = std::to_string(20001 + i);
        v[2] = v[3] = v[4] = "Nombre de la unidad " + std::to_string(i);
        v[5] = note(61 + static_cast<std::size_t>(i * 97) % 339);
        records.push_back(v);
    }
    const std::string p = writePacket(catalogueTable(records));
    EXPECT_GT(p.size(), 1'100'000u);
    double best = 1e9;
    for (int run = 0; run < 10; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const Table t = readPacket(p);
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        ASSERT_EQ(t.recordCount(), 5026u);
        best = std::min(best, took.count());
    }
    RecordProperty("read_ms", std::to_string(best));
    std::printf("reading %zu bytes, 5026 records: %.3f ms (best of 10)\n", p.size(), best);
#if defined(__SANITIZE_ADDRESS__)
    EXPECT_LT(best, 100.0);
#else
    EXPECT_LT(best, 5.0);
#endif
}

// --- Damaged packets ----------------------------------------------------------------

class DamagedPacket : public ::testing::Test {
protected:
    void SetUp() override
    {
        Values third = abay();
        third[0] = "40001";
        third[5] = note(300);
        good = writePacket(catalogueTable({abay(), hostal(), third}));
        ASSERT_EQ(failure(good), "");
    }
    // A copy of the good packet with one byte changed.
    std::string with(std::size_t at, int value) const
    {
        std::string p = good;
        p[at] = static_cast<char>(value);
        return p;
    }
    std::string good;
    static constexpr std::size_t kFirstRecord = 536;
    static constexpr std::size_t kSecondRecord = 536 + 256;
};

TEST_F(DamagedPacket, WrongMagicOrVersionIsAMismatch)
{
    EXPECT_EQ(failure(with(0, 0x97)), "Mismatch in datapacket.");
    EXPECT_EQ(failure(with(3, 0x00)), "Mismatch in datapacket.");
    EXPECT_EQ(failure(with(4, 3)), "Mismatch in datapacket.");
    EXPECT_EQ(failure(with(6, 3)), "Mismatch in datapacket.");
    EXPECT_EQ(failure(with(5, 1)), "Mismatch in datapacket."); // major 257
    EXPECT_EQ(failure(with(4, 2)), "");
    EXPECT_EQ(failure(with(6, 2)), "");
    EXPECT_EQ(failure(std::string("\x96\x19\xE0\xBC", 4)), "Mismatch in datapacket.");
    EXPECT_EQ(failure("PK\x03\x04 this is not a packet at all, just some other file"), "Mismatch in datapacket.");
}

TEST_F(DamagedPacket, MissingMetadataFlag)
{
    EXPECT_EQ(failure(with(18, 2)), "Datapacket contains no meta data.");
    EXPECT_EQ(failure(with(18, 0)), "Datapacket contains no meta data.");
    // Without the size flag the packet is still read.
    EXPECT_EQ(failure(with(18, 1)), "");
}

TEST_F(DamagedPacket, EveryTruncationFailsCleanly)
{
    for (std::size_t n = 0; n < good.size(); ++n) {
        const std::string message = failure(std::string_view(good).substr(0, n));
        ASSERT_NE(message.find("truncado en el byte "), std::string::npos) << "cut at " << n << ": " << message;
    }
}

TEST_F(DamagedPacket, TruncationMessagesNameWhatAndWhere)
{
    EXPECT_EQ(failure(good.substr(0, 10)),
              "Paquete de datos truncado en el byte 0: la cabecera necesita 24 bytes y solo quedan 10.");
    EXPECT_EQ(failure(good.substr(0, 30)), "Paquete de datos truncado en el byte 30: el descriptor de tipo "
                                           "del campo IDENT necesita 4 bytes y solo quedan 0.");
    EXPECT_EQ(failure(good.substr(0, kSecondRecord + 3)),
              "Paquete de datos truncado en el byte 792: el registro nº 2 necesita 6 bytes y solo quedan 3.");
    // Cut inside the note of the first record (its length prefix is at 565).
    EXPECT_EQ(failure(good.substr(0, 600)), "Paquete de datos truncado en el byte 569: el valor del campo "
                                            "COMENTARIO en el registro nº 1 necesita 189 bytes y solo quedan 31.");
}

TEST_F(DamagedPacket, TrailingBytes)
{
    EXPECT_EQ(failure(good + '\0'),
              "Paquete de datos no válido en el byte " + std::to_string(good.size())
                  + ": sobra 1 byte después del último registro.");
    // A record count one short leaves the last record over.
    EXPECT_NE(failure(with(14, 2)).find("sobran 367 bytes"), std::string::npos);
}

TEST_F(DamagedPacket, HugeRecordCountWithFewBytes)
{
    std::string p = good;
    p[14] = p[15] = p[16] = p[17] = '\xFF';
    const auto start = std::chrono::steady_clock::now();
    EXPECT_NE(failure(p).find("truncado en el byte " + std::to_string(good.size()) + ": el registro nº 4 "),
              std::string::npos);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST_F(DamagedPacket, HugeLengthPrefix)
{
    std::string p = good;
    const std::size_t memoLength = kFirstRecord + 29;
    p[memoLength + 2] = p[memoLength + 3] = '\xFF';
    EXPECT_NE(failure(p).find("truncado en el byte 569: el valor del campo COMENTARIO en el registro nº 1 "
                              "necesita 4294901949 bytes"),
              std::string::npos)
        << failure(p);
}

TEST_F(DamagedPacket, StringLongerThanItsWidth)
{
    // IDENT length prefix 6 against WIDTH 5.
    EXPECT_EQ(failure(with(kFirstRecord + 6, 6)),
              "Paquete de datos no válido en el byte 542: el valor del campo IDENT en el registro nº 1 mide 6 bytes "
              "y su anchura es 5.");
}

TEST_F(DamagedPacket, UnknownTypeCodesAndArrays)
{
    // IDENT's descriptor is at 30-33; byte 32 holds bits 16-23 (0x49: varying, code 9).
    EXPECT_EQ(failure(with(32, 0x4A)), "Paquete de datos no válido en el byte 30: el descriptor de tipo del campo "
                                       "IDENT (0x004A0001) usa el código de tipo 10, que no se admite.");
    EXPECT_NE(failure(with(32, 0xC9)).find("matriz"), std::string::npos);
    EXPECT_NE(failure(with(33, 0x01)).find("bits reservados"), std::string::npos);
    EXPECT_NE(failure(with(32, 0x09)).find("longitud variable"), std::string::npos); // fixed-size string
    EXPECT_NE(failure(with(30, 0x03)).find("longitud variable"), std::string::npos); // 3-byte length prefix
    EXPECT_NE(failure(with(32, 0x01)).find("no puede contener texto"), std::string::npos); // a signed-integer field
    // WIDTH's own descriptor (at 44-47): code 63.
    EXPECT_NE(failure(with(46, 0x3F)).find("código de tipo 63"), std::string::npos);
    // LCID's descriptor (at 528): array flag.
    EXPECT_NE(failure(with(530, 0x81)).find("matriz"), std::string::npos);
}

TEST_F(DamagedPacket, NullFlagsTwoAndThree)
{
    EXPECT_EQ(failure(with(kFirstRecord + 1, 0x02)),
              "Paquete de datos no válido en el byte 537: el registro nº 1 marca el campo IDENT con el indicador de "
              "nulo 2, que no se admite.");
    EXPECT_NE(failure(with(kFirstRecord + 2, 0xC0)).find("el campo 1910 con el indicador de nulo 3"),
              std::string::npos);
    // Flags for the two slots beyond the 18th field.
    EXPECT_NE(failure(with(kFirstRecord + 5, 0x10)).find("campos que no existen"), std::string::npos);
}

TEST_F(DamagedPacket, RecordStatus)
{
    EXPECT_EQ(failure(with(kSecondRecord, 1)),
              "Paquete de datos no válido en el byte 792: el registro nº 2 tiene el estado 1, que no se admite.");
    EXPECT_NE(failure(with(kFirstRecord, 4)).find("estado 4"), std::string::npos);
}

TEST_F(DamagedPacket, FieldAttributesAndMetadataSize)
{
    EXPECT_NE(failure(with(34, 1)).find("atributos 0x00000001"), std::string::npos);
    EXPECT_NE(failure(with(22, 0x19)).find("no coincide con el comienzo de los registros (byte 536)"),
              std::string::npos);
    EXPECT_NE(failure(with(19, 1)).find("bits desconocidos"), std::string::npos);
}

TEST(PacketMalformed, FieldListProblems)
{
    const auto packet = [](auto&& fields) {
        Bytes b;
        b.header(2, 0);
        fields(b);
        b.lcid(1034);
        return b.s;
    };
    EXPECT_EQ(failure(Bytes().header(0, 0).lcid(1034).s),
              "Paquete de datos no válido en el byte 12: el paquete no declara ningún campo.");
    EXPECT_EQ(failure(packet([](Bytes& b) { b.stringField("IDENT", 5).stringField("Ident", 5); })),
              "Paquete de datos no válido en el byte 50: el nombre de campo Ident está repetido.");
    EXPECT_NE(failure(packet([](Bytes& b) { b.stringField("", 5).stringField("B", 5); })).find("no tiene nombre"),
              std::string::npos);
    EXPECT_NE(failure(packet([](Bytes& b) { b.stringField("A", 0).stringField("B", 5); })).find("WIDTH 0"),
              std::string::npos);
    EXPECT_NE(failure(packet([](Bytes& b) { b.stringField("A", 256).stringField("B", 5); })).find("WIDTH 256"),
              std::string::npos);
    EXPECT_NE(failure(packet([](Bytes& b) {
                  b.name("A").u32(0x00490001).u16(0).u16(0).stringField("B", 5);
              })).find("sin la propiedad WIDTH"),
              std::string::npos);
    EXPECT_NE(failure(packet([](Bytes& b) {
                  b.name("Blob").u32(0x004B0004).u16(0).u16(0).stringField("B", 5);
              })).find("no está marcada como texto"),
              std::string::npos);
    EXPECT_NE(failure(packet([](Bytes& b) {
                  b.name("Blob").u32(0x004B0004).u16(0).u16(1).name("SUBTYPE").u32(0x00490002).u16(7).raw("Graphic");
                  b.stringField("B", 5);
              })).find("no está marcada como texto"),
              std::string::npos);
    EXPECT_NE(failure(packet([](Bytes& b) {
                  b.name("A").u32(0x00490001).u16(0).u16(2).name("WIDTH").u32(0x00020002).u16(5);
                  b.name("WIDTH").u32(0x00020002).u16(6).stringField("B", 5);
              })).find("dos propiedades WIDTH"),
              std::string::npos);
    // A field count above the descriptors present.
    EXPECT_NE(failure(Bytes().header(3, 0).stringField("A", 1).stringField("B", 1).s).find("truncado"),
              std::string::npos);
    EXPECT_NE(failure(Bytes().header(0xFFFF, 0xFFFFFFFF).stringField("A", 1).s)
                  .find("truncado en el byte 46: el nombre del campo nº 2"),
        std::string::npos);
    // Header size below 24 or beyond the end.
    Bytes small;
    small.u32(0xBDE01996u).u16(1).u16(0).u32(20).u16(1).u32(0).u32(1).u16(0).stringField("A", 1).lcid(0);
    EXPECT_NE(failure(small.s).find("es menor que 24"), std::string::npos);
    Bytes far;
    far.u32(0xBDE01996u).u16(1).u16(0).u32(5000).u16(1).u32(0).u32(1).u16(0).stringField("A", 1).lcid(0);
    EXPECT_NE(failure(far.s).find("truncado en el byte 24"), std::string::npos);
}

TEST(PacketMalformed, PacketProperties)
{
    EXPECT_NE(failure(Bytes().header(1, 0).stringField("A", 1).u16(1).name("LCID").u32(0x00490001).name("es").s)
                  .find("LCID del paquete no es un entero"),
              std::string::npos);
    EXPECT_NE(failure(Bytes().header(1, 0).stringField("A", 1).u16(2).name("LCID").u32(0x00010004).u32(1034)
                          .name("LCID").u32(0x00010004).u32(1034).s)
                  .find("repetida"),
              std::string::npos);
    EXPECT_NE(failure(Bytes().header(1, 0).stringField("A", 1).u16(1).name("LCID").u32(0x00010004).u32(0xFFFFFFFF).s)
                  .find("valor no válido (-1)"),
              std::string::npos);
}

TEST(PacketWrite, RefusesWhatItCannotWrite)
{
    Table wide({{"A", FieldKind::String, 3}}, 0);
    wide.addRecord({std::string("abcd")});
    try {
        writePacket(wide);
        FAIL() << "no error";
    } catch (const PacketError& e) {
        EXPECT_STREQ(e.what(), "No se puede escribir el paquete de datos: el valor del campo A en el registro nº 1 "
                               "mide 4 bytes y su anchura es 3.");
    }
    EXPECT_THROW(writePacket(Table({}, 0)), PacketError);
    EXPECT_THROW(writePacket(Table({{"A", FieldKind::String, 0}}, 0)), PacketError);
    EXPECT_THROW(writePacket(Table({{"A", FieldKind::String, 256}}, 0)), PacketError);
    EXPECT_THROW(writePacket(Table({{"A", FieldKind::String, 1}, {"a", FieldKind::String, 1}}, 0)), PacketError);
    EXPECT_THROW(writePacket(Table({{std::string(256, 'N'), FieldKind::String, 1}}, 0)), PacketError);
    EXPECT_THROW(writePacket(Table({{"A", FieldKind::String, 1}}, -1)), PacketError);
}

TEST_F(DamagedPacket, RandomDamageIsReadOrRefusedNeverMisread)
{
    // Flip one to three bytes at random, many times: every result is either a
    // table or a PacketError, never another failure or a read out of bounds.
    std::uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    int refused = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string p = good;
        const int flips = 1 + static_cast<int>(next() % 3);
        for (int k = 0; k < flips; ++k)
            p[next() % p.size()] = static_cast<char>(next() & 0xFF);
        try {
            const Table t = readPacket(p);
            EXPECT_EQ(t.fieldCount(), 18u);
        } catch (const PacketError& e) {
            ++refused;
            EXPECT_GT(std::string(e.what()).size(), 10u);
        } catch (const std::exception& e) {
            ADD_FAILURE() << "round " << round << ": " << e.what();
        }
    }
    EXPECT_GT(refused, 1000);
}
