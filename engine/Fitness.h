// How good a cutting pattern is: its badness (0 for a perfect pattern, growing
// with the leftover and the number of part lengths) and its fitness (1 for a
// perfect pattern, 0 for one that does not fit), and the yield of a layout.
#pragma once

#include "engine/Cutting.h"
#include "engine/Pattern.h"
#include "foundation/DProps.h"

#include <windows.h>

// winbase.h still carries Win16's do-nothing macro Yield(), which would swallow
// the member of that name. windows.h is guarded, so it cannot come back later.
#ifdef Yield
#undef Yield
#endif

// A curve that shapes one term of the badness.
class MFunction {
public:
    virtual ~MFunction();
    virtual double Inverse(double x) const = 0;
    virtual double Apply(double x) const = 0;
};

// The base-10 logarithm, so that badness grows by orders of magnitude.
class MFcLog10 : public MFunction {
public:
    double Inverse(double x) const override;  // 10 to the power x
    double Apply(double x) const override;    // log10(x)
};

// What the finders and the solver judge patterns with. Every operation is
// const: the generating finder calls one function object from several threads.
class FitnessFunction {
public:
    virtual ~FitnessFunction();
    virtual double LayoutScore(const CUTTING::Layout& layout) const;
    // Needs the pattern's `ratio` and `badness` to be current.
    virtual double Fitness(const CUTTING::Blank& pattern) const;
    // Also stores the yield in the layout's `score`.
    virtual double Yield(CUTTING::Layout& layout) const;
    virtual double Badness(const CUTTING::Blank& pattern) const;
};

// The one fitness function of the engine: a waste term and a cuts term, each
// shaped by its curve and capped, optionally passed through a final curve.
class FFBasic : public FitnessFunction {
public:
    const MFunction* wasteCurve = nullptr;  // not owned; none: no waste term
    const MFunction* cutsCurve = nullptr;   // not owned; none: no cuts term
    const MFunction* finalCurve = nullptr;  // not owned; none: badness as summed
    double ratioUnit = 0.0;  // leftover is measured in this; 0: the kerf, else 1
    double shift = 1.0;      // weight of the number of part lengths
    double cap = 10.0;       // largest value of each badness term
    bool mode = false;       // multiply the fitness by the part weights
    DProps props;            // spare parameters

    double LayoutScore(const CUTTING::Layout& layout) const override;
    double Fitness(const CUTTING::Blank& pattern) const override;
    double Yield(CUTTING::Layout& layout) const override;
    double Badness(const CUTTING::Blank& pattern) const override;

    // Badness and Fitness of a pattern handed out entry by entry, in pattern
    // order: each(f) calls f(count, length) for BadnessOf and f(count, part
    // weight) for FitnessOf. The finders score patterns kept as counts through
    // these, without building a Blank; Badness and Fitness use them too.
    template <class ForEach>
    double BadnessOf(const ForEach& each, double length, double knife, double indent) const;
    template <class ForEachWeight>
    double FitnessOf(double ratio, double badness, const ForEachWeight& weights) const;

    // One badness term within 0..cap. The logarithm of 0 (a perfect fit) is
    // -inf and of a negative value NaN: both add nothing.
    static double ClampTerm(double value, double cap)
    {
        if (!(value > 0.0))
            return 0.0;
        const double top = cap > 0.0 ? cap : 0.0;
        return value > top ? top : value;
    }
};

template <class ForEach>
double FFBasic::BadnessOf(const ForEach& each, double length, double knife, double indent) const
{
    double badness = 0.0;
    double used = 0.0;
    if (wasteCurve) {
        double unit = ratioUnit;
        if (IsNearZero(unit))
            unit = knife;
        if (IsNearZero(unit))
            unit = 1.0;
        used = CUTTING::UsedFractionOf(each, length, knife, indent, nullptr, true);
        const double leftover = SafeDivide(length * (1.0 - used), unit);
        badness = ClampTerm(wasteCurve->Apply(leftover * leftover), cap);
    }
    // Length changes only matter once the bar is mostly used; a half-empty bar
    // is judged by its leftover alone.
    if (cutsCurve && used > 0.5) {
        const long changes = CUTTING::LengthChangesOf(each, length);
        if (changes > 0)
            badness += ClampTerm(cutsCurve->Apply((changes + 1) * shift), cap);
    }
    return finalCurve ? finalCurve->Apply(badness) : badness;
}

template <class ForEachWeight>
double FFBasic::FitnessOf(double ratio, double badness, const ForEachWeight& weights) const
{
    // Compared against 1 + tolerance rather than by the difference: 1.0000001 - 1
    // comes out a hair above 1e-7 in doubles, yet such a pattern fits.
    if (ratio > 1.0 + Tolerance)
        return 0.0;
    double fitness = 1.0 - SafeDivide(badness, cap);
    if (mode) {
        weights([&](long count, double weight) {
            if (count != 0)
                fitness *= weight;
        });
    }
    if (!(fitness > 0.0))
        return 0.0;
    return fitness > 1.0 ? 1.0 : fitness;
}
