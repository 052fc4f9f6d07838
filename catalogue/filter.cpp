#include "filter.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cp1252.h"
#include "error.h"
#include "like.h"
#include "search.h"

namespace catalogue {
namespace {

// ---------------------------------------------------------------- messages

[[noreturn]] void fail(const std::string& message)
{
    throw FilterError(message);
}

std::string quoted(std::string_view cp1252Text)
{
    // Built front to back: prepending to a string makes GCC 12 at -O3 warn
    // (-Wrestrict) about a memmove it cannot prove is safe.
    std::string out = "'";
    out += cp1252::toUtf8(cp1252Text);
    out += '\'';
    return out;
}

// ------------------------------------------------------------------ tokens

enum class Tok {
    End,
    Name,    // field or function name, as written
    Field,   // a name in square brackets
    String,  // quoted literal, quotes undone
    Number,
    LParen,
    RParen,
    Comma,
    Eq,
    Ne,
    Lt,
    Gt,
    Le,
    Ge,
    Plus,
    Minus,
    Star,
    Slash,
    And,
    Or,
    Not,
    Like,
    Is,
    Null,
};

struct Token {
    Tok kind = Tok::End;
    std::string text; // cp1252: the name, the literal's value or the operator
};

constexpr std::size_t kLiteralLimit = 255;

bool isLetter(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}
bool startsName(unsigned char c)
{
    return isLetter(c) || c == '_' || (c >= 0x81 && c <= 0xFE);
}
bool continuesName(unsigned char c)
{
    return isLetter(c) || isDigit(c) || c == '_' || c == '.' || c == '[' || c == ']';
}

// Reads one token at a time, only when the parser asks for the next one, so
// that an error further on in the text cannot hide the first one.
class Lexer {
public:
    explicit Lexer(std::string_view text) : text_(text) {}

    Token next()
    {
        skipBlanks();
        Token t;
        if (pos_ >= text_.size())
            return t;
        const auto c = static_cast<unsigned char>(text_[pos_]);
        if (startsName(c)) {
            const std::size_t start = pos_++;
            while (pos_ < text_.size() && continuesName(static_cast<unsigned char>(text_[pos_])))
                ++pos_;
            t.text = std::string(text_.substr(start, pos_ - start));
            t.kind = keyword(t.text);
            return t;
        }
        if (isDigit(c)) {
            const std::size_t start = pos_;
            while (pos_ < text_.size() && isDigit(static_cast<unsigned char>(text_[pos_])))
                ++pos_;
            if (pos_ + 1 < text_.size() && text_[pos_] == '.' && isDigit(static_cast<unsigned char>(text_[pos_ + 1]))) {
                ++pos_;
                while (pos_ < text_.size() && isDigit(static_cast<unsigned char>(text_[pos_])))
                    ++pos_;
            }
            t.kind = Tok::Number;
            t.text = std::string(text_.substr(start, pos_ - start));
            return t;
        }
        switch (c) {
        case '\'': return literal();
        case '[': {
            const std::size_t close = text_.find(']', pos_ + 1);
            if (close == std::string_view::npos)
                fail("Nombre de campo incompleto");
            t.kind = Tok::Field;
            t.text = std::string(text_.substr(pos_ + 1, close - pos_ - 1));
            pos_ = close + 1;
            return t;
        }
        case '(': return single(Tok::LParen);
        case ')': return single(Tok::RParen);
        case ',': return single(Tok::Comma);
        case '=': return single(Tok::Eq);
        case '+': return single(Tok::Plus);
        case '-': return single(Tok::Minus);
        case '*': return single(Tok::Star);
        case '/': return single(Tok::Slash);
        case '<':
            if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '>')
                return pair(Tok::Ne);
            if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '=')
                return pair(Tok::Le);
            return single(Tok::Lt);
        case '>':
            if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '=')
                return pair(Tok::Ge);
            return single(Tok::Gt);
        default:
            // A NUL byte cannot stand in a message: it is written #0.
            fail("Carácter '" + (c == 0 ? std::string("#0") : cp1252::toUtf8(text_.substr(pos_, 1)))
                 + "' inválido en una expresión de filtro");
        }
    }

