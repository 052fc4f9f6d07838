// The record table and the whole-number conversion of field values.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "error.h"
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

TEST(WholeNumber, AcceptsAndRefuses)
{
    using catalogue::toInteger;
    for (const auto& [text, value] : std::vector<std::pair<const char*, int>>{
             {"20001", 20001}, {"007", 7}, {"  42", 42}, {"+5", 5}, {"-5", -5}, {"2147483647", 2147483647},
             {"-2147483648", -2147483647 - 1}, {"00000000000000000000012", 12}})
        EXPECT_EQ(toInteger(text), value) << text;
    for (const char* bad : {"", " ", "-", "+", "1.016", "El Cier", "12 ", "1 2", "+-1", "2147483648", "-2147483649",
                            "99999999999999999999", "\t7", "1e3", "0x10"})
        EXPECT_FALSE(toInteger(bad).has_value()) << bad;

    EXPECT_EQ(catalogue::strToInt("638799"), 638799);
    try {
        catalogue::strToInt("Pe\xF1" "a");
        FAIL() << "no error";
    } catch (const catalogue::ConversionError& e) {
        EXPECT_STREQ(e.what(), "'Peña' no es un valor entero válido");
    }
}
