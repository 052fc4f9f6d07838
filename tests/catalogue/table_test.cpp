// The record table: fields by name, values and nulls.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "table.h"

using catalogue::FieldKind;
using catalogue::Table;

TEST(Table, FieldsByNameValuesAndNulls)
{
    Table t({{"IDENT", FieldKind::String, 5}, {"A\xD1O", FieldKind::String, 4}, {"NOTA", FieldKind::Memo, 1}}, 1034);
    t.addRecord({std::string("20001"), std::string("1900"), std::string("Una nota.")});
    t.addRecord({std::string("20002"), std::nullopt, std::string()});
    // Names regardless of case, ñ included; no prefix or accent folding.
    for (const auto& [name, index] : std::vector<std::pair<std::string, int>>{
             {"ident", 0}, {"Ident", 0}, {"a\xF1o", 1}, {"IDEN", -1}, {"IDENTS", -1}, {"", -1}, {"ANO", -1}})
        EXPECT_EQ(t.fieldIndex(name), index) << name;

    EXPECT_EQ(t.text(0, 2), "Una nota.");
    EXPECT_TRUE(t.isNull(1, 1));
    EXPECT_EQ(t.text(1, 1), "");
    EXPECT_FALSE(t.isNull(1, 2));

    EXPECT_THROW(t.addRecord({std::string("x")}), std::invalid_argument);
    EXPECT_THROW(t.addRecord({std::string("1"), std::string("2"), std::string("3"), std::string("4")}),
                 std::invalid_argument);
    EXPECT_EQ(t.recordCount(), 2u);
}
