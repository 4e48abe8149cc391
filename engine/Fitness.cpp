#include "engine/Fitness.h"

#include "engine/Pattern.h"
#include "foundation/StrUtil.h"

#include <cmath>

using CUTTING::Blank;
using CUTTING::Layout;
using CUTTING::Piece;

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
    return BadnessOf(CUTTING::EachPiece{pattern.pieces}, pattern.length, pattern.knife, pattern.indent);
}

double FFBasic::Fitness(const Blank& pattern) const
{
    return FitnessOf(pattern.ratio, pattern.badness, [&](const auto& f) {
        for (const Piece& piece : pattern.pieces)
            f(piece.quantity, piece.weight);
    });
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
