#include "mapcolouring.h"

#include <QCollator>
#include <algorithm>

#include "cp1252text.h"
#include "numbers.h"

namespace map {

namespace {

QString spanish(const std::string& text)
{
    return QString::fromStdString(text).replace(QLatin1Char('-'), QChar(0x2212));
}

std::optional<std::int64_t> figureAt(const MunicipalityFigures* f, int date)
{
    if (!f || date < 0 || date >= 12 || !f->census[date])
        return std::nullopt;
    return *f->census[date];
}

} // namespace

QString provinceName(int province)
{
    switch (province) {
    case 22: return QStringLiteral("Huesca");
    case 44: return QStringLiteral("Teruel");
    case 50: return QStringLiteral("Zaragoza");
    default: return {};
    }
}

QString Colouring::describe() const
{
    QString text;
    switch (kind) {
    case Kind::None: return QStringLiteral("sin colorear");
    case Kind::Population: text = QStringLiteral("población en %1").arg(censusDates().value(date)); break;
    case Kind::Change:
        text = QStringLiteral("variación de la población de %1 a %2")
                   .arg(censusDates().value(from), censusDates().value(to));
        break;
    }
    if (byComarca)
        text += QStringLiteral(" por comarcas");
    return text;
}

QString Colouring::valueHeading() const
{
    switch (kind) {
    case Kind::Population: return QStringLiteral("Población en %1").arg(censusDates().value(date));
    case Kind::Change:
        return QStringLiteral("Variación %1–%2 (%)").arg(censusDates().value(from), censusDates().value(to));
    case Kind::None: break;
    }
    return QStringLiteral("Población en 2004");
}

std::optional<double> ColouredMap::measure(const std::optional<std::int64_t>& a,
                                           const std::optional<std::int64_t>& b) const
{
    if (colouring_.kind == Colouring::Kind::Population)
        return a ? std::optional<double>(static_cast<double>(*a)) : std::nullopt;
    if (colouring_.kind == Colouring::Kind::Change)
        return geo::percentChange(a ? std::optional<double>(static_cast<double>(*a)) : std::nullopt,
                                  b ? std::optional<double>(static_cast<double>(*b)) : std::nullopt);
    return std::nullopt;
}

ColouredMap::ColouredMap(const geo::MapData& map, const MunicipalFigures& figures, const Colouring& colouring)
    : colouring_(colouring)
{
    const auto& areas = map.areas();
    const bool coloured = colouring.kind != Colouring::Kind::None;
    const int first = colouring.kind == Colouring::Kind::Change ? colouring.from : colouring.date;
    const int second = colouring.to;
    std::vector<const MunicipalityFigures*> of(areas.size(), nullptr);
    for (std::size_t i = 0; i < areas.size(); ++i) {
        const auto it = figures.find(areas[i].code);
        if (areas[i].kind == geo::AreaKind::Municipality && it != figures.end())
            of[i] = &it->second;
    }
    const auto nameOf = [&](std::size_t i) {
        return of[i] ? ui::fromCp1252(of[i]->name) : QString::fromStdString(areas[i].code);
    };
    const auto comarcaOf = [&](int c) { return c < 0 ? QString() : ui::fromCp1252(map.comarcas()[c].name); };

    areaValues_.assign(areas.size(), std::nullopt);
    areaClasses_.assign(areas.size(), -1);
    std::vector<std::optional<double>> classified;
    if (colouring.byComarca && coloured) {
        // A comarca's figure at a date is the sum of its municipalities' that
        // have one there: a municipality without a figure (not yet one, or
        // counted in another) takes nothing away from the comarca's people.
        const std::size_t n = map.comarcas().size();
        std::vector<std::optional<std::int64_t>> sumA(n), sumB(n);
        for (std::size_t i = 0; i < areas.size(); ++i) {
            const int c = areas[i].comarca;
            if (c < 0 || !of[i])
                continue;
            if (const auto a = figureAt(of[i], first))
                sumA[c] = sumA[c].value_or(0) + *a;
            if (const auto b = figureAt(of[i], second))
                sumB[c] = sumB[c].value_or(0) + *b;
        }
        std::vector<std::optional<double>> values(n);
        for (std::size_t c = 0; c < n; ++c)
            values[c] = measure(sumA[c], sumB[c]);
        classes_ = geo::Classes::of(values, colouring.kind == Colouring::Kind::Change ? geo::Measure::Change
                                                                                      : geo::Measure::Population);
        for (std::size_t c = 0; c < n; ++c) {
            Row row;
            row.name = comarcaOf(static_cast<int>(c));
            row.comarcaIndex = static_cast<int>(c);
            row.value = values[c];
            row.cls = values[c] ? classes_.classOf(*values[c]) : -1;
            rows_.push_back(row);
        }
        for (std::size_t i = 0; i < areas.size(); ++i)
            if (areas[i].comarca >= 0) {
                areaValues_[i] = values[areas[i].comarca];
                areaClasses_[i] = rows_[areas[i].comarca].cls;
            }
    } else {
        for (std::size_t i = 0; i < areas.size(); ++i) {
            if (areas[i].kind != geo::AreaKind::Municipality)
                continue;
            areaValues_[i] = measure(figureAt(of[i], first), figureAt(of[i], second));
            if (!coloured)
                areaValues_[i] = figureAt(of[i], 11).has_value()
                                     ? std::optional<double>(static_cast<double>(*figureAt(of[i], 11)))
                                     : std::nullopt;
            classified.push_back(areaValues_[i]);
        }
        classes_ = geo::Classes::of(classified, colouring.kind == Colouring::Kind::Change ? geo::Measure::Change
                                                                                         : geo::Measure::Population);
        for (std::size_t i = 0; i < areas.size(); ++i) {
            if (areas[i].kind != geo::AreaKind::Municipality)
                continue;
            if (coloured && areaValues_[i])
                areaClasses_[i] = classes_.classOf(*areaValues_[i]);
            Row row;
            row.name = nameOf(i);
            row.comarca = comarcaOf(areas[i].comarca);
            row.code = QString::fromStdString(areas[i].code);
            row.value = areaValues_[i];
            row.cls = areaClasses_[i];
            rows_.push_back(row);
        }
    }
    QCollator collator(QLocale(QLocale::Spanish, QLocale::Spain));
    std::stable_sort(rows_.begin(), rows_.end(), [&](const Row& a, const Row& b) {
        if (coloured && a.value.has_value() != b.value.has_value())
            return a.value.has_value();
        if (coloured && a.value && *a.value != *b.value)
            return *a.value > *b.value;
        return collator.compare(a.name, b.name) < 0;
    });
}

QColor ColouredMap::classColour(int cls) const
{
    return QColor::fromRgb(classes_.colour(static_cast<std::size_t>(cls)));
}

QColor ColouredMap::colourOf(int area) const
{
    const int cls = areaClasses_[area];
    return cls < 0 ? QColor() : classColour(cls);
}

QString ColouredMap::formatValue(double value) const
{
    if (colouring_.kind == Colouring::Kind::Change)
        return spanish(catalogue::formatDecimal(value, 1)) + QStringLiteral(" %");
    return spanish(catalogue::formatInteger(static_cast<std::int64_t>(value)));
}

QStringList ColouredMap::legendLabels() const
{
    QStringList labels;
    const auto& limits = classes_.limits();
    const bool change = colouring_.kind == Colouring::Kind::Change;
    const auto limit = [&](double v) {
        return change ? spanish(catalogue::formatDecimal(v, 1)) + QStringLiteral(" %")
                      : spanish(catalogue::formatInteger(static_cast<std::int64_t>(v)));
    };
    // A population class holds whole numbers: its upper end is the next limit less one.
    const auto below = [&](double v) {
        return change ? limit(v) : spanish(catalogue::formatInteger(static_cast<std::int64_t>(v) - 1));
    };
    if (limits.empty()) {
        labels << QStringLiteral("todos");
        return labels;
    }
    labels << QStringLiteral("menos de %1").arg(limit(limits.front()));
    for (std::size_t i = 1; i < limits.size(); ++i)
        labels << QStringLiteral("%1 a %2").arg(limit(limits[i - 1]), below(limits[i]));
    labels << QStringLiteral("%1 o más").arg(limit(limits.back()));
    return labels;
}

} // namespace map
