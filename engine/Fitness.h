// How good a cutting pattern is: its badness (0 for a perfect pattern, growing
// with the leftover and the number of part lengths) and its fitness (1 for a
// perfect pattern, 0 for one that does not fit), and the yield of a layout.
#pragma once

#include "engine/Cutting.h"
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
};
