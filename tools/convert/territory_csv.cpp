#include "territory_csv.h"

#include <map>

namespace convert {

std::optional<std::string> territoryCsv(const Sources& sources, Problems& problems)
{
    std::map<std::string, std::string> rows; // by INE code: the cells after it
    bool ok = true;
    for (const auto& [ine, current] : sources.current) {
        if (current.comarca.find_first_of(",\"\r\n") != std::string::npos) {
            problems.add(sources.comarcaFile, "el nombre de la comarca " + shown(current.comarca)
                                                  + " no cabe en una celda sin comillas");
            ok = false;
        }
        rows[ine] = ine + ',' + current.comarcaCode + ',' + current.comarca;
    }
    for (const Historical& historical : sources.historical) {
        std::string successors;
        for (const std::string& code : historical.successors)
            successors += (successors.empty() ? "" : ";") + code;
        rows[historical.ine] = successors + ",,";
    }
    if (!ok)
        return std::nullopt;
    std::string out = "ine,territorio_actual,comarca_codigo,comarca\n";
    for (const auto& [ine, cells] : rows)
        out += ine + ',' + cells + '\n';
    return out;
}

} // namespace convert