private:
    // Bytes 1 to 32 separate tokens; "/*" up to "*/" is a comment (one left
    // open runs to the end of the text).
    void skipBlanks()
    {
        for (;;) {
            while (pos_ < text_.size() && text_[pos_] >= 1 && text_[pos_] <= 32)
                ++pos_;
            if (text_.substr(pos_, 2) != "/*")
                return;
            const std::size_t end = text_.find("*/", pos_ + 2);
            pos_ = end == std::string_view::npos ? text_.size() : end + 2;
        }
    }

    static Tok keyword(std::string_view word)
    {
        static constexpr std::pair<std::string_view, Tok> kWords[] = {
            {"AND", Tok::And}, {"OR", Tok::Or}, {"NOT", Tok::Not},
            {"LIKE", Tok::Like}, {"IS", Tok::Is}, {"NULL", Tok::Null},
        };
        for (const auto& [spelling, kind] : kWords)
            if (cp1252::equalIgnoringCase(word, spelling))
                return kind;
        return Tok::Name;
    }

    // A quoted literal: '' stands for one quote; only the first 255
    // characters count.
    Token literal()
    {
        Token t;
        t.kind = Tok::String;
        ++pos_;
        for (;;) {
            if (pos_ >= text_.size())
                fail("Constante de cadena incompleta");
            const char c = text_[pos_++];
            if (c == '\'') {
                if (pos_ >= text_.size() || text_[pos_] != '\'')
                    return t;
                ++pos_;
            }
            if (t.text.size() < kLiteralLimit)
                t.text += c;
        }
    }

    Token single(Tok kind)
    {
        Token t{kind, std::string(text_.substr(pos_, 1))};
        ++pos_;
        return t;
    }
    Token pair(Tok kind)
    {
        Token t{kind, std::string(text_.substr(pos_, 2))};
        pos_ += 2;
        return t;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

// ----------------------------------------------------------------- values

enum class Type { Text, Memo, Number, Bool, Null };

// A truth value of SQL: a null operand makes a comparison unknown.
enum class Truth : std::uint8_t { False, True, Unknown };

struct Value {
    bool null = true;
    std::string_view text; // Text and Memo
    double number = 0;     // Number
};

std::string numberText(double value)
{
    char buffer[64];
    if (std::fabs(value) < 1e15 && value == std::floor(value))
        std::snprintf(buffer, sizeof buffer, "%.0f", value);
    else
        std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

} // namespace

bool plainText(std::string_view text)
{
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (!isLetter(c) && !isDigit(c))
            return false;
    }
    return true;
}

// ------------------------------------------------------------------- tree

struct Filter::Node {
    explicit Node(Type t) : type(t) {}
    virtual ~Node() = default;
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    // Text, Memo and Number nodes.
    virtual Value value(std::size_t record) const = 0;
    // Bool nodes.
    virtual Truth truth(std::size_t) const { return Truth::Unknown; }
    virtual bool constant() const { return false; }

    Type type;
};

