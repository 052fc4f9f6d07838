#include "search.h"

#include <algorithm>
#include <vector>

#include "cp1252.h"

namespace catalogue {

namespace {

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

std::string nameSearchFilter(UnitKind kind, std::string_view text, bool withCodes)
{
    const std::string kindTest = "(" + kindFilter(kind) + ") and ";
    const std::string inside = quotedInside(text);
    const std::string today = "(Upper(nombrebusc) like '%" + inside + "%')";
    const auto spaced = [](std::string s) {
        std::replace(s.begin(), s.end(), '-', ' ');
        return s;
    };
    std::vector<std::string> alternatives;
    const bool natural = text.find_first_of(" -") != std::string_view::npos;
    if (natural)
        alternatives.push_back("(Upper(Natural(nombrebusc)) like '%" + spaced(inside) + "%')");

    const std::string tidied = withSpacesTidied(text);
    const std::string tidiedInside = spaced(quotedInside(tidied));
    if (tidied != text)
        alternatives.push_back("(Upper(Natural(nombrebusc)) like '%" + tidiedInside + "%')");
    if (tidiedInside.find_first_of("NU") != std::string::npos)
        alternatives.push_back("(Upper(Plain(Natural(nombrebusc))) like '%" + tidiedInside + "%')");
    if (withCodes && !tidied.empty() && tidied.find_first_not_of("0123456789") == std::string::npos)
        alternatives.push_back("(codigo like '" + tidied + "%')");

    if (alternatives.empty())
        return kindTest + today;
    std::string out = kindTest + "(" + today;
    for (const std::string& alternative : alternatives)
        out += " or " + alternative;
    return out + ")";
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
