#pragma once
// The catalogue CSV's quoting: a value between double quotes, with each
// double quote inside it written twice.

#include <string>
#include <string_view>

inline void appendQuoted(std::string& out, std::string_view value)
{
    out += '"';
    for (char c : value) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}