namespace {

using Node = Filter::Node;
using NodePtr = std::unique_ptr<Node>;

struct Context {
    const Table* table;
    const Collation* collation;
};

class FieldNode final : public Node {
public:
    FieldNode(const Table& table, std::size_t field)
        : Node(table.fields()[field].kind == FieldKind::Memo ? Type::Memo : Type::Text), table_(table), field_(field)
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
    explicit TextNode(std::string text) : Node(Type::Text), text_(std::move(text)) {}
    Value value(std::size_t) const override { return {false, text_, 0}; }
    bool constant() const override { return true; }

private:
    std::string text_;
};

class NumberNode final : public Node {
public:
    explicit NumberNode(double number) : Node(Type::Number), number_(number), text_(numberText(number)) {}
    Value value(std::size_t) const override { return {false, text_, number_}; }
    bool constant() const override { return true; }

private:
    double number_;
    std::string text_; // the number as text, for comparison with a text
};

class NullNode final : public Node {
public:
    NullNode() : Node(Type::Null) {}
    Value value(std::size_t) const override { return {}; }
    bool constant() const override { return true; }
};

// Upper and Lower by code page 1252.
class CaseNode final : public Node {
public:
    CaseNode(NodePtr arg, bool upper) : Node(arg->type), arg_(std::move(arg)), upper_(upper)
    {
        for (unsigned b = 0; b < 256; ++b)
            map_[b] = static_cast<char>(upper ? cp1252::upper(static_cast<unsigned char>(b)) : lowerOf(static_cast<unsigned char>(b)));
    }
    Value value(std::size_t record) const override
    {
        Value v = arg_->value(record);
        if (v.null)
            return v;
        scratch_.resize(v.text.size());
        for (std::size_t i = 0; i < v.text.size(); ++i)
            scratch_[i] = map_[static_cast<unsigned char>(v.text[i])];
        v.text = scratch_;
        return v;
    }
    bool upper() const { return upper_; }
    const Node& arg() const { return *arg_; }

private:
    static unsigned char lowerOf(unsigned char b)
    {
        // The inverse of the upper-case map of code page 1252.
        for (unsigned c = 0; c < 256; ++c)
            if (c != b && cp1252::upper(static_cast<unsigned char>(c)) == b)
                return static_cast<unsigned char>(c);
        return b;
    }

    NodePtr arg_;
    bool upper_;
    std::array<char, 256> map_{};
    mutable std::string scratch_; // filters are evaluated on one thread
};

// Natural: a name as people write it (see naturalName).
class NaturalNode final : public Node {
public:
    explicit NaturalNode(NodePtr arg) : Node(arg->type), arg_(std::move(arg)) {}
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
    explicit PlainNode(NodePtr arg) : Node(arg->type), arg_(std::move(arg)) {}
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
    ArithmeticNode(Tok op, NodePtr left, NodePtr right) : Node(Type::Number), op_(op), left_(std::move(left)), right_(std::move(right)) {}
    Value value(std::size_t record) const override
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

private:
    Tok op_;
    NodePtr left_, right_;
    mutable std::string scratch_;
};

class NegateNode final : public Node {
public:
    explicit NegateNode(NodePtr arg) : Node(Type::Number), arg_(std::move(arg)) {}
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
    BoolNode() : Node(Type::Bool) {}
    Value value(std::size_t) const override { return {}; }
};

class CompareNode final : public BoolNode {
public:
    CompareNode(Tok op, NodePtr left, NodePtr right, const Collation& collation)
        : op_(op), left_(std::move(left)), right_(std::move(right)), collation_(collation),
          numeric_(left_->type == Type::Number && right_->type == Type::Number)
    {
        // A field compared with a constant, the usual case, reads the
        // constant once.
        if (right_->constant() && !numeric_) {
            constant_ = right_->value(0);
            constantPlain_ = !constant_.null && plainText(constant_.text);
        }
    }

    Truth truth(std::size_t record) const override
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

    // "field = constant": the field and the constant's text.
    bool equality(std::size_t& field, std::string& text) const
    {
        const auto* f = dynamic_cast<const FieldNode*>(left_.get());
        if (op_ != Tok::Eq || numeric_ || !f || !right_->constant() || constant_.null)
            return false;
        field = f->field();
        text = std::string(constant_.text);
        return true;
    }

private:
    // Equality under the table locale; for texts of plain letters and digits
    // only equal bytes compare equal, so the locale is not asked.
    bool equalTexts(std::string_view a, std::string_view b) const
    {
        if (a == b)
            return true;
        if (plainText(a) && plainText(b))
            return false;
        return collation_.compare(a, b) == 0;
    }

