// Patterns as the finders build them by the thousand: one count per part kind of
// a fixed list of kinds (the finder's template bar), measured, scored and signed
// without building a Blank. A Blank is made only for a pattern handed out.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/Cutting.h"
#include "engine/Fitness.h"

namespace CUTTING {

// A row of bits with a quick search for the next set one: which kinds a
// pattern holds, and which it may still take more of.
class BitRow {
public:
    // n clear bits.
    void Resize(size_t n);
    void Set(size_t i) { m_words[i >> 6] |= Bit(i); }
    void Reset(size_t i) { m_words[i >> 6] &= ~Bit(i); }
    bool Test(size_t i) const { return (m_words[i >> 6] & Bit(i)) != 0; }
    // The first set bit in [from, to), or `to` when there is none.
    size_t Next(size_t from, size_t to) const
    {
        if (from >= to)
            return to;
        size_t w = from >> 6;
        uint64_t bits = m_words[w] & (~uint64_t(0) << (from & 63));
        const size_t last = (to - 1) >> 6;
        for (;;) {
            if (bits != 0) {
                const size_t i = (w << 6) + static_cast<size_t>(__builtin_ctzll(bits));
                return i < to ? i : to;
            }
            if (w == last)
                return to;
            bits = m_words[++w];
        }
    }
    // Calls f(i) for every set bit, lowest first.
    template <class F>
    void ForEach(const F& f) const
    {
        for (size_t w = 0; w < m_words.size(); ++w) {
            uint64_t bits = m_words[w];
            while (bits != 0) {
                f((w << 6) + static_cast<size_t>(__builtin_ctzll(bits)));
                bits &= bits - 1;
            }
        }
    }

private:
    static uint64_t Bit(size_t i) { return uint64_t(1) << (i & 63); }
    std::vector<uint64_t> m_words;
};

// The part kinds a finder's patterns count against: the template bar's pieces
// in their order, with their bounds and what measuring and signing need.
class KindTable {
public:
    // Kinds beyond the bounds list get the bound 0, as do negative bounds.
    void Build(const Blank& bar, const std::vector<long>& bounds);

    size_t Size() const { return length.size(); }
    std::vector<double> length;
    std::vector<double> weight;
    std::vector<long> id;
    std::vector<long> bound;
    std::vector<std::string> code;  // the part codes of signatures
    std::string prefix;             // the stock code and "#"
    double barLength = 0.0;
    double knife = 0.0;
    double indent = 0.0;
    bool ascending = true;          // lengths never fall along the list
    long long boundSum = 0;         // parts of all kinds up to their bounds
};

// A pattern kept in a pool: its non-zero counts by rising position, its
// scores and its signature.
struct KeptPattern {
    std::vector<std::pair<uint32_t, long>> counts;
    double ratio = 0.0;
    double badness = 0.0;
    double fitness = 0.0;
    std::string signature;

    // Parts of one bar.
    long Total() const;
    long Kinds() const { return static_cast<long>(counts.size()); }
    // True when no count exceeds the bound at its position.
    bool Within(const std::vector<long>& bounds) const;
};

// A pattern being built against a kind table: a count per kind, with the
// rows of the kinds it holds and of those below their bound.
class PatternCounts {
public:
    double ratio = 0.0;
    double badness = 0.0;
    double fitness = 0.0;
    std::string signature;

    // All counts 0 against the table (which must outlive the pattern).
    void Reset(const KindTable& kinds);
    // All counts 0 again, touching only the kinds held.
    void Clear();
    // Counts, scores and signature of a kept pattern.
    void Load(const KeptPattern& kept);
    // The counts, scores and signature as a kept pattern.
    KeptPattern Keep() const;

    long Count(size_t i) const { return m_count[i]; }
    void SetCount(size_t i, long q)
    {
        const long old = m_count[i];
        m_count[i] = q;
        m_measured = false;
        if ((old != 0) != (q != 0)) {
            if (q != 0) {
                m_held.Set(i);
                ++m_heldCount;
            } else {
                m_held.Reset(i);
                --m_heldCount;
            }
        }
        if (q < m_kinds->bound[i])
            m_open.Set(i);
        else
            m_open.Reset(i);
    }
    size_t Size() const { return m_count.size(); }
    const KindTable& Kinds() const { return *m_kinds; }
    // Kinds with a count other than 0, and kinds below their bound.
    const BitRow& Held() const { return m_held; }
    const BitRow& Open() const { return m_open; }
    long KindCount() const { return m_heldCount; }
    long Total() const;

    // Hands (count, length) of the kinds held to f, in list order.
    template <class F>
    void EachPart(const F& f) const
    {
        m_held.ForEach([&](size_t i) { f(m_count[i], m_kinds->length[i]); });
    }
    // Hands (count, part weight) of the kinds held to f, in list order.
    template <class F>
    void EachWeight(const F& f) const
    {
        m_held.ForEach([&](size_t i) { f(m_count[i], m_kinds->weight[i]); });
    }
    // UsedFraction of the pattern on the table's bar, with the trim. The
    // last result is kept until a count changes.
    double Fraction(double* remainder) const;
    // Rebuilds the signature exactly as Blank::UpdateSignature would.
    void Sign();
    // Writes the counts into a copy of the bar (the table's template).
    Blank ToBlank(const Blank& bar) const;

private:
    const KindTable* m_kinds = nullptr;
    std::vector<long> m_count;
    BitRow m_held;
    BitRow m_open;
    long m_heldCount = 0;
    mutable bool m_measured = false;
    mutable double m_fraction = 0.0;
    mutable double m_remainder = 0.0;
};

// A Blank made from a kept pattern: a copy of the bar with the counts.
Blank ToBlank(const KeptPattern& kept, const Blank& bar);

// Badness and fitness of counted patterns, the way a fitness function judges
// a Blank. The one fitness function of the engine is worked out on the counts
// directly; any other is handed a Blank made for the purpose.
class CountsScorer {
public:
    CountsScorer() = default;
    CountsScorer(const FitnessFunction* function, const Blank* bar);
    // Sets badness and then fitness, from the pattern's current ratio.
    void Score(PatternCounts& p) const;

private:
    const FitnessFunction* m_function = nullptr;
    const FFBasic* m_basic = nullptr;
    const Blank* m_bar = nullptr;
};

}  // namespace CUTTING
