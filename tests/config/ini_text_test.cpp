#include "config/ini_text.h"

#include <gtest/gtest.h>

TEST(IniText, Placeholder) { EXPECT_EQ(kv::ini::get("[a]\r\nb=c", "A", "B"), "c"); }
