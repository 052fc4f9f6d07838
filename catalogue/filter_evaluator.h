#pragma once
// The compiled form of a filter, which evaluates it: a tree of nodes, each a
// value (a field, a constant, a function of a text, arithmetic) or a truth
// value (a comparison, like, is null, and, or, not) of one record. Internal to
// the filter (filter.h is its public face); the parser builds the tree and the
// shapes read it.

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "collation.h"
#include "cp1252.h"
#include "filter.h"
#include "filter_lexer.h"
#include "like.h"
#include "search.h"
#include "table.h"

namespace catalogue {
namespace expression {

enum class Type { Text, Memo, Number, Bool, Null };

// A truth value of SQL: a null operand makes a comparison unknown.
enum class Truth : std::uint8_t { False, True, Unknown };

struct Value {
    bool null = true;
    std::string_view text; // Text and Memo
    double number = 0;     // Number
};

// A number as a text compares with other texts: whole numbers below 10^15
// without a decimal point (a negative zero as "-0"), others with 15
// significant digits.
inline std::string numberText(double value)
{
    char buffer[64];
    if (std::fabs(value) < 1e15 && value == std::floor(value)) {
        char* end = buffer;
        if (value == 0 && std::signbit(value))
            *end++ = '-';
        end = std::to_chars(end, buffer + sizeof buffer, static_cast<long long>(value)).ptr;
        return std::string(buffer, end);
    }
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

} // namespace expression

struct Filter::Node {
    // The class of a node (every one is final), which the shapes ask for
    // many times in each filter: cheaper to read than RTTI (see nodeAs).
    enum class Kind : std::uint8_t { Field, Text, Number, Null, Case, Natural, Plain, Arithmetic, Negate, Compare, Like,
                                     IsNull, Logic, Not };

    Node(expression::Type t, Kind k) : type(t), kind(k) {}
    virtual ~Node() = default;
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    // Text, Memo and Number nodes.
    virtual expression::Value value(std::size_t record) const = 0;
    // Bool nodes.
    virtual expression::Truth truth(std::size_t) const { return expression::Truth::Unknown; }
    virtual bool constant() const { return false; }

    expression::Type type;
    Kind kind;
};

namespace expression {

using Node = Filter::Node;
using NodePtr = std::unique_ptr<Node>;

// The node as a T (a node class) when it is one; null otherwise.
template <class T>
const T* nodeAs(const Node* node)
{
    return node && node->kind == T::kKind ? static_cast<const T*>(node) : nullptr;
}

class FieldNode final : public Node {
public:
    static constexpr Kind kKind = Kind::Field;
    FieldNode(const Table& table, std::size_t field)
        : Node(table.fields()[field].kind == FieldKind::Memo ? Type::Memo : Type::Text, kKind), table_(table),
          field_(field)
    {
    }
    Value value(std::size_t record) const override
    {
        if (table_.isNull(record, field_))
            return {};
        return {false, table_.text(record, field_), 0};
    }
    std::size_t field() const { return field_; }

private:
    const Table& table_;
    std::size_t field_;
};

class TextNode final : public Node {
public:
    static constexpr Kind kKind = Kind::Text;
    explicit TextNode(std::string text) : Node(Type::Text, kKind), text_(std::move(text)) {}
    Value value(std::size_t) const override { return {false, text_, 0}; }
    bool constant() const override { return true; }

private:
    std::string text_;
};

class NumberNode final : public Node {
public:
    static constexpr Kind kKind = Kind::Number;
    explicit NumberNode(double number) : Node(Type::Number, kKind), number_(number), text_(numberText(number)) {}
    Value value(std::size_t) const override { return {false, text_, number_}; }
    bool constant() const override { return true; }

private:
    double number_;
    std::string text_; // the number as text, for comparison with a text
};

class NullNode final : public Node {
public:
    static constexpr Kind kKind = Kind::Null;
    NullNode() : Node(Type::Null, kKind) {}
    Value value(std::size_t) const override { return {}; }
    bool constant() const override { return true; }
};

// Upper and Lower by code page 1252.
class CaseNode final : public Node {
public:
    static constexpr Kind kKind = Kind::Case;
    CaseNode(NodePtr arg, bool upper);
    Value value(std::size_t record) const override
    {
        Value v = arg_->value(record);
        if (v.null)
            return v;
        scratch_.resize(v.text.size());
        for (std::size_t i = 0; i < v.text.size(); ++i)
            scratch_[i] = (*map_)[static_cast<unsigned char>(v.text[i])];
        v.text = scratch_;
        return v;
    }
    bool upper() const { return upper_; }
    const Node& arg() const { return *arg_; }

private:
    using CaseMap = std::array<char, 256>;
    static const CaseMap& caseMap(bool upper);

