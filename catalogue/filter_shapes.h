#pragma once
// The shapes of filter that the store answers from its indexes (Filter::Shape
// in filter.h says which), recognised in a compiled filter's tree. Internal to
// the filter.

#include "filter.h"

namespace catalogue::expression {

// The shape of the filter whose tree is `root`: Kind::Other for any filter
// the indexes cannot answer.
Filter::Shape shapeOf(const Filter::Node& root);

} // namespace catalogue::expression