    Tok op_;
    NodePtr left_, right_;
    const Collation& collation_;
    bool numeric_;
    Value constant_;
    bool constantPlain_ = false;
};

class LikeNode final : public BoolNode {
public:
    LikeNode(NodePtr value, NodePtr pattern) : value_(std::move(value)), pattern_(std::move(pattern))
    {
        if (pattern_->constant()) {
            const Value p = pattern_->value(0);
            if (!p.null)
                compiled_ = LikePattern(p.text);
        }
    }

    Truth truth(std::size_t record) const override
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

    // "value like '%x%'" where the value is the field, Upper(field) or, when
    // `natural`, Natural(field) or Upper(Natural(field)).
    bool contains(bool natural, std::size_t& field, bool& upper, std::string& literal) const
    {
        const auto* c = dynamic_cast<const CaseNode*>(value_.get());
        const Node* inner = c ? &c->arg() : value_.get();
        if (natural) {
            const auto* n = dynamic_cast<const NaturalNode*>(inner);
            inner = n ? &n->arg() : nullptr;
        }
        const auto* f = dynamic_cast<const FieldNode*>(inner);
        const auto x = compiled_ ? compiled_->contained() : std::nullopt;
        if (!f || (c && !c->upper()) || !x)
            return false;
        field = f->field();
        upper = c != nullptr;
        literal = std::string(*x);
        return true;
    }

    // "field like 'x%'" on the field itself.
    bool begins(std::size_t& field, std::string& literal) const
    {
        const auto* f = dynamic_cast<const FieldNode*>(value_.get());
        const auto x = compiled_ ? compiled_->prefix() : std::nullopt;
        if (!f || !x)
            return false;
        field = f->field();
        literal = std::string(*x);
        return true;
    }

    // "value like '%x%'" where the value is [Upper]([Plain]([Natural](field)))
    // with Plain only around Natural: the term it is, on which field, and
    // whether in capitals.
    bool term(Filter::Term& term, std::size_t& field, bool& upper) const
    {
        const Node* inner = value_.get();
        const auto* c = dynamic_cast<const CaseNode*>(inner);
        if (c) {
            if (!c->upper())
                return false;
            inner = &c->arg();
        }
        const auto* plain = dynamic_cast<const PlainNode*>(inner);
        if (plain)
            inner = &plain->arg();
        const auto* natural = dynamic_cast<const NaturalNode*>(inner);
        if (natural)
            inner = &natural->arg();
        else if (plain)
            return false;
        const auto* f = dynamic_cast<const FieldNode*>(inner);
        const auto x = compiled_ ? compiled_->contained() : std::nullopt;
        if (!f || !x)
            return false;
        term.form = plain ? Filter::Term::Form::PlainNatural
                          : natural ? Filter::Term::Form::Natural : Filter::Term::Form::Name;
        term.literal = std::string(*x);
        field = f->field();
        upper = c != nullptr;
        return true;
    }

private:
    NodePtr value_, pattern_;
    std::optional<LikePattern> compiled_;
};

class IsNullNode final : public BoolNode {
public:
    IsNullNode(NodePtr arg, bool negated) : arg_(std::move(arg)), negated_(negated) {}
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
    LogicNode(bool isAnd, NodePtr left, NodePtr right) : isAnd_(isAnd), left_(std::move(left)), right_(std::move(right)) {}
    bool isAnd() const { return isAnd_; }
    const Node& left() const { return *left_; }
    const Node& right() const { return *right_; }

