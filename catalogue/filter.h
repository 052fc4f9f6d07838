#pragma once
// The filter expression language of the views: compiled once, evaluated per record.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "collation.h"
#include "table.h"

namespace catalogue {

class Filter {
public:
    Filter();
    ~Filter();
    Filter(Filter&&) noexcept;
    Filter& operator=(Filter&&) noexcept;

    // Compiles a cp1252 filter text against the fields of `table`. Besides
    // fields, constants, comparisons, like, is [not] null, and, or, not and
    // arithmetic, the language has four functions of one text: Upper(x) and
    // Lower(x), the text in capitals or small letters by code page 1252,
    // Natural(x), the text as a name people write it (naturalName in
    // search.h: "Almunia de Doña Godina (La)" gives "La Almunia de Doña
    // Godina", "Aínsa-Sobrarbe" gives "Aínsa Sobrarbe"), and Plain(x), the
    // text with "ñ" and "ü" as "n" and "u" (appendPlainName in search.h:
    // "Peñas de Riglos" gives "Penas de Riglos"). Each gives null for
    // null, and takes a text or a note; another argument, none or two are
    // errors as for any expression in the wrong place. Throws
    // FilterError with the message of the system's table. `table` and
    // `collation` must outlive the filter.
    static Filter compile(std::string_view text, const Table& table, const Collation& collation);

    // Whether the record passes. A filter of an empty text (blanks and
    // comments only) passes every record. The compiled filter keeps scratch
    // space of its own: one thread at a time.
    bool matches(std::size_t record) const;

    // The filters the main window builds, recognised when compiled so that
    // they can be answered from the catalogue's indexes:
    //   field = constant                                   (Equal)
    //   (field = constant) and (Upper(other) like '%x%')   (EqualAndContains)
    //   (field = constant) and ((Upper(other) like '%x%')
    //       or (Upper(Natural(other)) like '%y%'))         (EqualAndContainsOrNatural)
    //   (field = constant) and (any of several like tests)    (EqualAndAny)
    // the like sides also without Upper (then on both sides). Passing records
    // are exactly those whose `field` is not null and equal to `text` under
    // the table locale and, for EqualAndContains, whose `likeField` is not
    // null and, in capitals when `upper`, contains `literal`; for
    // EqualAndContainsOrNatural, also those whose `likeField` is not null and
    // whose natural form (naturalName), in capitals when `upper`, contains
    // `naturalLiteral`. EqualAndAny is the search as people type it
    // (nameSearchFilter): alternatives in parentheses joined by "or", each a
    // Term: a text that `likeField` (Upper(x) when `upper`, the same for
    // all), or its natural form (Natural(x)), or the plain form of that
    // (Plain(Natural(x))), contains (like '%x%'); or a text that a field of
    // its own begins with (field like 'x%', without functions). A record
    // passes when any term lets it through. The terms may all be beginnings
    // (the units of a municipality: "(tiponum = 3) and ((codigo like
    // '22907%') or (codigo like '22066%'))"), and one term alone stands
    // without the parentheses of an "or".
    struct Term {
        enum class Form { Name, Natural, PlainNatural, Prefix };
        Form form = Form::Name;
        std::size_t field = 0; // of a Prefix; the others test `likeField`
        std::string literal;
    };
    struct Shape {
        enum class Kind { Other, Equal, EqualAndContains, EqualAndContainsOrNatural, EqualAndAny };
        Kind kind = Kind::Other;
        std::size_t field = 0;
        std::string text;
        std::size_t likeField = 0;
        bool upper = false;
        std::string literal;
        std::string naturalLiteral;
        std::vector<Term> terms; // of EqualAndAny
    };
    const Shape& shape() const { return shape_; }

    struct Node;

private:
    std::unique_ptr<Node> root_;
    Shape shape_;
    const Table* table_ = nullptr;
    const Collation* collation_ = nullptr;
};

// Whether the text holds only ASCII letters and digits: two such texts are
// equal under the table locale only when they are equal byte for byte.
bool plainText(std::string_view text);

} // namespace catalogue
