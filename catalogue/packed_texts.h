#pragma once
// Texts laid back to back in one string (the names of the units of one kind,
// in one form, in view order), and which of them contain a literal: the
// question the search asks of every form of the names.

#include <array>
#include <cstdint>
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

    std::size_t size() const { return ends_.size(); }
    std::string_view text(std::size_t i) const;
    // All the texts back to back.
    const std::string& bytes() const { return bytes_; }
    const std::vector<std::uint32_t>& ends() const { return ends_; }

    // The places i of the texts that contain `x` (not empty) whole, in
    // increasing order, appended to `out`. An occurrence across the end of
    // one text and the start of the next is none.
    void findContaining(std::string_view x, std::vector<std::uint32_t>& out) const;

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

    std::string bytes_;
    std::vector<std::uint32_t> ends_;
    ByteCounts counts_;
};

} // namespace catalogue
