#include <gtest/gtest.h>
#include <windows.h>
TEST(Smoke, AnsiCodePage) { EXPECT_EQ(1252u, GetACP()); }
