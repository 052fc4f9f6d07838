#include "search.h"

#include <algorithm>

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

std::string nameSearchFilter(int kind, std::string_view text)
{
    const std::string kindTest = "(tiponum = " + std::to_string(kind) + ") and ";
    const std::string inside = quotedInside(text);
    const std::string today = "(Upper(nombrebusc) like '%" + inside + "%')";
    if (text.find_first_of(" -") == std::string_view::npos)
        return kindTest + today;
    std::string spaced = inside;
    std::replace(spaced.begin(), spaced.end(), '-', ' ');
    return kindTest + "(" + today + " or (Upper(Natural(nombrebusc)) like '%" + spaced + "%'))";
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
