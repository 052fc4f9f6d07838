#include "store.h"

#include <algorithm>
#include <numeric>

#include "cp1252.h"
#include "packed_texts.h"
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
    PackedTexts names;
    std::vector<unsigned char> nulls; // 1 where the value is null

    // The values' natural forms (naturalName) in the same way, worked out
    // the first time a search asks for them.
    bool hasNaturals = false;
    PackedTexts naturals;
    // Those natural forms with "ñ" and "ü" as "n" and "u", and the values of
    // one more field, for the search as people type it, worked out the first
    // time it asks for them.
    bool hasPlains = false;
    PackedTexts plains;
    int codeField = -1;
    PackedTexts codes; // a null code as an empty text

    void makeNaturals();
    void makePlains();
    void makeCodes(const Table& table, std::size_t ofField);
};

void Store::Partition::makeNaturals()
{
    if (hasNaturals)
        return;
    std::string bytes;
    std::vector<std::uint32_t> ends;
    bytes.reserve(names.bytes().size());
    ends.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        appendNaturalName(names.text(i), bytes);
        ends.push_back(static_cast<std::uint32_t>(bytes.size()));
    }
    naturals = PackedTexts(std::move(bytes), std::move(ends));
    hasNaturals = true;
}

// Plain forms keep the length of the natural ones: the same ends serve.
void Store::Partition::makePlains()
{
    if (hasPlains)
        return;
    makeNaturals();
    std::string bytes;
    bytes.reserve(naturals.bytes().size());
    appendPlainName(naturals.bytes(), bytes);
    const std::span<const std::uint32_t> ends = naturals.ends();
    plains = PackedTexts(std::move(bytes), std::vector<std::uint32_t>(ends.begin(), ends.end()));
    hasPlains = true;
}

void Store::Partition::makeCodes(const Table& table, std::size_t ofField)
{
    if (codeField == static_cast<int>(ofField))
        return;
    codeField = static_cast<int>(ofField);
    std::string bytes;
    std::vector<std::uint32_t> ends;
    ends.reserve(records.size());
    for (std::uint32_t r : records) {
        bytes += table.text(r, ofField);
        ends.push_back(static_cast<std::uint32_t>(bytes.size()));
    }
    codes = PackedTexts(std::move(bytes), std::move(ends));
}

namespace {

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
    std::string names;
    std::vector<std::uint32_t> ends;
    ends.reserve(p->records.size());
    p->nulls.reserve(p->records.size());
    for (std::uint32_t r : p->records) {
        const bool null = table_.isNull(r, shape.likeField);
        const std::string_view value = table_.text(r, shape.likeField);
        p->nulls.push_back(null ? 1 : 0);
        if (shape.upper)
            for (char c : value)
                names += static_cast<char>(cp1252::upper(static_cast<unsigned char>(c)));
        else
            names += value;
        ends.push_back(static_cast<std::uint32_t>(names.size()));
    }
    p->names = PackedTexts(std::move(names), std::move(ends));
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
        p->names.findContaining(shape.literal, places);
        if (natural) {
            p->makeNaturals();
            // Both lists are in partition order: merged, each place once.
            const std::size_t byName = places.size();
            p->naturals.findContaining(shape.naturalLiteral, places);
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
                p->codes.findStartingWith(term.literal, places);
            } else if (term.literal.empty()) {
                for (std::size_t i = 0; i < p->records.size(); ++i)
                    if (!p->nulls[i])
                        places.push_back(static_cast<std::uint32_t>(i));
            } else if (term.form == Filter::Term::Form::Name) {
                p->names.findContaining(term.literal, places);
            } else if (term.form == Filter::Term::Form::Natural) {
                p->makeNaturals();
                p->naturals.findContaining(term.literal, places);
            } else {
                p->makePlains();
                p->plains.findContaining(term.literal, places);
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
