#pragma once
// Units of resources/pueblos.csv as the main window hands them to the
// comparison: code, display name, kind and the twelve census texts.
#include <vector>

#include "comparedunit.h"

namespace compare_test {

inline ComparedUnit unit(const QString& code, const QString& name, const QString& kind,
                         const std::array<const char*, 12>& values)
{
    ComparedUnit result{code, name, kind, {}};
    for (std::size_t i = 0; i < values.size(); ++i)
        result.values[i] = QString::fromUtf8(values[i]);
    return result;
}

inline ComparedUnit zaragoza()
{
    return unit("50297", "Zaragoza", "Municipio",
                {"98.397", "109.957", "138.617", "160.179", "202.948", "241.867", "301.655", "467.223", "569.830",
                 "592.548", "612.472", "638.799"});
}

inline ComparedUnit vencillon()
{
    return unit("22909", "Vencillón", "Municipio",
                {"-", "-", "-", "-", "149", "147", "88", "456", "542", "514", "468", "446"});
}

inline ComparedUnit huesca()
{
    return unit("22125", "Huesca", "Municipio",
                {"13.683", "13.964", "16.026", "17.383", "17.500", "21.066", "23.601", "32.119", "41.455", "44.165",
                 "46.243", "47.923"});
}

inline ComparedUnit abay()
{
    return unit("22500", "Abay -- municipio histórico", "Municipio",
                {"488", "462", "442", "516", "505", "-", "-", "-", "-", "-", "-", "-"});
}

// The entity of Huesca: the catalogue has no figures of entities.
inline ComparedUnit huescaEntity()
{
    return unit("221250008", "Huesca", "Entidad",
                {"-", "-", "-", "-", "-", "-", "-", "-", "-", "-", "-", "-"});
}

// Ten units: Zaragoza, Huesca, Teruel, Vencillón, Abay and five of the first
// municipalities of Zaragoza by code.
inline std::vector<ComparedUnit> tenUnits()
{
    return {zaragoza(), huesca(),
            unit("44216", "Teruel", "Municipio", {"12.745", "15.832", "15.145", "16.384", "16.436", "20.337", "21.800", "22.100", "25.935", "28.487", "31.158", "32.580"}),
            vencillon(), abay(),
            unit("50001", "Abanto", "Municipio", {"633", "672", "769", "810", "833", "857", "644", "405", "287", "221", "167", "155"}),
            unit("50002", "Acered", "Municipio", {"745", "756", "798", "676", "690", "726", "615", "502", "432", "325", "259", "236"}),
            unit("50003", "Agón", "Municipio", {"499", "416", "422", "340", "325", "338", "328", "297", "254", "229", "186", "193"}),
            unit("50004", "Aguarón", "Municipio", {"2.275", "2.271", "2.264", "1.885", "1.765", "1.698", "1.365", "1.106", "894", "759", "751", "776"}),
            unit("50005", "Aguilón", "Municipio", {"982", "1.091", "1.198", "1.163", "965", "1.048", "787", "612", "354", "267", "287", "290"})};
}

// An eleventh.
inline ComparedUnit ainzon()
{
    return unit("50006", "Ainzón", "Municipio", {"2.061", "1.751", "1.796", "1.960", "1.926", "1.881", "1.741", "1.530", "1.313", "1.226", "1.235", "1.229"});
}

} // namespace compare_test
