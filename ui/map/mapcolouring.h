#pragma once
// What the map is coloured by, and what that gives each area: its value, its
// class and colour, the legend's labels and the table's rows, highest first.

#include <QColor>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "classes.h"
#include "mapdata.h"
#include "mapfigures.h"

namespace map {

// The twelve dates, as the lists and the legend name them.
inline const QStringList& censusDates()
{
    static const QStringList dates = {"1900", "1910", "1920", "1930", "1940", "1950",
                                      "1960", "1970", "1981", "1991", "2001", "2004"};
    return dates;
}

struct Colouring {
    enum class Kind { None, Population, Change };
    Kind kind = Kind::None;
    int date = 10;  // Population: index into censusDates()
    int from = 0;   // Change: from 1900 ...
    int to = 10;    // ... to 2001
    bool byComarca = false;

    // "población en 1900", "variación de la población de 1900 a 2001",
    // with " por comarcas" where so; "sin colorear" for Kind::None.
    QString describe() const;
    // The table's value column: "Población en 1900", "Variación 1900–2001 (%)".
    QString valueHeading() const;
    bool operator==(const Colouring&) const = default;
};

class ColouredMap {
public:
    ColouredMap() = default;
    ColouredMap(const geo::MapData& map, const MunicipalFigures& figures, const Colouring& colouring);

    const Colouring& colouring() const { return colouring_; }
    const geo::Classes& classes() const { return classes_; }

    // Of area i of the map: its value (a municipality's own, or its comarca's
    // when coloured by comarcas), and its class (-1 "sin dato"; shared
    // territories and an uncoloured map have none either).
    std::optional<double> valueOf(int area) const { return areaValues_[area]; }
    int classOf(int area) const { return areaClasses_[area]; }
    QColor colourOf(int area) const;
    QColor classColour(int cls) const;

    // A value as the legend, the table and the pointer show it: "1.234"
    // for a population, "−12,3 %" for a change.
    QString formatValue(double value) const;
    // One label per class: "menos de 100", "100 a 249", "50.000 o más";
    // "menos de −50 %", "−50 % a −25 %", "100 % o más".
    QStringList legendLabels() const;

    struct Row {
        QString name;
        QString comarca;       // of a municipality; empty for a comarca row
        QString code;          // a municipality's INE code; empty for a comarca
        int comarcaIndex = -1; // for a comarca row
        std::optional<double> value;
        int cls = -1;
    };
    // The municipalities (or comarcas), highest value first, "sin dato" last
    // in order of name; uncoloured, every municipality by name.
    const std::vector<Row>& rows() const { return rows_; }

private:
    std::optional<double> measure(const std::optional<std::int64_t>& a, const std::optional<std::int64_t>& b) const;

    Colouring colouring_;
    geo::Classes classes_;
    std::vector<std::optional<double>> areaValues_;
    std::vector<int> areaClasses_;
    std::vector<Row> rows_;
};

QString provinceName(int province);

} // namespace map
