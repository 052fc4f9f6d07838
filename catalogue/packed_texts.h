#pragma once
// Texts laid back to back in one string (the names of the units of one kind,
// in one form, in view order), and which of them contain a literal: the
// question the search asks of every form of the names.

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace catalogue {

class PackedTexts {
public:
    PackedTexts() = default;
    // Text i is bytes[ends[i - 1], ends[i]) (text 0 starts at 0); `ends` never
    // decreases and its last element, if any, is bytes.size().
    PackedTexts(std::string bytes, std::vector<std::uint32_t> ends);

    std::size_t size() const { return bounds_.size() - 1; }
    std::string_view text(std::size_t i) const
    {
        return std::string_view(bytes_).substr(bounds_[i], bounds_[i + 1] - bounds_[i]);
    }
    // All the texts back to back, and where each ends.
    const std::string& bytes() const { return bytes_; }
    std::span<const std::uint32_t> ends() const { return std::span(bounds_).subspan(1); }

    // The places i of the texts that contain `x` (not empty) whole, in
    // increasing order, appended to `out`. An occurrence across the end of
    // one text and the start of the next is none.
    //
    // The first literal of two bytes or more is searched for in the bytes
    // themselves; the second builds an index of the pairs of bytes that
    // stand side by side within a text (for each pair, where it stands), and
    // from then on a literal is compared only where the rarest of its pairs
    // stands. The index takes about two bytes for each byte of the texts.
    // Texts searched once are never indexed, nor are texts of which one is
    // longer than kLongestIndexed bytes; a literal of one byte is always
    // searched for in the bytes.
    void findContaining(std::string_view x, std::vector<std::uint32_t>& out);
    // The same for the texts that begin with `x` (not empty), through the
    // same index, built at the second search of either kind.
    void findStartingWith(std::string_view x, std::vector<std::uint32_t>& out);

    // The memory the index of pairs takes: 0 until it is built.
    std::size_t pairIndexBytes() const;

    static constexpr std::size_t kLongestIndexed = 256;

private:
    // How often each byte occurs, and which pairs of bytes occur side by side
    // (so that a literal holding a pair the texts lack is found nowhere
    // without a search).
    struct ByteCounts {
        std::array<std::uint32_t, 256> counts{};
        std::vector<std::uint64_t> pairs = std::vector<std::uint64_t>(65536 / 64, 0);

        bool hasPair(unsigned char a, unsigned char b) const;
        // False when some pair of `x` (or its byte, when one) is nowhere.
        bool mayHold(std::string_view x) const;
    };

    // For each pair of bytes side by side within a text, every place where
    // it stands (the text, and the place of the pair's first byte in it), in
    // increasing order, each in 16 bits: the text as its distance from the
    // previous place's (from 0 for the first) in the high byte, the place
    // in the text in the low one; a distance of kFar or more is written
    // kFar, and the text itself in the next 32 bits, low half first.
    struct PairIndex {
        static constexpr std::uint16_t kFar = 0xFF;
        std::vector<std::uint16_t> pairs;  // those that stand somewhere, ascending
        std::vector<std::uint32_t> begins; // pair k's places: places[begins[k], begins[k + 1])
        std::vector<std::uint16_t> places;
    };
    // Reads the places of one pair in order.
    struct PlaceReader {
        const std::uint16_t* at = nullptr;
        const std::uint16_t* end = nullptr;
        std::uint32_t text = 0;
        std::uint32_t offset = 0;

        bool next()
        {
            if (at == end)
                return false;
            const std::uint16_t place = *at++;
            if (place >> 8 == PairIndex::kFar) {
                text = at[0] | std::uint32_t{at[1]} << 16;
                at += 2;
            } else {
                text += place >> 8;
            }
            offset = place & 0xFF;
            return true;
        }
    };

    // The places of the rarest pair of `x` (two bytes or more), and where
    // that pair stands in x; none when some pair of x stands nowhere.
    struct Places {
        PlaceReader reader;
        std::size_t inLiteral = 0;
        // In 16-bit units: the work of reading them.
        std::size_t length() const { return static_cast<std::size_t>(reader.end - reader.at); }
    };
    Places rarestPair(std::string_view x) const;

    void scan(std::string_view x, std::vector<std::uint32_t>& out) const;
    // Whether the index of pairs is there to use for a literal of two bytes
    // or more, built now if this is the second such search.
    bool indexReady();
    // False, with nothing built, when the texts are not to be indexed.
    bool buildPairIndex();

    std::string bytes_;
    std::vector<std::uint32_t> bounds_ = {0}; // text i is bytes_[bounds_[i], bounds_[i + 1])
    ByteCounts counts_;
    bool searchedOnce_ = false;
    bool indexable_ = true;
    std::unique_ptr<PairIndex> pairIndex_;
};

} // namespace catalogue
