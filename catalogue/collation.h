#pragma once
// Locale-aware text comparison of a table (ICU), and the order of a view.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "table.h"

namespace catalogue {

class Collation {
public:
    // 1034 is Spanish with the traditional sort (ICU "es@collation=traditional");
    // a locale we do not know compares by the root collation. ICU's collator
    // is opened at the first comparison or key, which throws if ICU has no
    // collation at all; being opened then, a Collation belongs to one thread,
    // as the store that holds it does.
    explicit Collation(std::int32_t lcid);
    ~Collation();
    Collation(const Collation&) = delete;
    Collation& operator=(const Collation&) = delete;

    // Negative, 0 or positive, as the table locale orders the two cp1252 texts:
    // letters, then accents, then case; hyphens only when all else is equal.
    int compare(std::string_view a, std::string_view b) const;

    // A byte string whose memcmp order is the order of compare().
    std::string sortKey(std::string_view a) const;
    void appendSortKey(std::string& out, std::string_view a) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Record indices of `table` ordered by the values of `field` (null first),
// produced by the catalogue's quicksort-plus-insertion procedure on the stored
// order, so that records whose values compare equal end where it puts them.
std::vector<std::uint32_t> orderBy(const Table& table, std::size_t field, const Collation& collation);

} // namespace catalogue
