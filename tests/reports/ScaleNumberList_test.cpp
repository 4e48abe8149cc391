#include <gtest/gtest.h>

#include "reports/ScaleNumberList.h"

TEST(ScaleNumberList, ScalesRoundsAndSkipsCommentedPieces)
{
    struct Case {
        const char* text;
        double factor;
        const char* expected;
    } cases[] = {
        {"500,200,200", 1.0, "500,200,200"},
        {"500,200,200", 2.0, "1000,400,400"},
        {"180,#60,40", 1.0, "180,40"},
        {"  ", 2.0, ""},
        {nullptr, 2.0, ""},
        {"100, ,300", 1.0, "100"},
        {"15,25", 0.5, "8,13"},
        {"-15", 0.5, "-8"},
        {"394,200,220", 1.5, "591,300,330"},
        {"#1,#2", 1.0, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScaleNumberList(c.text, c.factor), c.expected) << (c.text ? c.text : "null");
}
