// The kinds of unit and their TIPONUM.
#include <gtest/gtest.h>

#include "unitkind.h"

namespace {

using catalogue::UnitKind;

TEST(UnitKindTest, EachKindIsItsTiponum)
{
    EXPECT_EQ(catalogue::kindCode(UnitKind::Municipality), "2");
    EXPECT_EQ(catalogue::kindCode(UnitKind::Entity), "3");
    EXPECT_EQ(catalogue::kindCode(UnitKind::Nucleus), "4");
    EXPECT_EQ(catalogue::kindFilter(UnitKind::Municipality), "tiponum = 2");
    EXPECT_EQ(catalogue::kindFilter(UnitKind::Nucleus), "tiponum = 4");
    EXPECT_EQ(catalogue::kUnitKinds[0], UnitKind::Municipality);
    EXPECT_EQ(catalogue::kUnitKinds[1], UnitKind::Entity);
    EXPECT_EQ(catalogue::kUnitKinds[2], UnitKind::Nucleus);
}

TEST(UnitKindTest, AStoredTiponumNamesItsKindOrNone)
{
    EXPECT_EQ(catalogue::unitKindOf("2"), UnitKind::Municipality);
    EXPECT_EQ(catalogue::unitKindOf("3"), UnitKind::Entity);
    EXPECT_EQ(catalogue::unitKindOf("4"), UnitKind::Nucleus);
    for (const char* other : {"1", "5", "0", "-2", "", "a", "2a", "22"})
        EXPECT_EQ(catalogue::unitKindOf(other), std::nullopt) << other;
}

} // namespace
