#include "search.h"

#include <algorithm>

#include "cp1252.h"

namespace catalogue {

namespace {

// The text with every "-" made a space.
std::string spaced(std::string s)
{
    std::replace(s.begin(), s.end(), '-', ' ');
    return s;
}

// The text as the inside of a quoted literal: a quote written twice.
std::string quotedInside(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 4);
    for (char c : text) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    return out;
}

} // namespace

// Written into one string, sized once: the search builds three at every key
// typed.
std::string nameSearchFilter(UnitKind kind, std::string_view text, bool withCodes)
{
    const std::string inside = quotedInside(text);
    const std::string tidied = withSpacesTidied(text);
    const std::string tidiedInside = spaced(quotedInside(tidied));
    const bool natural = text.find_first_of(" -") != std::string_view::npos;
    const bool retidied = tidied != text;
    const bool plain = tidiedInside.find_first_of("NU") != std::string::npos;
    const bool code = withCodes && !tidied.empty() && tidied.find_first_not_of("0123456789") == std::string::npos;
    const bool alternatives = natural || retidied || plain || code;

    std::string out;
    out.reserve(256 + 2 * inside.size() + 3 * tidiedInside.size());
    out.append("(").append(kindFilter(kind)).append(") and ");
    if (alternatives)
        out += '(';
    out.append("(Upper(nombrebusc) like '%").append(inside).append("%')");
    if (natural)
        out.append(" or (Upper(Natural(nombrebusc)) like '%").append(spaced(inside)).append("%')");
    if (retidied)
        out.append(" or (Upper(Natural(nombrebusc)) like '%").append(tidiedInside).append("%')");
    if (plain)
        out.append(" or (Upper(Plain(Natural(nombrebusc))) like '%").append(tidiedInside).append("%')");
    if (code)
        out.append(" or (codigo like '").append(tidied).append("%')");
    if (alternatives)
        out += ')';
    return out;
}

std::string withSpacesTidied(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != ' ' || (!out.empty() && out.back() != ' '))
            out += c;
    if (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

void appendPlainName(std::string_view name, std::string& out)
{
    for (char c : name) {
        switch (static_cast<unsigned char>(c)) {
        case 0xF1: out += 'n'; break; // ñ
        case 0xD1: out += 'N'; break; // Ñ
        case 0xFC: out += 'u'; break; // ü
        case 0xDC: out += 'U'; break; // Ü
        default: out += c;
        }
    }
}

void appendNaturalName(std::string_view name, std::string& out)
{
    const std::size_t start = out.size();
    std::string_view rest = name;
    if (name.size() >= 2 && name.back() == ')') {
        const std::size_t open = name.rfind(" (");
        if (open != std::string_view::npos && open > 0) {
            const std::string_view article = name.substr(open + 2, name.size() - open - 3);
            for (std::string_view known : {"El", "La", "Los", "Las", "Els"}) {
                if (cp1252::equalIgnoringCase(article, known)) {
                    out.append(article).append(" ");
                    rest = name.substr(0, open);
                    break;
                }
            }
        }
    }
    out.append(rest);
    std::replace(out.begin() + static_cast<std::ptrdiff_t>(start), out.end(), '-', ' ');
}

std::string naturalName(std::string_view name)
{
    std::string out;
    out.reserve(name.size());
    appendNaturalName(name, out);
    return out;
}

} // namespace catalogue
