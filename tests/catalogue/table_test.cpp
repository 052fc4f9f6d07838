// The record table: fields by name, values and nulls.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "packet.h"
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

// Values at any distance from the start of their record, and of any length:
// beside those that lie close, the ones beyond 65,535 bytes from it, or of
// 65,534 bytes or more, added as records and read back from a packet.
TEST(Table, ValuesFarIntoTheirRecordOrLongKeepTheirPlace)
{
    Table t({{"NOTA", FieldKind::Memo, 1}, {"IDENT", FieldKind::String, 5}, {"OTRO", FieldKind::Memo, 1}}, 1034);
    t.addRecord({std::string(65535, 'a'), std::string("20001"), std::nullopt});
    t.addRecord({std::string(65533, 'b'), std::string("20002"), std::string("x")});
    t.addRecord({std::string(65534, 'c'), std::nullopt, std::string("y")});
    t.addRecord({std::string(), std::string("20004"), std::string(70000, 'd').append("e")});
    for (const Table& table : {t, catalogue::readPacket(catalogue::writePacket(t))}) {
        ASSERT_EQ(table.recordCount(), 4u);
        EXPECT_EQ(table.text(0, 0), std::string(65535, 'a'));
        EXPECT_EQ(table.text(0, 1), "20001");
        EXPECT_TRUE(table.isNull(0, 2));
        EXPECT_EQ(table.text(1, 0), std::string(65533, 'b'));
        EXPECT_EQ(table.text(1, 1), "20002");
        EXPECT_EQ(table.text(1, 2), "x");
        EXPECT_EQ(table.text(2, 0), std::string(65534, 'c'));
        EXPECT_TRUE(table.isNull(2, 1));
        EXPECT_EQ(table.text(2, 2), "y");
        EXPECT_EQ(table.text(3, 0), "");
        EXPECT_FALSE(table.isNull(3, 0));
        EXPECT_EQ(table.text(3, 1), "20004");
        EXPECT_EQ(table.text(3, 2).size(), 70001u);
        EXPECT_EQ(table.text(3, 2).substr(69999), "de");
    }
}