    Truth truth(std::size_t record) const override
    {
        const Truth a = left_->truth(record);
        if (isAnd_ ? a == Truth::False : a == Truth::True)
            return a;
        const Truth b = right_->truth(record);
        if (isAnd_ ? b == Truth::False : b == Truth::True)
            return b;
        return a == Truth::Unknown || b == Truth::Unknown ? Truth::Unknown : a;
    }

private:
    bool isAnd_;
    NodePtr left_, right_;
};

class NotNode final : public BoolNode {
public:
    explicit NotNode(NodePtr arg) : arg_(std::move(arg)) {}
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

// The alternatives of an "or" tree, left to right.
void alternatives(const Node& node, std::vector<const Node*>& out)
{
    if (const auto* logic = dynamic_cast<const LogicNode*>(&node); logic && !logic->isAnd()) {
        alternatives(logic->left(), out);
        alternatives(logic->right(), out);
        return;
    }
    out.push_back(&node);
}

// "(field = constant) and (term or term …)" with the terms of EqualAndAny: at
// least one on the name and the others on the same field, in capitals alike,
// or on a field's beginning.
bool anyOf(const Node& like, Filter::Shape& shape)
{
    std::vector<const Node*> nodes;
    alternatives(like, nodes);
    bool named = false;
    for (const Node* node : nodes) {
        const auto* test = dynamic_cast<const LikeNode*>(node);
        if (!test)
            return false;
        Filter::Term term;
        std::size_t field = 0;
        bool upper = false;
        if (test->begins(term.field, term.literal)) {
            term.form = Filter::Term::Form::Prefix;
        } else if (!test->term(term, field, upper)) {
            return false;
        } else if (!named) {
            named = true;
            shape.likeField = field;
            shape.upper = upper;
        } else if (field != shape.likeField || upper != shape.upper) {
            return false;
        }
        shape.terms.push_back(std::move(term));
    }
    return named;
}

Filter::Shape shapeOf(const Node& root)
{
    Filter::Shape shape;
    const Node* equal = &root;
    const Node* like = nullptr;
    if (const auto* logic = dynamic_cast<const LogicNode*>(&root)) {
        if (!logic->isAnd())
            return shape;
        equal = &logic->left();
        like = &logic->right();
    }
    const auto* compare = dynamic_cast<const CompareNode*>(equal);
    if (!compare || !compare->equality(shape.field, shape.text))
        return {};
    shape.kind = Filter::Shape::Kind::Equal;
    if (!like)
        return shape;
    if (const auto* node = dynamic_cast<const LikeNode*>(like)) {
        if (!node->contains(false, shape.likeField, shape.upper, shape.literal))
            return {};
        shape.kind = Filter::Shape::Kind::EqualAndContains;
        return shape;
    }
    // (like on the name) or (like on its natural form), on one field, both
    // in capitals or neither; otherwise any of the search's terms.
    const auto* either = dynamic_cast<const LogicNode*>(like);
    if (!either || either->isAnd())
        return {};
    const auto other = [&] {
        Filter::Shape any;
        any.field = shape.field;
        any.text = shape.text;
        if (!anyOf(*like, any))
            return Filter::Shape{};
        any.kind = Filter::Shape::Kind::EqualAndAny;
        return any;
    };
    const auto* name = dynamic_cast<const LikeNode*>(&either->left());
    const auto* natural = dynamic_cast<const LikeNode*>(&either->right());
    std::size_t naturalField = 0;
    bool naturalUpper = false;
    if (!name || !natural || !name->contains(false, shape.likeField, shape.upper, shape.literal)
        || !natural->contains(true, naturalField, naturalUpper, shape.naturalLiteral)
        || naturalField != shape.likeField || naturalUpper != shape.upper)
        return other();
    shape.kind = Filter::Shape::Kind::EqualAndContainsOrNatural;
    return shape;
}

// ----------------------------------------------------------------- parser

class Parser {
public:
    Parser(std::string_view text, const Context& context) : lexer_(text), ctx_(context) { advance(); }

    // An empty text (blanks and comments only) filters nothing out.
    bool empty() const { return tok_.kind == Tok::End; }

    NodePtr parse()
    {
        NodePtr root = orExpr();
        if (tok_.kind != Tok::End)
            fail("La expresión de filtro no está terminada correctamente");
        expect(*root, Type::Bool);
        return root;
    }

private:
    // Bounds that keep a pathological text (thousands of parentheses, say)
    // from exhausting the stack while it is parsed or evaluated.
    static constexpr int kMaxNesting = 200;
    static constexpr int kMaxNodes = 5000;

