#include "packed_texts.h"

#include <algorithm>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace catalogue {
namespace {

constexpr std::uint32_t kNoText = 0xFFFFFFFFu;

unsigned pairOf(char a, char b) { return static_cast<unsigned char>(a) << 8 | static_cast<unsigned char>(b); }

// Whether n bytes are alike: the few bytes of a literal beside its pair,
// compared in line.
bool sameBytes(const char* a, const char* b, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

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

PackedTexts::PackedTexts(std::string bytes, std::vector<std::uint32_t> ends) : bytes_(std::move(bytes))
{
    bounds_.reserve(ends.size() + 1);
    bounds_.insert(bounds_.end(), ends.begin(), ends.end());
    for (std::size_t i = 0; i < bytes_.size(); ++i) {
        ++counts_.counts[static_cast<unsigned char>(bytes_[i])];
        if (i > 0) {
            const unsigned pair = pairOf(bytes_[i - 1], bytes_[i]);
            counts_.pairs[pair / 64] |= std::uint64_t{1} << (pair % 64);
        }
    }
}

bool PackedTexts::indexReady()
{
    return pairIndex_ || (std::exchange(searchedOnce_, true) && buildPairIndex());
}

PackedTexts::Places PackedTexts::rarestPair(std::string_view x) const
{
    const PairIndex& index = *pairIndex_;
    Places rarest;
    for (std::size_t i = 0; i + 1 < x.size(); ++i) {
        const auto pair = static_cast<std::uint16_t>(pairOf(x[i], x[i + 1]));
        const auto at = std::lower_bound(index.pairs.begin(), index.pairs.end(), pair);
        if (at == index.pairs.end() || *at != pair)
            return {};
        const auto k = static_cast<std::size_t>(at - index.pairs.begin());
        const Places places{{index.places.data() + index.begins[k], index.places.data() + index.begins[k + 1]}, i};
        if (i == 0 || places.length() < rarest.length())
            rarest = places;
    }
    return rarest;
}

void PackedTexts::findContaining(std::string_view x, std::vector<std::uint32_t>& out)
{
    if (x.size() < 2 || !indexReady()) {
        scan(x, out);
        return;
    }
    Places places = rarestPair(x);
    PlaceReader& place = places.reader;
    out.reserve(out.size() + places.length());
    // Each text once: the places of one text come together.
    std::uint32_t taken = kNoText;
    if (x.size() == 2) {
        while (place.next()) {
            if (place.text != taken) {
                taken = place.text;
                out.push_back(taken);
            }
        }
        return;
    }
    // The literal but its rarest pair, compared where that pair stands.
    const std::size_t before = places.inLiteral;
    const std::size_t after = x.size() - before - 2;
    const char* const xAfter = x.data() + before + 2;
    while (place.next()) {
        const std::uint32_t i = place.text;
        if (i == taken || place.offset < before)
            continue;
        const std::size_t at = bounds_[i] + place.offset;
        if (at + 2 + after > bounds_[i + 1])
            continue;
        const char* s = bytes_.data() + at;
        if (sameBytes(s - before, x.data(), before) && sameBytes(s + 2, xAfter, after)) {
            out.push_back(i);
            taken = i;
        }
    }
}

void PackedTexts::findStartingWith(std::string_view x, std::vector<std::uint32_t>& out)
{
    if (x.size() < 2 || !indexReady()) {
        for (std::uint32_t i = 0; i < size(); ++i)
            if (bounds_[i] + x.size() <= bounds_[i + 1] && bytes_[bounds_[i]] == x[0]
                && sameBytes(bytes_.data() + bounds_[i], x.data(), x.size()))
                out.push_back(i);
        return;
    }
    // The rarest pair where it stands as far into a text as into x.
    Places places = rarestPair(x);
    PlaceReader& place = places.reader;
    while (place.next()) {
        const std::uint32_t i = place.text;
        if (place.offset == places.inLiteral && bounds_[i] + x.size() <= bounds_[i + 1]
            && sameBytes(bytes_.data() + bounds_[i], x.data(), x.size()))
            out.push_back(i);
    }
}

std::size_t PackedTexts::pairIndexBytes() const
{
    if (!pairIndex_)
        return 0;
    return sizeof(PairIndex) + (pairIndex_->pairs.capacity() + pairIndex_->places.capacity()) * sizeof(std::uint16_t)
           + pairIndex_->begins.capacity() * sizeof(std::uint32_t);
}

// Every place where x occurs, in order: the text that holds it whole is
// taken, and the search goes on after that text.
void PackedTexts::scan(std::string_view x, std::vector<std::uint32_t>& out) const
{
    if (!counts_.mayHold(x))
        return;
    const Needle needle(x, counts_.counts);
    std::size_t i = 0;
    std::size_t at = 0;
    while ((at = findFrom(bytes_, needle, at)) != std::string_view::npos) {
        while (bounds_[i + 1] <= at)
            ++i;
        if (at + x.size() <= bounds_[i + 1]) {
            out.push_back(static_cast<std::uint32_t>(i));
            at = bounds_[i + 1];
        } else {
            ++at;
        }
    }
}

// Two passes over the texts: the first measures the list of each pair, the
// second writes the lists. A pair is counted in a table of the pairs of the
// bytes the texts hold (a few thousand for names), not of all 65,536.
bool PackedTexts::buildPairIndex()
{
    for (std::size_t i = 0; indexable_ && i < size(); ++i)
        indexable_ = text(i).size() <= kLongestIndexed;
    if (!indexable_)
        return false;
    std::array<std::uint32_t, 256> symbol{};
    std::uint32_t symbols = 0;
    for (unsigned byte = 0; byte < 256; ++byte)
        if (counts_.counts[byte] != 0)
            symbol[byte] = symbols++;
    const auto slotOf = [&symbol, symbols](char a, char b) {
        return symbol[static_cast<unsigned char>(a)] * symbols + symbol[static_cast<unsigned char>(b)];
    };
    std::vector<std::uint32_t> lastText(symbols * symbols);
    const auto eachPlace = [this, &lastText, &slotOf](auto&& take) {
        std::fill(lastText.begin(), lastText.end(), 0);
        const char* const bytes = bytes_.data();
        const std::uint32_t* const bounds = bounds_.data();
        std::uint32_t* const last = lastText.data();
        const std::uint32_t n = static_cast<std::uint32_t>(size());
        for (std::uint32_t i = 0; i < n; ++i) {
            const std::uint32_t begin = bounds[i];
            const std::uint32_t end = bounds[i + 1];
            for (std::uint32_t j = begin; j + 1 < end; ++j) {
                const std::uint32_t slot = slotOf(bytes[j], bytes[j + 1]);
                take(slot, i - last[slot], i, j - begin);
                last[slot] = i;
            }
        }
    };
    std::vector<std::uint32_t> next(symbols * symbols, 0);
    std::uint32_t* const lengths = next.data();
    eachPlace([lengths](std::uint32_t slot, std::uint32_t distance, std::uint32_t, std::uint32_t) {
        lengths[slot] += distance < PairIndex::kFar ? 1 : 3;
    });
    auto index = std::make_unique<PairIndex>();
    std::uint32_t total = 0;
    for (unsigned a = 0; a < 256; ++a) {
        if (counts_.counts[a] == 0)
            continue;
        for (unsigned b = 0; b < 256; ++b) {
            const std::uint32_t slot = symbol[a] * symbols + symbol[b];
            if (counts_.counts[b] == 0 || next[slot] == 0)
                continue;
            index->pairs.push_back(static_cast<std::uint16_t>(a << 8 | b));
            index->begins.push_back(total);
            const std::uint32_t length = next[slot];
            next[slot] = total;
            total += length;
        }
    }
    index->begins.push_back(total);
    index->places.resize(total);
    std::uint16_t* const places = index->places.data();
    eachPlace([lengths, places](std::uint32_t slot, std::uint32_t distance, std::uint32_t text, std::uint32_t offset) {
        std::uint16_t* at = places + lengths[slot];
        if (distance < PairIndex::kFar) {
            at[0] = static_cast<std::uint16_t>(distance << 8 | offset);
            lengths[slot] += 1;
        } else {
            at[0] = static_cast<std::uint16_t>(PairIndex::kFar << 8 | offset);
            at[1] = static_cast<std::uint16_t>(text & 0xFFFF);
            at[2] = static_cast<std::uint16_t>(text >> 16);
            lengths[slot] += 3;
        }
    });
    pairIndex_ = std::move(index);
    return true;
}

} // namespace catalogue