    NodePtr arg_;
    bool upper_;
    const CaseMap* map_;
    mutable std::string scratch_; // filters are evaluated on one thread
};

// Natural: a name as people write it (see naturalName).
class NaturalNode final : public Node {
public:
    static constexpr Kind kKind = Kind::Natural;
    explicit NaturalNode(NodePtr arg) : Node(arg->type, kKind), arg_(std::move(arg)) {}
    Value value(std::size_t record) const override
    {
        Value v = arg_->value(record);
        if (v.null)
            return v;
        scratch_.clear();
        appendNaturalName(v.text, scratch_);
        v.text = scratch_;
        return v;
    }
    const Node& arg() const { return *arg_; }

private:
    NodePtr arg_;
    mutable std::string scratch_;
};

// Plain: "ñ" and "ü" as "n" and "u" (see appendPlainName).
class PlainNode final : public Node {
public:
    static constexpr Kind kKind = Kind::Plain;
    explicit PlainNode(NodePtr arg) : Node(arg->type, kKind), arg_(std::move(arg)) {}
    Value value(std::size_t record) const override
    {
        Value v = arg_->value(record);
        if (v.null)
            return v;
        scratch_.clear();
        appendPlainName(v.text, scratch_);
        v.text = scratch_;
        return v;
    }
    const Node& arg() const { return *arg_; }

private:
    NodePtr arg_;
    mutable std::string scratch_;
};

class ArithmeticNode final : public Node {
public:
    static constexpr Kind kKind = Kind::Arithmetic;
    ArithmeticNode(Tok op, NodePtr left, NodePtr right) : Node(Type::Number, kKind), op_(op), left_(std::move(left)), right_(std::move(right)) {}
    Value value(std::size_t record) const override;

private:
    Tok op_;
    NodePtr left_, right_;
    mutable std::string scratch_;
};

class NegateNode final : public Node {
public:
    static constexpr Kind kKind = Kind::Negate;
    explicit NegateNode(NodePtr arg) : Node(Type::Number, kKind), arg_(std::move(arg)) {}
    Value value(std::size_t record) const override
    {
        const Value a = arg_->value(record);
        if (a.null)
            return {};
        scratch_ = numberText(-a.number);
        return {false, scratch_, -a.number};
    }

private:
    NodePtr arg_;
    mutable std::string scratch_;
};

class BoolNode : public Node {
public:
    explicit BoolNode(Kind k) : Node(Type::Bool, k) {}
    Value value(std::size_t) const override { return {}; }
};

class CompareNode final : public BoolNode {
public:
    static constexpr Kind kKind = Kind::Compare;
    CompareNode(Tok op, NodePtr left, NodePtr right, const Collation& collation);

    Truth truth(std::size_t record) const override;

    // What the shapes (filter_shapes.h) recognise a comparison by.
    Tok op() const { return op_; }
    const Node& left() const { return *left_; }
    const Node& right() const { return *right_; }
    bool numeric() const { return numeric_; }
    // The constant right operand of a comparison of texts (null otherwise).
    const Value& constantOperand() const { return constant_; }

private:
    // Equality under the table locale; for texts of plain letters and digits
    // only equal bytes compare equal, so the locale is not asked.
    bool equalTexts(std::string_view a, std::string_view b) const;

    Tok op_;
    NodePtr left_, right_;
    const Collation& collation_;
    bool numeric_;
    Value constant_;
    bool constantPlain_ = false;
};

class LikeNode final : public BoolNode {
public:
    static constexpr Kind kKind = Kind::Like;
    LikeNode(NodePtr value, NodePtr pattern);

    Truth truth(std::size_t record) const override;

    // What the shapes (filter_shapes.h) recognise a like test by: the value
    // tested and the pattern, when it is a constant.
    const Node& operand() const { return *value_; }
    const std::optional<LikePattern>& constantPattern() const { return compiled_; }

private:
    NodePtr value_, pattern_;
    std::optional<LikePattern> compiled_;
};

class IsNullNode final : public BoolNode {
public:
    static constexpr Kind kKind = Kind::IsNull;
    IsNullNode(NodePtr arg, bool negated) : BoolNode(kKind), arg_(std::move(arg)), negated_(negated) {}
    Truth truth(std::size_t record) const override
    {
        const bool isNull = arg_->type == Type::Bool ? arg_->truth(record) == Truth::Unknown : arg_->value(record).null;
        return isNull != negated_ ? Truth::True : Truth::False;
    }

private:
    NodePtr arg_;
    bool negated_;
};

class LogicNode final : public BoolNode {
public:
    static constexpr Kind kKind = Kind::Logic;
    LogicNode(bool isAnd, NodePtr left, NodePtr right) : BoolNode(kKind), isAnd_(isAnd), left_(std::move(left)), right_(std::move(right)) {}
    bool isAnd() const { return isAnd_; }
    const Node& left() const { return *left_; }
    const Node& right() const { return *right_; }

    Truth truth(std::size_t record) const override;

private:
    bool isAnd_;
    NodePtr left_, right_;
};

class NotNode final : public BoolNode {
public:
    static constexpr Kind kKind = Kind::Not;
    explicit NotNode(NodePtr arg) : BoolNode(kKind), arg_(std::move(arg)) {}
    Truth truth(std::size_t record) const override
    {
        switch (arg_->truth(record)) {
        case Truth::True: return Truth::False;
        case Truth::False: return Truth::True;
        default: return Truth::Unknown;
        }
    }

private:
    NodePtr arg_;
};

} // namespace expression
} // namespace catalogue
