// Fuzz target: the filter expression parser and evaluator. Any text either
// compiles, and then evaluates on every record, or fails with a FilterError.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "collation.h"
#include "error.h"
#include "filter.h"
#include "table.h"

using namespace catalogue;

namespace {

Table makeTable()
{
    std::vector<FieldDef> fields = {{"IDENT", FieldKind::String, 5},       {"TIPONUM", FieldKind::String, 1},
                                    {"NOMBREBUSC", FieldKind::String, 46}, {"NOMBREDICC", FieldKind::String, 46},
                                    {"NOMBREMOST", FieldKind::String, 55}, {"COMENTARIO", FieldKind::Memo, 1},
                                    {"1900", FieldKind::String, 7},        {"CODIGO", FieldKind::String, 11}};
    Table table(fields, kSpanishTraditional);
    using V = std::optional<std::string>;
    table.addRecord({V("20001"), V("2"), V("Abay"), V("Abay"), V("Abay"), V("Municipio de Huesca."), V("488"), V("22001")});
    table.addRecord({V("20015"), V("2"), V("Pe\xF1" "alba"), V("Pe\xF1" "alba"), V("Pe\xF1" "alba"),
                     V("Municipio con 50% de regad\xEDo."), V("1.016"), V("22002")});
    table.addRecord({V("30007"), V("3"), V("Hostal"), V("El Ciervo"), std::nullopt, V("Entidad."), std::nullopt, V("220010001")});
    table.addRecord({V("30008"), V("3"), V("Fuen-Santa (La)"), V("Fuen-Santa (La)"), V(""), V(""), V("-"), std::nullopt});
    table.addRecord({V("40001"), V("4"), V("Casa O'Donnell"), V("Casa O'Donnell"), V("Casa O'Donnell"),
                     V("N\xFA" "cleo."), V("0"), V("22001000101")});
    return table;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const Table table = makeTable();
    static const Collation collation(kSpanishTraditional);
    try {
        const Filter filter = Filter::compile(std::string_view(reinterpret_cast<const char*>(data), size), table,
                                              collation);
        for (std::size_t r = 0; r < table.recordCount(); ++r)
            (void)filter.matches(r);
    } catch (const FilterError&) {
    }
    return 0;
}
