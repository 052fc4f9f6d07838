#pragma once
// The name search of the main window: the text typed in the search box turned
// into the filters of the three lists, and the names as people write them.

#include <string>
#include <string_view>

#include "unitkind.h"

namespace catalogue {

// The filter of the list of the units of `kind` (K its TIPONUM) for a search text T: the search
// box's text (code page 1252, in capitals) without acute accents. A
// quote in T is written twice, so that it is searched as typed; "%", "_" and
// "\" keep their meaning as pattern characters. A text with neither a space
// nor a hyphen gives
//     (tiponum = K) and (Upper(nombrebusc) like '%T%')
// and any other text
//     (tiponum = K) and ((Upper(nombrebusc) like '%T%')
//                        or (Upper(Natural(nombrebusc)) like '%T2%'))
// (on one line, one space between the parts), T2 being T with every "-" made
// a space. The second form passes every record the first passes, and also the
// names that hold T as people write them: "LA ALMUNIA" finds "Almunia de Doña
// Godina (La)", "AINSA SOBRARBE" and "AINSA-SOBRARBE" find "Aínsa-Sobrarbe".
// (A leading article is always followed by a space, so a text that starts with
// one takes the second form.)
//
// Those are the filters of a text typed as the names are written. A text
// that people type otherwise finds more, and never less, in the same order:
// the filter above gets further alternatives, each in parentheses after an
// "or" inside the second pair of parentheses, as needed:
//   - (Upper(Natural(nombrebusc)) like '%N2%'), N being T without spaces at
//     either end and with each run of spaces taken as one, N2 being N with
//     every "-" made a space, where N2 is not T2 ("BIEL " finds Biel, "LA
//     ALMUNIA" with two spaces La Almunia de Doña Godina);
//   - (Upper(Plain(Natural(nombrebusc))) like '%N2%') where N2 holds an "N" or
//     a "U": the "ñ" and "ü" of the names matched by "n" and "u" as well
//     ("ALCANIZ" finds Alcañiz, "ANGUES" Angüés); a text typed with "Ñ" still
//     finds only names with "ñ";
//   - (codigo like 'N%') where N is digits only and `withCodes` (the
//     catalogue has the field CODIGO): the units whose code begins with them
//     ("22909" finds Vencillón).
std::string nameSearchFilter(UnitKind kind, std::string_view text, bool withCodes = false);

// A text as the search takes it: no spaces at either end, each run of spaces
// one space.
std::string withSpacesTidied(std::string_view text);

// A name with its "ñ", "Ñ", "ü" and "Ü" made "n", "N", "u" and "U" (code page
// 1252), appended to `out`; every other byte kept.
void appendPlainName(std::string_view name, std::string& out);

// A name as people write it: an article that the name puts behind it, as its
// last word in parentheses after a space ("Almunia de Doña Godina (La)",
// "Fayos (Los)"), put first ("La Almunia de Doña Godina", "Los Fayos"), then
// every "-" made a space ("Aínsa-Sobrarbe" gives "Aínsa Sobrarbe"). The
// articles are El, La, Los, Las and Els, in any letter case, kept as written;
// something must stand before the parentheses ("(La)" stays "(La)"). Any
// other word in parentheses ("Aldea (Caserío)") stays where it is. Appended
// to `out`; capitals and accents are left as they are, so the natural form of
// a name in capitals is the name's natural form in capitals.
void appendNaturalName(std::string_view name, std::string& out);
std::string naturalName(std::string_view name);

} // namespace catalogue
