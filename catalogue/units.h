#pragma once
// The population-unit record: its fields as the catalogue stores them.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "table.h"

namespace catalogue {

// The twelve census fields, in record order: the censuses of 1900 to 2001 and
// the municipal register of 2004.
inline constexpr std::array<std::string_view, 12> kCensusFields = {
    "1900", "1910", "1920", "1930", "1940", "1950", "1960", "1970", "1981", "1991", "2001", "2004"};

// The field that gives a unit's code: the five-digit INE code of a
// municipality, the nine-digit nomenclátor code of an entity, the eleven-digit
// code of a nucleus. The catalogue's first packets were written without it.
inline constexpr std::string_view kCodeField = "CODIGO";

// The eighteen fields that every catalogue carries, with their widths in
// bytes, in stored order.
inline std::vector<FieldDef> unitFieldsWithoutCode()
{
    std::vector<FieldDef> fields = {
        {"IDENT", FieldKind::String, 5},       {"TIPONUM", FieldKind::String, 1},
        {"NOMBREBUSC", FieldKind::String, 46}, {"NOMBREDICC", FieldKind::String, 46},
        {"NOMBREMOST", FieldKind::String, 55}, {"COMENTARIO", FieldKind::Memo, 1},
    };
    for (std::string_view year : kCensusFields)
        fields.push_back({std::string(year), FieldKind::String, 7});
    return fields;
}

// The nineteen fields of a unit as this edition writes them: the eighteen,
// then CODIGO.
inline std::vector<FieldDef> unitFields()
{
    std::vector<FieldDef> fields = unitFieldsWithoutCode();
    fields.push_back({std::string(kCodeField), FieldKind::String, 11});
    return fields;
}

} // namespace catalogue
