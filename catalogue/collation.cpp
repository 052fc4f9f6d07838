#include "collation.h"

#include <unicode/ucol.h>

#include <cstring>
#include <stdexcept>

#include "cp1252.h"

namespace catalogue {
namespace {

// Locale of a Windows locale identifier. Only the Spanish sorts matter to
// the catalogue; anything else compares by the root collation.
const char* localeOf(std::int32_t lcid)
{
    switch (lcid) {
    case kSpanishTraditional: return "es@collation=traditional";
    case 3082: return "es"; // Spanish, modern sort
    default: return "";
    }
}

// A cp1252 text as UTF-16, on the stack for the short texts of the catalogue.
// With `dropHyphens` the "-" characters are left out.
class Utf16 {
public:
    Utf16(std::string_view text, bool dropHyphens)
    {
        UChar* out = text.size() <= kInline ? inline_ : (heap_.resize(text.size()), heap_.data());
        data_ = out;
        for (char c : text) {
            if (dropHyphens && c == '-')
                continue;
            out[size_++] = static_cast<UChar>(cp1252::toUnicode(static_cast<unsigned char>(c)));
        }
    }
    Utf16(const Utf16&) = delete;
    Utf16& operator=(const Utf16&) = delete;

    const UChar* data() const { return data_; }
    std::int32_t size() const { return size_; }

private:
    static constexpr std::size_t kInline = 128;
    UChar inline_[kInline];
    std::vector<UChar> heap_;
    const UChar* data_ = nullptr;
    std::int32_t size_ = 0;
};

bool hasHyphen(std::string_view text)
{
    return text.find('-') != std::string_view::npos;
}

} // namespace

struct Collation::Impl {
    const char* locale;
    // Opened at the first comparison: a catalogue that is only filtered by
    // numbers never loads ICU's collation data, which weighs more in memory
    // than the whole catalogue, and the window's first frame needs none.
    mutable UCollator* collator = nullptr;

    explicit Impl(const char* name) : locale(name) {}
    ~Impl()
    {
        if (collator)
            ucol_close(collator);
    }

    UCollator* open() const
    {
        if (collator)
            return collator;
        UErrorCode status = U_ZERO_ERROR;
        collator = ucol_open(locale, &status);
        if (U_FAILURE(status) || !collator) {
            status = U_ZERO_ERROR;
            collator = ucol_open("", &status);
        }
        if (U_FAILURE(status) || !collator) {
            collator = nullptr;
            throw std::runtime_error("no collation available");
        }
        return collator;
    }

    int strcoll(std::string_view a, std::string_view b, bool dropHyphens) const
    {
        const Utf16 ua(a, dropHyphens);
        const Utf16 ub(b, dropHyphens);
        switch (ucol_strcoll(open(), ua.data(), ua.size(), ub.data(), ub.size())) {
        case UCOL_LESS: return -1;
        case UCOL_GREATER: return 1;
        default: return 0;
        }
    }

    // Appends the ICU sort key of the text (ending in its one 0x00 byte).
    void appendKey(std::string& out, std::string_view text, bool dropHyphens) const
    {
        const Utf16 u(text, dropHyphens);
        std::uint8_t buffer[512];
        const std::int32_t needed = ucol_getSortKey(open(), u.data(), u.size(), buffer, sizeof buffer);
        if (needed <= 0)
            throw std::runtime_error("sort key failed");
        if (static_cast<std::size_t>(needed) <= sizeof buffer) {
            out.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(needed));
            return;
        }
        const std::size_t start = out.size();
        out.resize(start + static_cast<std::size_t>(needed));
        ucol_getSortKey(collator, u.data(), u.size(), reinterpret_cast<std::uint8_t*>(out.data() + start), needed);
    }
};

Collation::Collation(std::int32_t lcid) : impl_(std::make_unique<Impl>(localeOf(lcid))) {}

Collation::~Collation() = default;

// A hyphen only decides between texts that are equal without their hyphens:
// the texts are compared without hyphens first, then as they stand.
int Collation::compare(std::string_view a, std::string_view b) const
{
    if (a == b)
        return 0;
    const int primary = impl_->strcoll(a, b, true);
    if (primary != 0 || (!hasHyphen(a) && !hasHyphen(b)))
        return primary;
    return impl_->strcoll(a, b, false);
}

// The key of the text without hyphens followed by the key of the whole text.
// Each part ends in the only 0x00 byte it holds, so memcmp on the pair orders
// by the first part and then by the second, as compare() does.
std::string Collation::sortKey(std::string_view a) const
{
    std::string key;
    appendSortKey(key, a);
    return key;
}

void Collation::appendSortKey(std::string& out, std::string_view a) const
{
    const std::size_t start = out.size();
    impl_->appendKey(out, a, true);
    if (hasHyphen(a)) {
        impl_->appendKey(out, a, false);
    } else {
        const std::size_t first = out.size() - start;
        out.resize(start + 2 * first);
        std::memcpy(out.data() + start + first, out.data() + start, first);
    }
}

