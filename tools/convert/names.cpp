#include "names.h"

#include <algorithm>

#include "cp1252.h"

namespace convert {

namespace cp1252 = catalogue::cp1252;

std::string dictionaryName(const std::string& name)
{
    for (std::string_view article : {"El", "La", "Los", "Las"}) {
        const std::string a(article);
        if (name.size() > a.size() + 2 && name.ends_with(", " + a))
            return name.substr(0, name.size() - a.size() - 2) + " (" + a + ")";
        if (name.size() > a.size() + 1 && name.starts_with(a + " "))
            return name.substr(a.size() + 1) + " (" + a + ")";
    }
    return name;
}

std::string inProse(const std::string& dictionary)
{
    for (std::string_view article : {"El", "La", "Los", "Las"}) {
        const std::string suffix = " (" + std::string(article) + ")";
        if (dictionary.size() > suffix.size() && dictionary.ends_with(suffix))
            return std::string(article) + " " + cp1252::toUtf8(dictionary.substr(0, dictionary.size() - suffix.size()));
    }
    return cp1252::toUtf8(dictionary);
}

std::vector<std::string> nameWords(std::string_view cp1252Name)
{
    std::string plain = cp1252::upper(cp1252::withoutAcuteAccents(cp1252Name));
    for (char& c : plain) {
        if (c == '\xD1') // Ñ
            c = 'N';
        else if (c == '\xDC') // Ü
            c = 'U';
        else if (c == '-' || c == ',' || c == '(' || c == ')')
            c = ' ';
    }
    std::vector<std::string> words;
    for (std::size_t start = 0; start < plain.size();) {
        const std::size_t end = std::min(plain.find(' ', start), plain.size());
        const std::string word = plain.substr(start, end - start);
        if (word == "DEL")
            words.emplace_back("DE");
        else if (!word.empty() && word != "EL" && word != "LA" && word != "LOS" && word != "LAS")
            words.push_back(word);
        start = end + 1;
    }
    return words;
}

} // namespace convert
