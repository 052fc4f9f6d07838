#include "filter_shapes.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "filter_evaluator.h"

namespace catalogue::expression {
namespace {

// "field = constant": the field and the constant's text.
bool equality(const CompareNode& compare, std::size_t& field, std::string& text)
{
    const auto* f = nodeAs<FieldNode>(&compare.left());
    if (compare.op() != Tok::Eq || compare.numeric() || !f || !compare.right().constant()
        || compare.constantOperand().null)
        return false;
    field = f->field();
    text = std::string(compare.constantOperand().text);
    return true;
}

// "value like '%x%'" where the value is the field, Upper(field) or, when
// `natural`, Natural(field) or Upper(Natural(field)).
bool contains(const LikeNode& like, bool natural, std::size_t& field, bool& upper, std::string& literal)
{
    const auto* c = nodeAs<CaseNode>(&like.operand());
    const Node* inner = c ? &c->arg() : &like.operand();
    if (natural) {
        const auto* n = nodeAs<NaturalNode>(inner);
        inner = n ? &n->arg() : nullptr;
    }
    const auto* f = nodeAs<FieldNode>(inner);
    const auto x = like.constantPattern() ? like.constantPattern()->contained() : std::nullopt;
    if (!f || (c && !c->upper()) || !x)
        return false;
    field = f->field();
    upper = c != nullptr;
    literal = std::string(*x);
    return true;
}

// "field like 'x%'" on the field itself.
bool begins(const LikeNode& like, std::size_t& field, std::string& literal)
{
    const auto* f = nodeAs<FieldNode>(&like.operand());
    const auto x = like.constantPattern() ? like.constantPattern()->prefix() : std::nullopt;
    if (!f || !x)
        return false;
    field = f->field();
    literal = std::string(*x);
    return true;
}

// "value like '%x%'" where the value is [Upper]([Plain]([Natural](field)))
// with Plain only around Natural: the term it is, on which field, and
// whether in capitals.
bool recogniseTerm(const LikeNode& like, Filter::Term& term, std::size_t& field, bool& upper)
{
    const Node* inner = &like.operand();
    const auto* c = nodeAs<CaseNode>(inner);
    if (c) {
        if (!c->upper())
            return false;
        inner = &c->arg();
    }
    const auto* plain = nodeAs<PlainNode>(inner);
    if (plain)
        inner = &plain->arg();
    const auto* natural = nodeAs<NaturalNode>(inner);
    if (natural)
        inner = &natural->arg();
    else if (plain)
        return false;
    const auto* f = nodeAs<FieldNode>(inner);
    const auto x = like.constantPattern() ? like.constantPattern()->contained() : std::nullopt;
    if (!f || !x)
        return false;
    term.form = plain ? Filter::Term::Form::PlainNatural
                      : natural ? Filter::Term::Form::Natural : Filter::Term::Form::Name;
    term.literal = std::string(*x);
    field = f->field();
    upper = c != nullptr;
    return true;
}

// The alternatives of an "or" tree, left to right.
void alternatives(const Node& node, std::vector<const Node*>& out)
{
    if (const auto* logic = nodeAs<LogicNode>(&node); logic && !logic->isAnd()) {
        alternatives(logic->left(), out);
        alternatives(logic->right(), out);
        return;
    }
    out.push_back(&node);
}

// "(field = constant) and (term or term …)" with the terms of EqualAndAny:
// those on the name all on the same field, in capitals alike, and the others
// on a field's beginning. Terms of beginnings alone (the units of a
// municipality, by the beginning of their codes) take the first one's field
// as the name's, which none of them reads.
bool anyOf(const Node& like, Filter::Shape& shape)
{
    std::vector<const Node*> nodes;
    alternatives(like, nodes);
    bool named = false;
    for (const Node* node : nodes) {
        const auto* test = nodeAs<LikeNode>(node);
        if (!test)
            return false;
        Filter::Term term;
        std::size_t field = 0;
        bool upper = false;
        if (begins(*test, term.field, term.literal)) {
            term.form = Filter::Term::Form::Prefix;
        } else if (!recogniseTerm(*test, term, field, upper)) {
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
    if (!named)
        shape.likeField = shape.terms.front().field;
    return true;
}

} // namespace

Filter::Shape shapeOf(const Node& root)
{
    Filter::Shape shape;
    const Node* equal = &root;
    const Node* like = nullptr;
    if (const auto* logic = nodeAs<LogicNode>(&root)) {
        if (!logic->isAnd())
            return shape;
        equal = &logic->left();
        like = &logic->right();
    }
    const auto* compare = nodeAs<CompareNode>(equal);
    if (!compare || !equality(*compare, shape.field, shape.text))
        return {};
    shape.kind = Filter::Shape::Kind::Equal;
    if (!like)
        return shape;
    const auto other = [&] {
        Filter::Shape any;
        any.field = shape.field;
        any.text = shape.text;
        if (!anyOf(*like, any))
            return Filter::Shape{};
        any.kind = Filter::Shape::Kind::EqualAndAny;
        return any;
    };
    if (const auto* node = nodeAs<LikeNode>(like)) {
        if (!contains(*node, false, shape.likeField, shape.upper, shape.literal))
            return other();
        shape.kind = Filter::Shape::Kind::EqualAndContains;
        return shape;
    }
    // (like on the name) or (like on its natural form), on one field, both
    // in capitals or neither; otherwise any of the search's terms.
    const auto* either = nodeAs<LogicNode>(like);
    if (!either || either->isAnd())
        return {};
    const auto* name = nodeAs<LikeNode>(&either->left());
    const auto* natural = nodeAs<LikeNode>(&either->right());
    std::size_t naturalField = 0;
    bool naturalUpper = false;
    if (!name || !natural || !contains(*name, false, shape.likeField, shape.upper, shape.literal)
        || !contains(*natural, true, naturalField, naturalUpper, shape.naturalLiteral)
        || naturalField != shape.likeField || naturalUpper != shape.upper)
        return other();
    shape.kind = Filter::Shape::Kind::EqualAndContainsOrNatural;
    return shape;
}

} // namespace catalogue::expression
