#pragma once
// Test texts are written in UTF-8 and turned into the catalogue's code page 1252.

#include <gtest/gtest.h>

#include <string>

#include "cp1252.h"

inline std::string cp(const char* utf8)
{
    auto text = catalogue::cp1252::fromUtf8(utf8);
    EXPECT_TRUE(text.has_value()) << utf8;
    return text.value_or("");
}
