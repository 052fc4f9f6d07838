#pragma once
// The forms of a place name: as the catalogue stores it, as a sentence writes
// it, and as INE's descriptions of changes are matched to it.

#include <string>
#include <string_view>
#include <vector>

namespace convert {

// The dictionary form of a name: an article that the source puts after a comma
// ("Molinos, Los") or before the name ("La Almunia de Doña Godina") goes behind
// it in parentheses: "Molinos (Los)", "Almunia de Doña Godina (La)". Any encoding.
std::string dictionaryName(const std::string& name);

// A cp1252 dictionary name as a sentence writes it, in UTF-8: the article first
// ("Peñas de Riglos (Las)" is "Las Peñas de Riglos"), as the place is named.
std::string inProse(const std::string& dictionary);

// The words of a cp1252 name, to compare names as INE's descriptions of changes
// may spell them ("Penas de Riglos, Las", "Foradada de Toscar" for "Foradada
// del Toscar"): capitals without accents, "Ñ" as "N" and "Ü" as "U", no
// articles, "del" as "de"; hyphens, commas and parentheses part words.
std::vector<std::string> nameWords(std::string_view cp1252Name);

} // namespace convert