    [[noreturn]] static void tooComplex() { fail("La expresión de filtro es demasiado compleja"); }

    template <class T, class... Args>
    NodePtr make(Args&&... args)
    {
        if (++nodes_ > kMaxNodes)
            tooComplex();
        return std::make_unique<T>(std::forward<Args>(args)...);
    }

    // One more level of parentheses, function call, not or sign.
    struct Nested {
        explicit Nested(int& depth) : depth_(depth)
        {
            if (++depth_ > kMaxNesting)
                tooComplex();
        }
        ~Nested() { --depth_; }
        Nested(const Nested&) = delete;
        Nested& operator=(const Nested&) = delete;
        int& depth_;
    };

    void advance() { tok_ = lexer_.next(); }

    std::string found() const
    {
        if (tok_.kind == Tok::End)
            return "nada";
        return quoted(tok_.text);
    }

    static void typeMismatch() { fail("Tipo de la expresión esperado incorrecto"); }

    static void expect(const Node& node, Type type)
    {
        if (node.type != type)
            typeMismatch();
    }

    NodePtr orExpr()
    {
        NodePtr left = andExpr();
        while (tok_.kind == Tok::Or) {
            advance();
            NodePtr right = andExpr();
            expect(*left, Type::Bool);
            expect(*right, Type::Bool);
            left = make<LogicNode>(false, std::move(left), std::move(right));
        }
        return left;
    }

    NodePtr andExpr()
    {
        NodePtr left = notExpr();
        while (tok_.kind == Tok::And) {
            advance();
            NodePtr right = notExpr();
            expect(*left, Type::Bool);
            expect(*right, Type::Bool);
            left = make<LogicNode>(true, std::move(left), std::move(right));
        }
        return left;
    }

    NodePtr notExpr()
    {
        if (tok_.kind != Tok::Not)
            return comparison();
        const Nested nested(nesting_);
        advance();
        NodePtr arg = notExpr();
        expect(*arg, Type::Bool);
        return make<NotNode>(std::move(arg));
    }

    static bool isComparison(Tok t)
    {
        return t == Tok::Eq || t == Tok::Ne || t == Tok::Lt || t == Tok::Gt || t == Tok::Le || t == Tok::Ge;
    }

    static bool isValue(Type t) { return t == Type::Text || t == Type::Memo || t == Type::Number || t == Type::Null; }

    NodePtr comparison()
    {
        NodePtr left = additive();
        const Tok op = tok_.kind;
        if (isComparison(op)) {
            advance();
            NodePtr right = additive();
            // The note is a memo: only like applies to it.
            if (left->type == Type::Memo || right->type == Type::Memo || !isValue(left->type) || !isValue(right->type))
                typeMismatch();
            return make<CompareNode>(op, std::move(left), std::move(right), *ctx_.collation);
        }
        if (op == Tok::Like) {
            advance();
            NodePtr right = additive();
            if (!isValue(left->type) || !isValue(right->type))
                typeMismatch();
            return make<LikeNode>(std::move(left), std::move(right));
        }
        if (op == Tok::Is) {
            advance();
            bool negated = false;
            if (tok_.kind == Tok::Not) {
                negated = true;
                advance();
            }
            if (tok_.kind != Tok::Null)
                fail("Se esperaba una expresión pero se encontró " + found());
            advance();
            return make<IsNullNode>(std::move(left), negated);
        }
        return left;
    }

    NodePtr additive()
    {
        NodePtr left = multiplicative();
        while (tok_.kind == Tok::Plus || tok_.kind == Tok::Minus) {
            const Tok op = tok_.kind;
            advance();
            NodePtr right = multiplicative();
            left = arithmetic(op, std::move(left), std::move(right));
        }
        return left;
    }

