#pragma once
// The grammar of the filter language: a text read through the lexer into the
// evaluator's tree, with the field names resolved against a table and every
// operand's type checked. Internal to the filter (filter.h is its public face).

#include <memory>
#include <string_view>

#include "collation.h"
#include "filter.h"
#include "table.h"

namespace catalogue::expression {

// The tree of a cp1252 filter text, or nullptr for a text of blanks and
// comments only. Throws FilterError with the message of the system's table
// (an unknown field, a type mismatch, an unfinished expression, one too
// deeply nested or too large). `table` and `collation` must outlive the tree.
std::unique_ptr<Filter::Node> parse(std::string_view text, const Table& table, const Collation& collation);

} // namespace catalogue::expression
