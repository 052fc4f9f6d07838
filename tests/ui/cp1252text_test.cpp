// Code page 1252 at the windows' edge: what the search box sends to the
// filters and the help window writes as plain text.
#include <gtest/gtest.h>

#include "cp1252text.h"

TEST(Cp1252Text, CharactersOutsideTheCodePageBecomeQuestionMarks)
{
    EXPECT_EQ(ui::toCp1252("€•áñ"), "\x80\x95\xe1\xf1");
    EXPECT_EQ(ui::toCp1252("aΩb😀c"), "a?b?c");
    EXPECT_EQ(ui::fromCp1252("Arag\xf3n \x80 \x81"), QString::fromUtf8("Aragón € \u0081"));
}
