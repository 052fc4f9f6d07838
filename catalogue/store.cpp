#include "store.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "cp1252.h"
#include "packet.h"
#include "search.h"

namespace catalogue {
namespace {

constexpr std::uint32_t kNone = 0xFFFFFFFFu;
// Partitions kept for reuse: one per kind and order the window searches in,
// with room to spare.
constexpr std::size_t kPartitionsKept = 16;

std::uint64_t hashOf(std::string_view text)
{
    std::uint64_t h = 1469598103934665603ull;
    for (char c : text)
        h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return h ^ (h >> 29);
}

// The hash of a plain text (see plainText); false for any other text.
bool plainHash(std::string_view text, std::uint64_t& hash)
{
    std::uint64_t h = 1469598103934665603ull;
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (!((c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z')))
            return false;
        h = (h ^ c) * 1099511628211ull;
    }
    hash = h ^ (h >> 29);
    return true;
}

// What a search for literals knows of the text it searches: how often each
// byte occurs, and which pairs of bytes occur side by side (so that a literal
// holding a pair the text lacks is found nowhere without a search).
struct ByteCounts {
    std::array<std::uint32_t, 256> counts{};
    std::vector<std::uint64_t> pairs = std::vector<std::uint64_t>(65536 / 64, 0);

    std::uint32_t operator[](unsigned char byte) const { return counts[byte]; }
    bool hasPair(unsigned char a, unsigned char b) const
    {
        const unsigned pair = a << 8 | b;
        return (pairs[pair / 64] >> (pair % 64) & 1) != 0;
    }
    // False when some pair of `x` is nowhere in the text.
    bool mayHold(std::string_view x) const
    {
        for (std::size_t i = 1; i < x.size(); ++i)
            if (!hasPair(static_cast<unsigned char>(x[i - 1]), static_cast<unsigned char>(x[i])))
                return false;
        return x.size() != 1 || counts[static_cast<unsigned char>(x[0])] != 0;
    }
};

ByteCounts countBytes(std::string_view text)
{
    ByteCounts counts;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        ++counts.counts[c];
        if (i > 0) {
            const unsigned pair = static_cast<unsigned char>(text[i - 1]) << 8 | c;
            counts.pairs[pair / 64] |= std::uint64_t{1} << (pair % 64);
        }
    }
    return counts;
}

// A literal to find, with the two of its places whose bytes the text holds
// least often: a place of the text is compared whole only where both match.
struct Needle {
    std::string_view x;
    std::size_t rare = 0;
    std::size_t other = 0;

    Needle(std::string_view literal, const ByteCounts& counts) : x(literal)
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

// The records of one field grouped by value. Plain values (see plainText)
// equal a plain constant only byte for byte, so they are found by hashing;
// the few other values are kept apart with their sort keys, which are equal
// exactly when the locale calls the texts equal.
struct Store::Equality {
    std::vector<std::uint32_t> slots;   // open addressing: group + 1, 0 when free
    std::vector<std::uint32_t> first;   // group: its first record
    std::vector<std::uint64_t> hashes;  // group: the hash of its value
    std::vector<std::uint32_t> begin;   // group: where its records start (one more at the end)
    std::vector<std::uint32_t> records; // group by group, stored order within one
    std::vector<std::uint32_t> others;  // records of values that are not plain, stored order
    std::vector<std::string> otherKeys;
};

// The records that pass "field = text", in one view order, with the values
// of the like field (in capitals when asked) back to back in the same order.
struct Store::Partition {
    std::size_t field;
    std::string text;
    int orderField;
    std::size_t likeField;
    bool upper;

    std::vector<std::uint32_t> records;
    std::string names;
    std::vector<std::uint32_t> ends;  // end of each record's value in names
    std::vector<unsigned char> nulls; // 1 where the value is null
    ByteCounts nameCounts;

    // The values' natural forms (naturalName) in the same way, worked out
    // the first time a search asks for them.
    bool hasNaturals = false;
    std::string naturals;
    std::vector<std::uint32_t> naturalEnds;
    ByteCounts naturalCounts;
    // Those natural forms with "ñ" and "ü" as "n" and "u", and the values of
    // one more field, for the search as people type it, worked out the first
    // time it asks for them.
    bool hasPlains = false;
    std::string plains;
    ByteCounts plainCounts;
    int codeField = -1;
    std::string codes;
    std::vector<std::uint32_t> codeEnds;
    std::vector<unsigned char> codeNulls;

    void makeNaturals();
    void makePlains();
    void makeCodes(const Table& table, std::size_t ofField);
};

void Store::Partition::makeNaturals()
{
    if (hasNaturals)
        return;
    naturals.reserve(names.size());
    naturalEnds.reserve(ends.size());
    std::size_t begin = 0;
    for (const std::uint32_t end : ends) {
        appendNaturalName(std::string_view(names).substr(begin, end - begin), naturals);
        naturalEnds.push_back(static_cast<std::uint32_t>(naturals.size()));
        begin = end;
    }
    naturalCounts = countBytes(naturals);
    hasNaturals = true;
}

// Plain forms keep the length of the natural ones: the same ends serve.
void Store::Partition::makePlains()
{
    if (hasPlains)
        return;
    makeNaturals();
    plains.reserve(naturals.size());
    appendPlainName(naturals, plains);
    plainCounts = countBytes(plains);
    hasPlains = true;
}

void Store::Partition::makeCodes(const Table& table, std::size_t ofField)
{
    if (codeField == static_cast<int>(ofField))
        return;
    codeField = static_cast<int>(ofField);
    codes.clear();
    codeEnds.clear();
    codeNulls.clear();
    for (std::uint32_t r : records) {
        codeNulls.push_back(table.isNull(r, ofField) ? 1 : 0);
        codes += table.text(r, ofField);
        codeEnds.push_back(static_cast<std::uint32_t>(codes.size()));
    }
}

namespace {

// The places i (in increasing order) of the values, laid back to back in
// `names` and ending at `ends`, that hold `x` (not empty), added to `out`.
// Every place where x occurs, in order: the value that holds it whole is
// taken, and the search goes on after that value.
void valuesContaining(std::string_view names, const ByteCounts& counts, const std::vector<std::uint32_t>& ends,
                      std::string_view x, std::vector<std::uint32_t>& out)
{
    if (!counts.mayHold(x))
        return;
    const Needle needle(x, counts);
    std::size_t i = 0;
    std::size_t at = 0;
    while ((at = findFrom(names, needle, at)) != std::string_view::npos) {
        while (ends[i] <= at)
            ++i;
        if (at + x.size() <= ends[i]) {
            out.push_back(static_cast<std::uint32_t>(i));
            at = ends[i];
        } else {
            ++at;
        }
    }
}

// Whether every value that passes term `a` passes term `b` as well: the same
// form with a literal that holds b's (begins with it, for a prefix), or a
// literal of the natural form, or of the name, that the plain natural form
// holds too. The natural form keeps the bytes of the name but for a closing
// article moved to the front and hyphens made spaces, so a literal of the name
// with no parenthesis or hyphen, and no space at its end (the one before the
// article), is in the natural form too; the plain form of a natural one keeps
// every byte but "ñ" and "ü".
bool passesToo(const Filter::Term& a, const Filter::Term& b)
{
    using Form = Filter::Term::Form;
    if (a.form == Form::Prefix || b.form == Form::Prefix)
        return a.form == b.form && a.field == b.field && a.literal.starts_with(b.literal);
    if (a.form == b.form)
        return a.literal.find(b.literal) != std::string::npos;
    const bool keptInNatural = a.form == Form::Natural
        || (a.form == Form::Name && a.literal.find_first_of("()-") == std::string::npos && !a.literal.ends_with(' '));
    if (keptInNatural && b.form == Form::PlainNatural) {
        std::string plain;
        appendPlainName(a.literal, plain);
        return plain.find(b.literal) != std::string::npos;
    }
    // A name holding a literal of the natural form that the natural form
    // keeps wherever the name holds it.
    if (a.form == Form::Name && b.form == Form::Natural)
        return b.literal.find_first_of("()-") == std::string::npos && !b.literal.ends_with(' ')
               && a.literal.find(b.literal) != std::string::npos;
    return false;
}

// The terms that need no search of their own, since every value they pass
// another term, searched, passes (of two that pass the same values, the
// later one).
std::vector<bool> impliedTerms(const std::vector<Filter::Term>& terms)
{
    std::vector<bool> implied(terms.size(), false);
    for (std::size_t a = 0; a < terms.size(); ++a)
        for (std::size_t b = 0; b < terms.size() && !implied[a]; ++b)
            if (b != a && !implied[b] && passesToo(terms[a], terms[b]))
                implied[a] = true;
    return implied;
}

} // namespace

Store::Store(Table table)
    : table_(std::move(table)), collation_(table_.lcid()), orders_(table_.fieldCount() + 1),
      ranks_(table_.fieldCount() + 1), equalities_(table_.fieldCount()),
      equalityAsked_(table_.fieldCount(), false)
{
}

Store::~Store() = default;

std::shared_ptr<const Store> Store::read(std::string_view packet, PacketBytes kind)
{
    return std::make_shared<const Store>(readPacket(packet, kind));
}

const std::vector<std::uint32_t>& Store::order(int field) const
{
    auto& slot = orders_.at(static_cast<std::size_t>(field + 1));
    if (!slot) {
        if (field < 0) {
            slot = std::make_unique<std::vector<std::uint32_t>>(table_.recordCount());
            std::iota(slot->begin(), slot->end(), 0u);
        } else {
            slot = std::make_unique<std::vector<std::uint32_t>>(
                orderBy(table_, static_cast<std::size_t>(field), collation_));
        }
    }
    return *slot;
}

const std::vector<std::uint32_t>& Store::rank(int field) const
{
    auto& slot = ranks_.at(static_cast<std::size_t>(field + 1));
    if (!slot) {
        const std::vector<std::uint32_t>& records = order(field);
        slot = std::make_unique<std::vector<std::uint32_t>>(records.size());
        for (std::size_t i = 0; i < records.size(); ++i)
            (*slot)[records[i]] = static_cast<std::uint32_t>(i);
    }
    return *slot;
}

// Built when a field is asked for the second time: one test of every record
// costs less than building the index, and many fields are asked only once.
const Store::Equality* Store::equality(std::size_t field) const
{
    auto& slot = equalities_.at(field);
    if (slot)
        return slot.get();
    if (!equalityAsked_.at(field)) {
        equalityAsked_[field] = true;
        return nullptr;
    }
    auto e = std::make_unique<Equality>();
    const std::size_t n = table_.recordCount();
    // At most half full, grown with the number of values rather than sized
    // for every record apart: a field of a few values keeps a small table.
    std::size_t mask = 15;
    e->slots.assign(mask + 1, 0);
    std::vector<std::uint32_t> groupOf(n, kNone);
    std::vector<std::uint32_t> counts;
    for (std::size_t r = 0; r < n; ++r) {
        if (table_.isNull(r, field))
            continue;
        const std::string_view text = table_.text(r, field);
        std::uint64_t hash = 0;
        if (!plainHash(text, hash)) {
            e->others.push_back(static_cast<std::uint32_t>(r));
            e->otherKeys.push_back(collation_.sortKey(text));
            continue;
        }
        std::size_t h = hash & mask;
        while (e->slots[h] != 0 && (e->hashes[e->slots[h] - 1] != hash || table_.text(e->first[e->slots[h] - 1], field) != text))
            h = (h + 1) & mask;
        if (e->slots[h] == 0) {
            e->slots[h] = static_cast<std::uint32_t>(e->first.size() + 1);
            e->first.push_back(static_cast<std::uint32_t>(r));
            e->hashes.push_back(hash);
            counts.push_back(0);
        }
        groupOf[r] = e->slots[h] - 1;
        if (2 * e->first.size() > mask + 1) {
            mask = 2 * mask + 1;
            e->slots.assign(mask + 1, 0);
            for (std::size_t g = 0; g < e->hashes.size(); ++g) {
                std::size_t free = e->hashes[g] & mask;
                while (e->slots[free] != 0)
                    free = (free + 1) & mask;
                e->slots[free] = static_cast<std::uint32_t>(g + 1);
            }
        }
        ++counts[groupOf[r]];
    }
    e->begin.assign(counts.size() + 1, 0);
    for (std::size_t g = 0; g < counts.size(); ++g)
        e->begin[g + 1] = e->begin[g] + counts[g];
    e->records.resize(e->begin.back());
    std::vector<std::uint32_t> next(e->begin.begin(), e->begin.end() - 1);
    for (std::size_t r = 0; r < n; ++r)
        if (groupOf[r] != kNone)
            e->records[next[groupOf[r]]++] = static_cast<std::uint32_t>(r);
    slot = std::move(e);
    return slot.get();
}

// The records whose value of `field` equals `text` as a filter compares them,
// in stored order. False when the text is not plain, or the field has no
// index yet (left to the evaluator).
bool Store::equalRecords(std::size_t field, std::string_view text, std::vector<std::uint32_t>& out) const
{
    if (!plainText(text))
        return false;
    const Equality* index = equality(field);
    if (!index)
        return false;
    const Equality& e = *index;
    out.clear();
    const std::uint64_t hash = hashOf(text);
    std::size_t h = hash & (e.slots.size() - 1);
    while (e.slots[h] != 0) {
        const std::uint32_t g = e.slots[h] - 1;
        if (e.hashes[g] == hash && table_.text(e.first[g], field) == text) {
            out.assign(e.records.begin() + e.begin[g], e.records.begin() + e.begin[g + 1]);
            break;
        }
        h = (h + 1) & (e.slots.size() - 1);
    }
    if (!e.others.empty()) {
        const std::string key = collation_.sortKey(text);
        const std::size_t plain = out.size();
        for (std::size_t i = 0; i < e.others.size(); ++i)
            if (e.otherKeys[i] == key)
                out.push_back(e.others[i]);
        std::inplace_merge(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(plain), out.end());
    }
    return true;
}

// Records in stored order put in the order of `orderField`.
void Store::inOrder(const std::vector<std::uint32_t>& records, int orderField, std::vector<std::uint32_t>& out) const
{
    out.clear();
    if (orderField < 0) {
        out = records;
        return;
    }
    const std::size_t n = table_.recordCount();
    if (records.size() * 8 < n) {
        const std::vector<std::uint32_t>& ranks = rank(orderField);
        out = records;
        std::sort(out.begin(), out.end(), [&ranks](std::uint32_t a, std::uint32_t b) { return ranks[a] < ranks[b]; });
        return;
    }
    std::vector<unsigned char> in(n, 0);
    for (std::uint32_t r : records)
        in[r] = 1;
    out.reserve(records.size());
    for (std::uint32_t r : order(orderField))
        if (in[r])
            out.push_back(r);
}

std::shared_ptr<Store::Partition> Store::partition(const Filter::Shape& shape, int orderField) const
{
    for (auto at = partitions_.begin(); at != partitions_.end(); ++at) {
        const Partition& p = **at;
        if (p.field == shape.field && p.text == shape.text && p.orderField == orderField
            && p.likeField == shape.likeField && p.upper == shape.upper) {
            std::rotate(partitions_.begin(), at, at + 1);
            return partitions_.front();
        }
    }
    std::vector<std::uint32_t> stored;
    if (!equalRecords(shape.field, shape.text, stored))
        return nullptr;
    auto p = std::make_shared<Partition>();
    p->field = shape.field;
    p->text = shape.text;
    p->orderField = orderField;
    p->likeField = shape.likeField;
    p->upper = shape.upper;
    inOrder(stored, orderField, p->records);
    p->ends.reserve(p->records.size());
    p->nulls.reserve(p->records.size());
    for (std::uint32_t r : p->records) {
        const bool null = table_.isNull(r, shape.likeField);
        const std::string_view value = table_.text(r, shape.likeField);
        p->nulls.push_back(null ? 1 : 0);
        if (shape.upper)
            for (char c : value)
                p->names += static_cast<char>(cp1252::upper(static_cast<unsigned char>(c)));
        else
            p->names += value;
        p->ends.push_back(static_cast<std::uint32_t>(p->names.size()));
    }
    p->nameCounts = countBytes(p->names);
    partitions_.insert(partitions_.begin(), std::move(p));
    if (partitions_.size() > kPartitionsKept)
        partitions_.pop_back();
    return partitions_.front();
}

bool Store::select(const Filter::Shape& shape, int orderField, std::vector<std::uint32_t>& rows) const
{
    switch (shape.kind) {
    case Filter::Shape::Kind::Equal: {
        std::vector<std::uint32_t> stored;
        if (!equalRecords(shape.field, shape.text, stored))
            return false;
        inOrder(stored, orderField, rows);
        return true;
    }
    case Filter::Shape::Kind::EqualAndContains:
    case Filter::Shape::Kind::EqualAndContainsOrNatural: {
        const std::shared_ptr<Partition> p = partition(shape, orderField);
        if (!p)
            return false;
        rows.clear();
        const bool natural = shape.kind == Filter::Shape::Kind::EqualAndContainsOrNatural;
        if (shape.literal.empty() || (natural && shape.naturalLiteral.empty())) {
            for (std::size_t i = 0; i < p->records.size(); ++i)
                if (!p->nulls[i])
                    rows.push_back(p->records[i]);
            return true;
        }
        std::vector<std::uint32_t> places;
        valuesContaining(p->names, p->nameCounts, p->ends, shape.literal, places);
        if (natural) {
            p->makeNaturals();
            // Both lists are in partition order: merged, each place once.
            const std::size_t byName = places.size();
            valuesContaining(p->naturals, p->naturalCounts, p->naturalEnds, shape.naturalLiteral, places);
            std::inplace_merge(places.begin(), places.begin() + static_cast<std::ptrdiff_t>(byName), places.end());
            places.erase(std::unique(places.begin(), places.end()), places.end());
        }
        rows.reserve(places.size());
        for (const std::uint32_t i : places)
            rows.push_back(p->records[i]);
        return true;
    }
    case Filter::Shape::Kind::EqualAndAny: {
        const std::shared_ptr<Partition> p = partition(shape, orderField);
        if (!p)
            return false;
        std::vector<std::uint32_t> places;
        const std::vector<bool> implied = impliedTerms(shape.terms);
        for (std::size_t t = 0; t < shape.terms.size(); ++t) {
            if (implied[t])
                continue;
            const Filter::Term& term = shape.terms[t];
            const std::size_t before = places.size();
            if (term.form == Filter::Term::Form::Prefix) {
                p->makeCodes(table_, term.field);
                std::size_t begin = 0;
                for (std::size_t i = 0; i < p->records.size(); ++i) {
                    const std::string_view code = std::string_view(p->codes).substr(begin, p->codeEnds[i] - begin);
                    if (!p->codeNulls[i] && code.starts_with(term.literal))
                        places.push_back(static_cast<std::uint32_t>(i));
                    begin = p->codeEnds[i];
                }
            } else if (term.literal.empty()) {
                for (std::size_t i = 0; i < p->records.size(); ++i)
                    if (!p->nulls[i])
                        places.push_back(static_cast<std::uint32_t>(i));
            } else if (term.form == Filter::Term::Form::Name) {
                valuesContaining(p->names, p->nameCounts, p->ends, term.literal, places);
            } else if (term.form == Filter::Term::Form::Natural) {
                p->makeNaturals();
                valuesContaining(p->naturals, p->naturalCounts, p->naturalEnds, term.literal, places);
            } else {
                p->makePlains();
                valuesContaining(p->plains, p->plainCounts, p->naturalEnds, term.literal, places);
            }
            std::inplace_merge(places.begin(), places.begin() + static_cast<std::ptrdiff_t>(before), places.end());
        }
        places.erase(std::unique(places.begin(), places.end()), places.end());
        rows.clear();
        rows.reserve(places.size());
        for (const std::uint32_t i : places)
            rows.push_back(p->records[i]);
        return true;
    }
    default: return false;
    }
}

} // namespace catalogue