    NodePtr multiplicative()
    {
        NodePtr left = unary();
        while (tok_.kind == Tok::Star || tok_.kind == Tok::Slash) {
            const Tok op = tok_.kind;
            advance();
            NodePtr right = unary();
            left = arithmetic(op, std::move(left), std::move(right));
        }
        return left;
    }

    NodePtr arithmetic(Tok op, NodePtr left, NodePtr right)
    {
        if (left->type != Type::Number || right->type != Type::Number)
            typeMismatch();
        return make<ArithmeticNode>(op, std::move(left), std::move(right));
    }

    NodePtr unary()
    {
        if (tok_.kind != Tok::Minus)
            return primary();
        const Nested nested(nesting_);
        advance();
        NodePtr arg = unary();
        if (arg->type != Type::Number)
            typeMismatch();
        return make<NegateNode>(std::move(arg));
    }

    NodePtr primary()
    {
        switch (tok_.kind) {
        case Tok::LParen: {
            const Nested nested(nesting_);
            advance();
            NodePtr inner = orExpr();
            closeParen();
            return inner;
        }
        case Tok::String: {
            auto node = make<TextNode>(std::move(tok_.text));
            advance();
            return node;
        }
        case Tok::Number: {
            auto node = make<NumberNode>(std::strtod(tok_.text.c_str(), nullptr));
            advance();
            return node;
        }
        case Tok::Null:
            advance();
            return make<NullNode>();
        case Tok::Field: {
            NodePtr node = field(tok_.text);
            advance();
            return node;
        }
        case Tok::Name: return nameOrCall();
        default: fail("Se esperaba una expresión pero se encontró " + found());
        }
    }

    void closeParen()
    {
        if (tok_.kind != Tok::RParen)
            fail("')' esperado, pero se encontró " + found());
        advance();
    }

    // Upper(x), Lower(x), Natural(x) and Plain(x) are the functions; any other name is
    // a field.
    NodePtr nameOrCall()
    {
        const std::string name = std::move(tok_.text);
        advance();
        const bool upper = cp1252::equalIgnoringCase(name, "UPPER");
        const bool natural = cp1252::equalIgnoringCase(name, "NATURAL");
        const bool plain = cp1252::equalIgnoringCase(name, "PLAIN");
        if ((upper || natural || plain || cp1252::equalIgnoringCase(name, "LOWER")) && tok_.kind == Tok::LParen) {
            const Nested nested(nesting_);
            advance();
            NodePtr arg = orExpr();
            closeParen();
            if (arg->type == Type::Null)
                return arg;
            if (arg->type != Type::Text && arg->type != Type::Memo)
                typeMismatch();
            if (natural)
                return make<NaturalNode>(std::move(arg));
            if (plain)
                return make<PlainNode>(std::move(arg));
            return make<CaseNode>(std::move(arg), upper);
        }
        return field(name);
    }

    NodePtr field(const std::string& name)
    {
        const int index = ctx_.table->fieldIndex(name);
        if (index < 0)
            fail("No se encuentra el campo " + quoted(name));
        return make<FieldNode>(*ctx_.table, static_cast<std::size_t>(index));
    }

    Lexer lexer_;
    Context ctx_;
    Token tok_;
    int nesting_ = 0;
    int nodes_ = 0;
};

} // namespace

Filter::Filter() = default;
Filter::~Filter() = default;
Filter::Filter(Filter&&) noexcept = default;
Filter& Filter::operator=(Filter&&) noexcept = default;

Filter Filter::compile(std::string_view text, const Table& table, const Collation& collation)
{
    Filter f;
    f.table_ = &table;
    f.collation_ = &collation;
    Parser parser(text, Context{&table, &collation});
    if (!parser.empty()) {
        f.root_ = parser.parse();
        f.shape_ = shapeOf(*f.root_);
    }
    return f;
}

bool Filter::matches(std::size_t record) const
{
    return !root_ || root_->truth(record) == Truth::True;
}

} // namespace catalogue
