#include "mapformat.h"

#include <cstring>

namespace geo {

namespace {

constexpr std::string_view kMagic = "POBMAPA1";

class Writer {
public:
    void bytes(std::string_view b) { out_.append(b); }
    void varint(std::uint32_t v)
    {
        while (v >= 0x80) {
            out_.push_back(static_cast<char>((v & 0x7F) | 0x80));
            v >>= 7;
        }
        out_.push_back(static_cast<char>(v));
    }
    void zigzag(std::int32_t v)
    {
        varint(v < 0 ? ((static_cast<std::uint32_t>(~v) << 1) | 1U) : (static_cast<std::uint32_t>(v) << 1));
    }
    void real(double d)
    {
        unsigned char b[8];
        std::memcpy(b, &d, 8); // the build targets are little-endian
        out_.append(reinterpret_cast<const char*>(b), 8);
    }
    std::string take() { return std::move(out_); }

private:
    std::string out_;
};

class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    std::size_t left() const { return bytes_.size() - pos_; }
    std::string_view bytes(std::size_t n)
    {
        if (n > left())
            throw MapFormatError("el mapa está incompleto");
        std::string_view b = bytes_.substr(pos_, n);
        pos_ += n;
        return b;
    }
    std::uint32_t varint()
    {
        std::uint32_t v = 0;
        for (int shift = 0; shift < 35; shift += 7) {
            if (left() == 0)
                throw MapFormatError("el mapa está incompleto");
            const auto b = static_cast<unsigned char>(bytes_[pos_++]);
            if (shift == 28 && (b & 0xF0) != 0)
                invalid("número demasiado grande");
            v |= static_cast<std::uint32_t>(b & 0x7F) << shift;
            if ((b & 0x80) == 0)
                return v;
        }
        invalid("número demasiado largo");
    }
    std::int32_t zigzag()
    {
        const std::uint32_t v = varint();
        return (v & 1U) != 0 ? ~static_cast<std::int32_t>(v >> 1) : static_cast<std::int32_t>(v >> 1);
    }
    // A count of items each taking at least `minBytes` bytes: one that the
    // bytes left cannot hold says the map ends before its end.
    std::size_t count(std::size_t minBytes)
    {
        const std::size_t n = varint();
        if (n > left() / minBytes)
            throw MapFormatError("el mapa está incompleto");
        return n;
    }
    double real()
    {
        const std::string_view b = bytes(8);
        double d;
        std::memcpy(&d, b.data(), 8);
        return d;
    }
    [[noreturn]] static void invalid(const std::string& what)
    {
        throw MapFormatError("el mapa tiene datos no válidos (" + what + ")");
    }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

bool finiteAndSane(double d)
{
    return d == d && d > -1e6 && d < 1e6;
}

} // namespace

std::string encodeMap(const MapSource& map)
{
    Writer w;
    w.bytes(kMagic);
    w.real(map.scale[0]);
    w.real(map.scale[1]);
    w.real(map.translate[0]);
    w.real(map.translate[1]);
    w.real(map.referenceLatitude);
    w.varint(static_cast<std::uint32_t>(map.comarcas.size()));
    for (const Comarca& c : map.comarcas) {
        w.varint(static_cast<std::uint32_t>(c.code));
        w.varint(static_cast<std::uint32_t>(c.name.size()));
        w.bytes(c.name);
    }
    w.varint(static_cast<std::uint32_t>(map.arcs.size()));
    for (const auto& arc : map.arcs) {
        w.varint(static_cast<std::uint32_t>(arc.size()));
        GridPoint last{0, 0};
        for (const GridPoint& p : arc) {
            w.zigzag(p[0] - last[0]);
            w.zigzag(p[1] - last[1]);
            last = p;
        }
    }
    w.varint(static_cast<std::uint32_t>(map.areas.size()));
    for (const StoredArea& a : map.areas) {
        w.bytes(a.code);
        w.bytes(std::string(1, static_cast<char>(a.kind)));
        w.varint(static_cast<std::uint32_t>(a.comarca + 1));
        w.varint(static_cast<std::uint32_t>(a.polygons.size()));
        for (const auto& polygon : a.polygons) {
            w.varint(static_cast<std::uint32_t>(polygon.size()));
            for (const auto& ring : polygon) {
                w.varint(static_cast<std::uint32_t>(ring.size()));
                for (std::int32_t ref : ring)
                    w.zigzag(ref);
            }
        }
    }
    return w.take();
}

MapSource decodeMap(std::string_view bytes)
{
    if (bytes.substr(0, kMagic.size()) != kMagic)
        throw MapFormatError("no es un mapa de Población");
    Reader r(bytes.substr(kMagic.size()));
    MapSource map;
    map.scale[0] = r.real();
    map.scale[1] = r.real();
    map.translate[0] = r.real();
    map.translate[1] = r.real();
    map.referenceLatitude = r.real();
    for (double d : {map.scale[0], map.scale[1], map.translate[0], map.translate[1], map.referenceLatitude})
        if (!finiteAndSane(d))
            Reader::invalid("transformación");
    if (!(map.scale[0] > 0 && map.scale[1] > 0 && map.referenceLatitude > -80 && map.referenceLatitude < 80))
        Reader::invalid("transformación");

    map.comarcas.resize(r.count(2));
    for (Comarca& c : map.comarcas) {
        c.code = static_cast<int>(r.varint());
        c.name = std::string(r.bytes(r.varint()));
    }

    map.arcs.resize(r.count(3));
    for (auto& arc : map.arcs) {
        const std::size_t points = r.count(2);
        if (points < 2)
            Reader::invalid("arco de menos de dos puntos");
        arc.resize(points);
        std::int64_t x = 0, y = 0;
        for (GridPoint& p : arc) {
            x += r.zigzag();
            y += r.zigzag();
            if (x < -kGridLimit || x > kGridLimit || y < -kGridLimit || y > kGridLimit)
                Reader::invalid("coordenada fuera de la rejilla");
            p = {static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)};
        }
    }

    map.areas.resize(r.count(9));
    for (StoredArea& a : map.areas) {
        a.code = std::string(r.bytes(5));
        for (char c : a.code)
            if (c < '0' || c > '9')
                Reader::invalid("código de un área");
        const auto kind = static_cast<unsigned char>(r.bytes(1)[0]);
        if (kind != 1 && kind != 2)
            Reader::invalid("tipo de un área");
        a.kind = static_cast<AreaKind>(kind);
        const std::uint32_t comarca = r.varint();
        if (comarca > map.comarcas.size())
            Reader::invalid("comarca de un área");
        a.comarca = static_cast<int>(comarca) - 1;
        a.polygons.resize(r.count(2));
        for (auto& polygon : a.polygons) {
            polygon.resize(r.count(2));
            if (polygon.empty())
                Reader::invalid("polígono sin anillos");
            for (auto& ring : polygon) {
                ring.resize(r.count(1));
                if (ring.empty())
                    Reader::invalid("anillo sin arcos");
                for (std::int32_t& ref : ring) {
                    ref = r.zigzag();
                    const std::int64_t index = ref < 0 ? ~static_cast<std::int64_t>(ref) : ref;
                    if (index >= static_cast<std::int64_t>(map.arcs.size()))
                        Reader::invalid("referencia a un arco");
                }
            }
        }
    }
    if (r.left() != 0)
        throw MapFormatError("el mapa tiene bytes de más");
    return map;
}

} // namespace geo
