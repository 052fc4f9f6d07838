// Fuzz target: the territory table reader. Any input either gives a territory
// or a TerritoryError; in a territory every municipality's holders are current
// municipalities holding it, and the units of each give three filters.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "error.h"
#include "territory.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const catalogue::Territory territory = catalogue::Territory::read(text);
        // Five-digit codes of the input, wherever they stand.
        for (std::size_t at = 0; at + 5 <= text.size(); ++at) {
            const std::string_view code = text.substr(at, 5);
            const auto units = territory.unitsOfMunicipality(code);
            if (catalogue::municipalityCodeOf(code) && !units)
                std::abort();
            for (const std::string& holder : territory.currentHolders(code))
                if (!territory.isCurrent(holder))
                    std::abort();
            if (territory.isCurrent(code) && territory.comarcasOf(code).size() != 1)
                std::abort();
            if (units && (units->current.empty() || units->municipalities.empty()))
                std::abort();
        }
    } catch (const catalogue::TerritoryError&) {
    }
    return 0;
}
