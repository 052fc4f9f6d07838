#include "filter_evaluator.h"

#include <utility>

namespace catalogue::expression {

CaseNode::CaseNode(NodePtr arg, bool upper) : Node(arg->type, kKind), arg_(std::move(arg)), upper_(upper), map_(&caseMap(upper))
{
}

// The byte maps of Upper and Lower by code page 1252, made once: Lower is
// the inverse of Upper.
const CaseNode::CaseMap& CaseNode::caseMap(bool upper)
{
    static const auto maps = [] {
        std::array<CaseMap, 2> m{};
        for (unsigned b = 0; b < 256; ++b) {
            m[0][b] = static_cast<char>(b);
            m[1][b] = static_cast<char>(cp1252::upper(static_cast<unsigned char>(b)));
        }
        for (unsigned c = 256; c-- > 0;) {
            const auto u = static_cast<unsigned char>(m[1][c]);
            if (u != c)
                m[0][u] = static_cast<char>(c);
        }
        return m;
    }();
    return maps[upper ? 1 : 0];
}

Value ArithmeticNode::value(std::size_t record) const
{
    const Value a = left_->value(record);
    const Value b = right_->value(record);
    if (a.null || b.null)
        return {};
    double r = 0;
    switch (op_) {
    case Tok::Plus: r = a.number + b.number; break;
    case Tok::Minus: r = a.number - b.number; break;
    case Tok::Star: r = a.number * b.number; break;
    default:
        if (b.number == 0)
            return {};
        r = a.number / b.number;
        break;
    }
    scratch_ = numberText(r);
    return {false, scratch_, r};
}

CompareNode::CompareNode(Tok op, NodePtr left, NodePtr right, const Collation& collation)
    : BoolNode(kKind), op_(op), left_(std::move(left)), right_(std::move(right)), collation_(collation),
      numeric_(left_->type == Type::Number && right_->type == Type::Number)
{
    // A field compared with a constant, the usual case, reads the
    // constant once.
    if (right_->constant() && !numeric_) {
        constant_ = right_->value(0);
        constantPlain_ = !constant_.null && plainText(constant_.text);
    }
}

Truth CompareNode::truth(std::size_t record) const
{
    const Value a = left_->value(record);
    if (a.null)
        return Truth::Unknown;
    if (right_->constant() && !numeric_) {
        if (constant_.null)
            return Truth::Unknown;
        if (op_ == Tok::Eq || op_ == Tok::Ne) {
            bool equal = a.text == constant_.text;
            if (!equal && !(constantPlain_ && plainText(a.text)))
                equal = collation_.compare(a.text, constant_.text) == 0;
            return equal == (op_ == Tok::Eq) ? Truth::True : Truth::False;
        }
    }
    const Value b = right_->value(record);
    if (b.null)
        return Truth::Unknown;
    int c;
    if (numeric_) {
        c = a.number < b.number ? -1 : (a.number > b.number ? 1 : 0);
    } else if (op_ == Tok::Eq || op_ == Tok::Ne) {
        c = equalTexts(a.text, b.text) ? 0 : 1;
    } else {
        c = collation_.compare(a.text, b.text);
    }
    bool r = false;
    switch (op_) {
    case Tok::Eq: r = c == 0; break;
    case Tok::Ne: r = c != 0; break;
    case Tok::Lt: r = c < 0; break;
    case Tok::Gt: r = c > 0; break;
    case Tok::Le: r = c <= 0; break;
    default: r = c >= 0; break;
    }
    return r ? Truth::True : Truth::False;
}

bool CompareNode::equalTexts(std::string_view a, std::string_view b) const
{
    if (a == b)
        return true;
    if (plainText(a) && plainText(b))
        return false;
    return collation_.compare(a, b) == 0;
}

LikeNode::LikeNode(NodePtr value, NodePtr pattern) : BoolNode(kKind), value_(std::move(value)), pattern_(std::move(pattern))
{
    if (pattern_->constant()) {
        const Value p = pattern_->value(0);
        if (!p.null)
            compiled_ = LikePattern(p.text);
    }
}

Truth LikeNode::truth(std::size_t record) const
{
    const Value v = value_->value(record);
    if (v.null)
        return Truth::Unknown;
    if (compiled_)
        return compiled_->matches(v.text) ? Truth::True : Truth::False;
    const Value p = pattern_->value(record);
    if (p.null)
        return Truth::Unknown;
    return LikePattern(p.text).matches(v.text) ? Truth::True : Truth::False;
}

Truth LogicNode::truth(std::size_t record) const
{
    const Truth a = left_->truth(record);
    if (isAnd_ ? a == Truth::False : a == Truth::True)
        return a;
    const Truth b = right_->truth(record);
    if (isAnd_ ? b == Truth::False : b == Truth::True)
        return b;
    return a == Truth::Unknown || b == Truth::Unknown ? Truth::Unknown : a;
}

} // namespace catalogue::expression
