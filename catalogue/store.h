#pragma once
// One catalogue read from a packet and shared by every view loaded from it
// (View::load). The table never changes once read; what is worked out from it
// (orders, equality indexes, the records of one kind with their names in
// capitals, and those names as people write them) is worked out once, the
// first time a view needs it.
//
// A store belongs to one thread. Nothing in the program, its tests, its
// benchmarks or its fuzz targets shares a store across threads: what the
// store works out on demand is therefore built without a lock; a store
// shared across threads would need one.

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "collation.h"
#include "filter.h"
#include "table.h"

namespace catalogue {

class Store {
public:
    explicit Store(Table table);
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // The store of a packet, read from its bytes (PacketError when they are
    // no packet), which it copies or refers to as `kind` says.
    static std::shared_ptr<const Store> read(std::string_view packet, PacketBytes kind = PacketBytes::Copied);

    const Table& table() const { return table_; }
    const Collation& collation() const { return collation_; }

    // The records in stored order (field -1) or in the order of the field
    // (as orderBy puts them).
    const std::vector<std::uint32_t>& order(int field) const;

    // The records that pass a filter of a recognised shape, in the order of
    // `orderField` (-1: stored order), answered from the indexes. False, with
    // `rows` untouched, when the shape is not one the indexes answer.
    bool select(const Filter::Shape& shape, int orderField, std::vector<std::uint32_t>& rows) const;

private:
    struct Equality;
    struct Partition;

    const Equality* equality(std::size_t field) const;
    const std::vector<std::uint32_t>& rank(int field) const;
    bool equalRecords(std::size_t field, std::string_view text, std::vector<std::uint32_t>& out) const;
    void inOrder(const std::vector<std::uint32_t>& records, int orderField, std::vector<std::uint32_t>& out) const;
    std::shared_ptr<Partition> partition(const Filter::Shape& shape, int orderField) const;

    Table table_;
    Collation collation_;
    mutable std::vector<std::unique_ptr<std::vector<std::uint32_t>>> orders_; // field + 1
    mutable std::vector<std::unique_ptr<std::vector<std::uint32_t>>> ranks_;  // field + 1
    mutable std::vector<std::unique_ptr<Equality>> equalities_;              // field
    mutable std::vector<bool> equalityAsked_;                                // field
    mutable std::vector<std::shared_ptr<Partition>> partitions_;             // latest first
};

} // namespace catalogue
