#include "mapfigures.h"

#include "numbers.h"
#include "store.h"
#include "units.h"

namespace map {

MunicipalFigures figuresFromStore(const catalogue::Store& store)
{
    MunicipalFigures figures;
    const catalogue::Table& table = store.table();
    const int kind = table.fieldIndex("TIPONUM");
    const int name = table.fieldIndex("NOMBREMOST");
    const int code = table.fieldIndex(catalogue::kCodeField);
    if (kind < 0 || name < 0 || code < 0)
        return figures;
    std::array<int, 12> census{};
    for (std::size_t i = 0; i < census.size(); ++i) {
        census[i] = table.fieldIndex(catalogue::kCensusFields[i]);
        if (census[i] < 0)
            return figures;
    }
    for (std::size_t r = 0; r < table.recordCount(); ++r) {
        if (table.text(r, kind) != "2")
            continue;
        MunicipalityFigures f;
        f.name = std::string(table.text(r, name));
        for (std::size_t i = 0; i < census.size(); ++i)
            if (!table.isNull(r, census[i]))
                f.census[i] = catalogue::parseInteger(table.text(r, census[i]), catalogue::Dots::Ignored);
        figures.emplace(std::string(table.text(r, code)), std::move(f));
    }
    return figures;
}

} // namespace map
