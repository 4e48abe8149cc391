#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "controls/UTrans.h"

namespace {

const double kPi = 3.141592653589793;

void ExpectPoint(double x, double y, const UPoint& p)
{
    EXPECT_NEAR(x, p.x, 1e-9);
    EXPECT_NEAR(y, p.y, 1e-9);
}

} // namespace

TEST(UTrans, SetAngleNormalisesAndSetsTheRotateFlag)
{
    struct Case {
        double angle;
        double stored;
        bool rotates;
    } cases[] = {
        {-kPi / 2, 3 * kPi / 2, true},
        {2 * kPi, 2 * kPi, true}, // 2pi itself stays
        {5 * kPi, kPi, true},
        {0.0, 0.0, false},
        {5e-8, 5e-8, false},
        {-4 * kPi, 0.0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.angle);
        UTrans t;
        EXPECT_NEAR(c.stored, t.SetAngle(c.angle), 1e-12);
        EXPECT_NEAR(c.stored, t.Angle(), 1e-12);
        EXPECT_EQ(c.rotates, (t.Flags() & UTrans::kRotate) != 0);
    }
}

TEST(UTrans, RotationTurnsAndTurnsBack)
{
    UTrans t;
    t.SetAngle(kPi / 2);
    EXPECT_EQ(static_cast<unsigned>(UTrans::kRotate), t.Flags());
    UPoint p = t.Apply(1, 0);
    ExpectPoint(0, -1, p);
    ExpectPoint(1, 0, t.ApplyInverse(p.x, p.y));
}

TEST(UTrans, ApplyRotatesThenScalesThenTranslates)
{
    UTrans t;
    t.Set(10, 0, 2, 3, kPi / 2);
    EXPECT_EQ(7u, t.Flags());
    ExpectPoint(10, -3, t.Apply(1, 0)); // (0, -1) -> (0, -3) -> (10, -3)
    for (double x : {-3.0, 0.5, 7.0}) {
        UPoint p = t.Apply(x, 2 * x - 1);
        ExpectPoint(x, 2 * x - 1, t.ApplyInverse(p.x, p.y));
    }
}

TEST(UTrans, NearZeroStepsAreLeftOut)
{
    UTrans t;
    t.SetScale(0, 0);
    EXPECT_EQ(0u, t.Flags() & UTrans::kScale);
    ExpectPoint(3, 4, t.Apply(3, 4));
    ExpectPoint(3, 4, t.ApplyInverse(3, 4));

    // One part near zero keeps the step; scaling back by it gives 0.
    t.SetScale(2, 0);
    ExpectPoint(2, 0, t.ApplyInverse(4, 5));

    t.SetOffset(1, 0);
    EXPECT_NE(0u, t.Flags() & UTrans::kTranslate);
    t.AddOffset(-1, 5e-8);
    EXPECT_EQ(0u, t.Flags() & UTrans::kTranslate);
    t.AddOffset(0, 1);
    EXPECT_NE(0u, t.Flags() & UTrans::kTranslate);
    EXPECT_NEAR(1 + 5e-8, t.OffsetY(), 1e-15);
}

TEST(UTrans, RoundToMultipleRoundsHalvesAwayFromZero)
{
    struct Case {
        double value, step, expected;
    } cases[] = {
        {7.5, 5, 10}, {-7.5, 5, -10}, {7.4, 5, 5}, {47, 5, 45}, {-2.4, 5, 0},
        {2.5, 5, 5},  {0.26, 0.5, 0.5}, {90, 5, 90},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_NEAR(c.expected, RoundToMultiple(c.value, c.step), 1e-12);
    }
}

TEST(PointList, RectangleCornersMoveTurnAndBoundBack)
{
    PointList list;
    EXPECT_EQ(nullptr, GetFirstPoint(list));
    list[7] = UPoint{1, 1};
    FillPointsFromRect(list, 0, 0, 4, 2);
    ASSERT_EQ(4u, list.size()); // emptied first
    ExpectPoint(4, 0, list[1]);
    ExpectPoint(0, 2, list[3]);

    OffsetPoints(1, -1, list);
    ASSERT_NE(nullptr, GetFirstPoint(list));
    ExpectPoint(1, -1, *GetFirstPoint(list));

    TransformPoints(list, nullptr);
    ExpectPoint(5, 1, list[2]);

    // The inverse of a quarter turn: (x, y) -> (x cos + -y sin, y cos + x sin).
    UTrans t;
    t.SetAngle(kPi / 2);
    TransformPoints(list, &t);
    ExpectPoint(1, 1, list[0]);
    ExpectPoint(-1, 5, list[2]);

    RECT r;
    BoundingRect(list, r);
    EXPECT_EQ(-1, r.left);
    EXPECT_EQ(1, r.top);
    EXPECT_EQ(1, r.right);
    EXPECT_EQ(5, r.bottom);
}

TEST(PointList, BoundingRectRoundsHalvesAwayFromZero)
{
    PointList list;
    list[0] = UPoint{0.5, -0.5};
    list[1] = UPoint{2.4, 3.6};
    RECT r;
    BoundingRect(list, r);
    EXPECT_EQ(1, r.left);
    EXPECT_EQ(-1, r.top);
    EXPECT_EQ(2, r.right);
    EXPECT_EQ(4, r.bottom);

    PointList empty;
    BoundingRect(empty, r);
    EXPECT_EQ(INT_MAX, r.left);
    EXPECT_EQ(INT_MAX, r.top);
    EXPECT_EQ(INT_MIN, r.right);
    EXPECT_EQ(INT_MIN, r.bottom);
}
