#pragma once
// The filter expression language of the views: compiled once, evaluated per record.

#include <memory>
#include <string_view>

#include "collation.h"
#include "table.h"

namespace catalogue {

class Filter {
public:
    Filter();
    ~Filter();
    Filter(Filter&&) noexcept;
    Filter& operator=(Filter&&) noexcept;

    // Compiles a cp1252 filter text against the fields of `table`. Throws
    // FilterError with the message of the system's table. `table` and
    // `collation` must outlive the filter.
    static Filter compile(std::string_view text, const Table& table, const Collation& collation);

    // Whether the record passes. A filter of an empty text (blanks and
    // comments only) passes every record. The compiled filter keeps scratch
    // space of its own: one thread at a time.
    bool matches(std::size_t record) const;

    struct Node;

private:
    std::unique_ptr<Node> root_;
    const Table* table_ = nullptr;
    const Collation* collation_ = nullptr;
};

} // namespace catalogue
