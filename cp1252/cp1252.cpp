#include "cp1252.h"

#include <array>

namespace catalogue::cp1252 {
namespace {

// 0x80..0x9F; the five undefined bytes keep their C1 value.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

char32_t toUnicode(unsigned char byte)
{
    if (byte >= 0x80 && byte < 0xA0)
        return kHigh[byte - 0x80];
    return byte;
}

std::optional<unsigned char> fromUnicode(char32_t ch)
{
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
        return static_cast<unsigned char>(ch);
    for (unsigned i = 0; i < 32; ++i)
        if (kHigh[i] == ch)
            return static_cast<unsigned char>(0x80 + i);
    return std::nullopt;
}

std::string toUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char c : text)
        appendUtf8(out, toUnicode(static_cast<unsigned char>(c)));
    return out;
}

std::optional<std::string> fromUtf8(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        char32_t c;
        std::size_t extra;
        if (lead < 0x80) {
            c = lead;
            extra = 0;
        } else if (lead >= 0xC2 && lead < 0xE0) {
            c = lead & 0x1F;
            extra = 1;
        } else if (lead >= 0xE0 && lead < 0xF0) {
            c = lead & 0x0F;
            extra = 2;
        } else if (lead >= 0xF0 && lead < 0xF5) {
            c = lead & 0x07;
            extra = 3;
        } else {
            return std::nullopt;
        }
        if (utf8.size() - i <= extra)
            return std::nullopt;
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            c = (c << 6) | (next & 0x3F);
        }
        // Overlong forms and surrogates are malformed.
        if ((extra == 2 && (c < 0x800 || (c >= 0xD800 && c < 0xE000))) || (extra == 3 && (c < 0x10000 || c > 0x10FFFF)))
            return std::nullopt;
        const auto byte = fromUnicode(c);
        if (!byte)
            return std::nullopt;
        out += static_cast<char>(*byte);
        i += extra + 1;
    }
    return out;
}

namespace {

constexpr std::array<unsigned char, 256> upperTable()
{
    std::array<unsigned char, 256> table{};
    for (unsigned b = 0; b < 256; ++b) {
        unsigned u = b;
        if ((b >= 'a' && b <= 'z') || (b >= 0xE0 && b <= 0xFE && b != 0xF7))
            u = b - 0x20;
        else if (b == 0xFF)
            u = 0x9F; // ÿ → Ÿ
        else if (b == 0x9A || b == 0x9C || b == 0x9E)
            u = b - 0x10; // š → Š, œ → Œ, ž → Ž
        table[b] = static_cast<unsigned char>(u);
    }
    return table;
}

constexpr std::array<unsigned char, 256> kUpper = upperTable();

} // namespace

unsigned char upper(unsigned char byte)
{
    return kUpper[byte];
}

std::string upper(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(upper(static_cast<unsigned char>(c)));
    return out;
}

std::string withoutAcuteAccents(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        switch (static_cast<unsigned char>(c)) {
        case 0xE1: c = 'a'; break;
        case 0xE9: c = 'e'; break;
        case 0xED: c = 'i'; break;
        case 0xF3: c = 'o'; break;
        case 0xFA: c = 'u'; break;
        case 0xC1: c = 'A'; break;
        case 0xC9: c = 'E'; break;
        case 0xCD: c = 'I'; break;
        case 0xD3: c = 'O'; break;
        case 0xDA: c = 'U'; break;
        default: break;
        }
    }
    return out;
}

bool equalIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && kUpper[static_cast<unsigned char>(a[i])] != kUpper[static_cast<unsigned char>(b[i])])
            return false;
    return true;
}

} // namespace catalogue::cp1252
