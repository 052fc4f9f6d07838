#include "filter_parser.h"

#include <cstdlib>
#include <string>
#include <utility>

#include "cp1252.h"
#include "filter_evaluator.h"

namespace catalogue::expression {
namespace {

class Parser {
public:
    Parser(std::string_view text, const Table& table, const Collation& collation)
        : lexer_(text), table_(table), collation_(collation)
    {
        advance();
    }

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
            return make<CompareNode>(op, std::move(left), std::move(right), collation_);
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
        const bool call = tok_.kind == Tok::LParen;
        const bool upper = call && cp1252::equalIgnoringCase(name, "UPPER");
        const bool natural = call && cp1252::equalIgnoringCase(name, "NATURAL");
        const bool plain = call && cp1252::equalIgnoringCase(name, "PLAIN");
        if (upper || natural || plain || (call && cp1252::equalIgnoringCase(name, "LOWER"))) {
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
        const int index = table_.fieldIndex(name);
        if (index < 0)
            fail("No se encuentra el campo " + quoted(name));
        return make<FieldNode>(table_, static_cast<std::size_t>(index));
    }

    Lexer lexer_;
    const Table& table_;
    const Collation& collation_;
    Token tok_;
    int nesting_ = 0;
    int nodes_ = 0;
};

} // namespace

NodePtr parse(std::string_view text, const Table& table, const Collation& collation)
{
    Parser parser(text, table, collation);
    if (parser.empty())
        return nullptr;
    return parser.parse();
}

} // namespace catalogue::expression
