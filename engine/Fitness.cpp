#include "engine/Fitness.h"

#include "engine/Pattern.h"
#include "foundation/StrUtil.h"

#include <cmath>

using CUTTING::Blank;
using CUTTING::Layout;
using CUTTING::Piece;

namespace {

// One badness term within 0..cap. The logarithm of 0 (a perfect fit) is -inf
// and of a negative value NaN: both add nothing.
double ClampTerm(double value, double cap)
{
    if (!(value > 0.0))
        return 0.0;
    const double top = cap > 0.0 ? cap : 0.0;
    return value > top ? top : value;
}

} // namespace

MFunction::~MFunction() = default;

double MFcLog10::Inverse(double x) const
{
    return std::pow(10.0, x);
}

double MFcLog10::Apply(double x) const
{
    return std::log10(x);
}

FitnessFunction::~FitnessFunction() = default;

double FitnessFunction::LayoutScore(const Layout&) const
{
    return 0.0;
}

double FitnessFunction::Fitness(const Blank&) const
{
    return 0.0;
}

double FitnessFunction::Yield(Layout&) const
{
    return 0.0;
}

double FitnessFunction::Badness(const Blank&) const
{
    return 0.0;
}

double FFBasic::LayoutScore(const Layout&) const
{
    return 1.0;
}

double FFBasic::Badness(const Blank& pattern) const
{
    double badness = 0.0;
    double used = 0.0;
    if (wasteCurve) {
        double unit = ratioUnit;
        if (IsNearZero(unit))
            unit = pattern.knife;
        if (IsNearZero(unit))
            unit = 1.0;
        used = CUTTING::UsedFraction(pattern.pieces, pattern, nullptr, true);
        const double leftover = SafeDivide(pattern.length * (1.0 - used), unit);
        badness = ClampTerm(wasteCurve->Apply(leftover * leftover), cap);
    }
    // Length changes only matter once the bar is mostly used; a half-empty bar
    // is judged by its leftover alone.
    if (cutsCurve && used > 0.5) {
        const long changes = CUTTING::LengthChanges(pattern, pattern.pieces);
        if (changes > 0)
            badness += ClampTerm(cutsCurve->Apply((changes + 1) * shift), cap);
    }
    return finalCurve ? finalCurve->Apply(badness) : badness;
}

double FFBasic::Fitness(const Blank& pattern) const
{
    // Compared against 1 + tolerance rather than by the difference: 1.0000001 - 1
    // comes out a hair above 1e-7 in doubles, yet such a pattern fits.
    if (pattern.ratio > 1.0 + Tolerance)
        return 0.0;
    double fitness = 1.0 - SafeDivide(pattern.badness, cap);
    if (mode) {
        for (const Piece& piece : pattern.pieces)
            if (piece.quantity != 0)
                fitness *= piece.weight;
    }
    if (!(fitness > 0.0))
        return 0.0;
    return fitness > 1.0 ? 1.0 : fitness;
}

double FFBasic::Yield(Layout& layout) const
{
    double parts = 0.0;
    double stock = 0.0;
    for (const Blank& cutting : layout.cuttings) {
        double perBar = 0.0;
        for (const Piece& piece : cutting.pieces)
            perBar += piece.quantity * piece.length;
        parts += cutting.quantity * perBar;
        stock += cutting.quantity * cutting.length;
    }
    layout.score = SafeDivide(parts, stock);
    return layout.score;
}
