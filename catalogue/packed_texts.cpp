#include "packed_texts.h"

#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace catalogue {
namespace {

unsigned pairOf(char a, char b) { return static_cast<unsigned char>(a) << 8 | static_cast<unsigned char>(b); }

// A literal to find, with the two of its places whose bytes the text holds
// least often: a place of the text is compared whole only where both match.
struct Needle {
    std::string_view x;
    std::size_t rare = 0;
    std::size_t other = 0;

    Needle(std::string_view literal, const std::array<std::uint32_t, 256>& counts) : x(literal)
    {
        const auto count = [&](std::size_t i) { return counts[static_cast<unsigned char>(x[i])]; };
        for (std::size_t i = 1; i < x.size(); ++i)
            if (count(i) < count(rare))
                rare = i;
        other = rare == 0 ? x.size() - 1 : 0;
        for (std::size_t i = 0; i < x.size(); ++i)
            if (i != rare && count(i) < count(other))
                other = i;
    }
};

// Where the needle (not empty) next occurs in `text` at or after `from`;
// npos when nowhere. Sixteen places at a time are tested for its two rare
// bytes before the whole is compared.
std::size_t findFrom(std::string_view text, const Needle& needle, std::size_t from)
{
    const std::string_view x = needle.x;
    const std::size_t n = text.size();
    const std::size_t m = x.size();
    const char* s = text.data();
    std::size_t i = from;
    if (m > n)
        return std::string_view::npos;
#if defined(__SSE2__)
    const __m128i rare = _mm_set1_epi8(x[needle.rare]);
    const __m128i other = _mm_set1_epi8(x[needle.other]);
    for (; i + m - 1 + 16 <= n; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + needle.rare));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + needle.other));
        auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, rare), _mm_cmpeq_epi8(b, other))));
        while (mask != 0) {
            const auto bit = static_cast<std::size_t>(__builtin_ctz(mask));
            if (m <= 2 || std::memcmp(s + i + bit, x.data(), m) == 0)
                return i + bit;
            mask &= mask - 1;
        }
    }
#endif
    for (; i + m <= n; ++i)
        if (s[i + needle.rare] == x[needle.rare] && std::memcmp(s + i, x.data(), m) == 0)
            return i;
    return std::string_view::npos;
}

} // namespace

bool PackedTexts::ByteCounts::hasPair(unsigned char a, unsigned char b) const
{
    const unsigned pair = a << 8 | b;
    return (pairs[pair / 64] >> (pair % 64) & 1) != 0;
}

bool PackedTexts::ByteCounts::mayHold(std::string_view x) const
{
    for (std::size_t i = 1; i < x.size(); ++i)
        if (!hasPair(static_cast<unsigned char>(x[i - 1]), static_cast<unsigned char>(x[i])))
            return false;
    return x.size() != 1 || counts[static_cast<unsigned char>(x[0])] != 0;
}

PackedTexts::PackedTexts(std::string bytes, std::vector<std::uint32_t> ends)
    : bytes_(std::move(bytes)), ends_(std::move(ends))
{
    for (std::size_t i = 0; i < bytes_.size(); ++i) {
        ++counts_.counts[static_cast<unsigned char>(bytes_[i])];
        if (i > 0) {
            const unsigned pair = pairOf(bytes_[i - 1], bytes_[i]);
            counts_.pairs[pair / 64] |= std::uint64_t{1} << (pair % 64);
        }
    }
}

std::string_view PackedTexts::text(std::size_t i) const
{
    const std::uint32_t begin = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(bytes_).substr(begin, ends_[i] - begin);
}

// Every place where x occurs, in order: the text that holds it whole is
// taken, and the search goes on after that text.
void PackedTexts::findContaining(std::string_view x, std::vector<std::uint32_t>& out) const
{
    if (!counts_.mayHold(x))
        return;
    const Needle needle(x, counts_.counts);
    std::size_t i = 0;
    std::size_t at = 0;
    while ((at = findFrom(bytes_, needle, at)) != std::string_view::npos) {
        while (ends_[i] <= at)
            ++i;
        if (at + x.size() <= ends_[i]) {
            out.push_back(static_cast<std::uint32_t>(i));
            at = ends_[i];
        } else {
            ++at;
        }
    }
}

} // namespace catalogue