namespace {

// The sort keys of one field of every record, back to back; a null value has
// the empty key, which orders before every other. The first eight bytes of
// each key, as a number, decide most comparisons without reading the keys.
class Keys {
public:
    Keys(const Table& table, std::size_t field, const Collation& collation)
        : offsets_(table.recordCount() + 1, 0), prefixes_(table.recordCount(), 0)
    {
        const std::size_t n = table.recordCount();
        bytes_.reserve(n * 48);
        for (std::size_t r = 0; r < n; ++r) {
            if (!table.isNull(r, field))
                collation.appendSortKey(bytes_, table.text(r, field));
            if (bytes_.size() > 0xFFFFFFFFu)
                throw std::length_error("sort keys too large");
            offsets_[r + 1] = static_cast<std::uint32_t>(bytes_.size());
            std::uint64_t prefix = 0;
            for (std::size_t i = 0; i < 8; ++i) {
                const std::size_t at = offsets_[r] + i;
                prefix = prefix << 8 | (at < offsets_[r + 1] ? static_cast<unsigned char>(bytes_[at]) : 0u);
            }
            prefixes_[r] = prefix;
        }
    }

    // A key shorter than eight bytes is read with zeros after it: a
    // difference there still orders as the whole keys do, since the shorter
    // key then begins the longer one.
    std::uint64_t prefix(std::uint32_t record) const { return prefixes_[record]; }

    // The order of two records whose prefixes are equal.
    int compareWhole(std::uint32_t a, std::uint32_t b) const
    {
        const std::size_t la = offsets_[a + 1] - offsets_[a];
        const std::size_t lb = offsets_[b + 1] - offsets_[b];
        const int c = std::memcmp(bytes_.data() + offsets_[a], bytes_.data() + offsets_[b], la < lb ? la : lb);
        if (c != 0)
            return c;
        return la < lb ? -1 : (la > lb ? 1 : 0);
    }

private:
    std::string bytes_;
    std::vector<std::uint32_t> offsets_;
    std::vector<std::uint64_t> prefixes_;
};

// The view's ordering procedure: a median-of-three quicksort that leaves
// parts of ten records or fewer alone, recursing into the smaller part, and
// one insertion pass over everything at the end. A is 1-based: A[1..n].
class OrderSort {
public:
    // A record with the prefix of its key beside it, so that most
    // comparisons read nothing else.
    struct Item {
        std::uint64_t prefix;
        std::uint32_t record;
    };

    OrderSort(std::vector<Item>& a, const Keys& keys) : a_(a), keys_(keys) {}

    void run(std::size_t n)
    {
        if (n > kSmall)
            sortRange(1, n);
        insertionPass(n);
    }

private:
    static constexpr std::size_t kSmall = 10;

    int compare(const Item& x, const Item& y) const
    {
        if (x.prefix != y.prefix)
            return x.prefix < y.prefix ? -1 : 1;
        return keys_.compareWhole(x.record, y.record);
    }
    int cmp(std::size_t i, std::size_t j) const { return compare(a_[i], a_[j]); }

    void sortRange(std::size_t lo, std::size_t hi)
    {
        for (;;) {
            const std::size_t mid = lo + (hi - lo) / 2;
            if (cmp(lo, hi) > 0)
                std::swap(a_[lo], a_[hi]);
            if (cmp(mid, lo) > 0) {
                std::swap(a_[lo], a_[mid]);
                if (cmp(lo, hi) > 0)
                    std::swap(a_[lo], a_[hi]);
            }
            const Item p = a_[lo];
            std::size_t i = lo;
            std::size_t j = hi + 1;
            for (;;) {
                // The median of three stops both scans inside the range.
                do
                    ++i;
                while (i <= hi && compare(a_[i], p) < 0);
                do
                    --j;
                while (j > lo && compare(p, a_[j]) < 0);
                if (i < j)
                    std::swap(a_[i], a_[j]);
                else
                    break;
            }
            std::swap(a_[lo], a_[j]);

            const std::size_t left = j - lo;  // lo .. j-1
            const std::size_t right = hi - j; // j+1 .. hi
            if (right >= left) {
                if (left > kSmall)
                    sortRange(lo, j - 1);
                else if (right <= kSmall)
                    return;
                lo = j + 1;
            } else {
                if (right > kSmall)
                    sortRange(j + 1, hi);
                else if (left <= kSmall)
                    return;
                hi = j - 1;
            }
        }
    }

    void insertionPass(std::size_t n)
    {
        for (std::size_t i = 2; i <= n; ++i) {
            if (cmp(i - 1, i) <= 0)
                continue;
            const Item x = a_[i];
            std::size_t j = i - 1;
            while (j >= 1 && compare(a_[j], x) > 0) {
                a_[j + 1] = a_[j];
                --j;
            }
            a_[j + 1] = x;
        }
    }

    std::vector<Item>& a_;
    const Keys& keys_;
};

} // namespace

std::vector<std::uint32_t> orderBy(const Table& table, std::size_t field, const Collation& collation)
{
    const std::size_t n = table.recordCount();
    if (field >= table.fieldCount())
        throw std::out_of_range("order field out of range");
    const Keys keys(table, field, collation);
    std::vector<OrderSort::Item> a(n + 1);
    for (std::uint32_t r = 0; r < n; ++r)
        a[r + 1] = {keys.prefix(r), r};
    OrderSort(a, keys).run(n);
    std::vector<std::uint32_t> order(n);
    for (std::size_t i = 0; i < n; ++i)
        order[i] = a[i + 1].record;
    return order;
}

} // namespace catalogue
