#include "filter.h"

#include "filter_evaluator.h"
#include "filter_lexer.h"
#include "filter_parser.h"
#include "filter_shapes.h"

// The filter is compiled in three steps, each in files of its own: the lexer
// (filter_lexer.*) reads the tokens, the parser (filter_parser.*) builds the
// tree of nodes that evaluates it (filter_evaluator.*), and the shapes
// (filter_shapes.*) recognise in that tree the filters the store answers from
// its indexes.

namespace catalogue {

bool plainText(std::string_view text)
{
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (!expression::isLetter(c) && !expression::isDigit(c))
            return false;
    }
    return true;
}

Filter::Filter() = default;
Filter::~Filter() = default;
Filter::Filter(Filter&&) noexcept = default;
Filter& Filter::operator=(Filter&&) noexcept = default;

Filter Filter::compile(std::string_view text, const Table& table, const Collation& collation)
{
    Filter f;
    f.table_ = &table;
    f.collation_ = &collation;
    f.root_ = expression::parse(text, table, collation);
    if (f.root_)
        f.shape_ = expression::shapeOf(*f.root_);
    return f;
}

bool Filter::matches(std::size_t record) const
{
    return !root_ || root_->truth(record) == expression::Truth::True;
}

} // namespace catalogue
