#pragma once
// A unit as the comparison holds it: what the main window knows of it when
// it is added, kept while the program runs.

#include <QString>
#include <array>
#include <cstdint>

#include "series.h"

struct ComparedUnit {
    QString code;                  // CODIGO; empty where the catalogue has none
    QString name;                  // the display name, as the legend and the table give it
    QString kind;                  // "Municipio", "Entidad de población", "Núcleo"…
    std::array<QString, 12> values; // the twelve census texts as stored: "98.397", "-" for none
    // The catalogue's IDENT, by which an export finds the rest of the
    // record (municipality, comarca); -1 when not given.
    std::int32_t ident = -1;

    // The figures the values hold; nothing for "-".
    catalogue::series::Figures figures() const
    {
        catalogue::series::Figures figures{};
        for (std::size_t date = 0; date < figures.size(); ++date)
            figures[date] = catalogue::series::parseFigure(values[date].toStdString());
        return figures;
    }

    // Two entries are the same unit when their codes agree, or, without a
    // code, their kinds and names.
    bool sameUnitAs(const ComparedUnit& other) const
    {
        if (!code.isEmpty() || !other.code.isEmpty())
            return code == other.code;
        return kind == other.kind && name == other.name;
    }
};
