#include "engine/PatternCounts.h"

#include <typeinfo>

#include "engine/Pattern.h"

namespace CUTTING {

// ---- BitRow -----------------------------------------------------------------------

void BitRow::Resize(size_t n)
{
    m_words.assign((n + 63) / 64, 0);
}

// ---- KindTable --------------------------------------------------------------------

void KindTable::Build(const Blank& bar, const std::vector<long>& bounds)
{
    const size_t n = bar.pieces.size();
    length.resize(n);
    weight.resize(n);
    id.resize(n);
    bound.resize(n);
    code.resize(n);
    ascending = true;
    boundSum = 0;
    for (size_t i = 0; i < n; ++i) {
        const Piece& p = bar.pieces[i];
        length[i] = p.length;
        weight[i] = p.weight;
        id[i] = p.id;
        bound[i] = i < bounds.size() && bounds[i] > 0 ? bounds[i] : 0;
        code[i] = PieceCode(p.id);
        boundSum += bound[i];
        if (i > 0 && p.length < length[i - 1])
            ascending = false;
    }
    prefix = StockCode(bar.id);
    prefix += '#';
    barLength = bar.length;
    knife = bar.knife;
    indent = bar.indent;
}

// ---- KeptPattern ------------------------------------------------------------------

long KeptPattern::Total() const
{
    long total = 0;
    for (const auto& c : counts)
        total += c.second;
    return total;
}

bool KeptPattern::Within(const std::vector<long>& bounds) const
{
    for (const auto& c : counts)
        if (c.first < bounds.size() && bounds[c.first] < c.second)
            return false;
    return true;
}

// ---- PatternCounts ----------------------------------------------------------------

void PatternCounts::Reset(const KindTable& kinds)
{
    m_kinds = &kinds;
    const size_t n = kinds.Size();
    m_count.assign(n, 0);
    m_held.Resize(n);
    m_open.Resize(n);
    for (size_t i = 0; i < n; ++i)
        if (kinds.bound[i] > 0)
            m_open.Set(i);
    m_heldCount = 0;
    m_measured = false;
    ratio = badness = fitness = 0.0;
    signature.clear();
}

void PatternCounts::Clear()
{
    // The row changes under the walk only at the bit being cleared.
    for (size_t i = m_held.Next(0, Size()); i < Size(); i = m_held.Next(i + 1, Size()))
        SetCount(i, 0);
}

void PatternCounts::Load(const KeptPattern& kept)
{
    Clear();
    for (const auto& c : kept.counts)
        SetCount(c.first, c.second);
    ratio = kept.ratio;
    badness = kept.badness;
    fitness = kept.fitness;
    signature = kept.signature;
}

KeptPattern PatternCounts::Keep() const
{
    KeptPattern kept;
    kept.counts.reserve(static_cast<size_t>(m_heldCount));
    m_held.ForEach([&](size_t i) { kept.counts.emplace_back(static_cast<uint32_t>(i), m_count[i]); });
    kept.ratio = ratio;
    kept.badness = badness;
    kept.fitness = fitness;
    kept.signature = signature;
    return kept;
}

long PatternCounts::Total() const
{
    long total = 0;
    m_held.ForEach([&](size_t i) { total += m_count[i]; });
    return total;
}

double PatternCounts::Fraction(double* remainder) const
{
    if (!m_measured) {
        m_fraction = UsedFractionOf([this](const auto& f) { EachPart(f); }, m_kinds->barLength, m_kinds->knife,
                                    m_kinds->indent, &m_remainder, true);
        m_measured = true;
    }
    if (remainder)
        *remainder = m_remainder;
    return m_fraction;
}

void PatternCounts::Sign()
{
    signature = m_kinds->prefix;
    m_held.ForEach([&](size_t i) { AppendSignatureEntry(signature, m_kinds->code[i], m_count[i]); });
}

Blank PatternCounts::ToBlank(const Blank& bar) const
{
    Blank b = bar;
    for (size_t i = 0; i < b.pieces.size(); ++i)
        b.pieces[i].quantity = i < m_count.size() ? m_count[i] : 0;
    b.ratio = ratio;
    b.badness = badness;
    b.fitness = fitness;
    b.signature = signature;
    return b;
}

Blank ToBlank(const KeptPattern& kept, const Blank& bar)
{
    Blank b = bar;
    b.ClearCounts();
    for (const auto& c : kept.counts)
        if (c.first < b.pieces.size())
            b.pieces[c.first].quantity = c.second;
    b.ratio = kept.ratio;
    b.badness = kept.badness;
    b.fitness = kept.fitness;
    b.signature = kept.signature;
    return b;
}

// ---- CountsScorer -----------------------------------------------------------------

CountsScorer::CountsScorer(const FitnessFunction* function, const Blank* bar)
    : m_function(function), m_bar(bar)
{
    // Only the function itself, not one derived from it, may be worked out on
    // the counts: a derived one may judge differently.
    if (function && typeid(*function) == typeid(FFBasic))
        m_basic = static_cast<const FFBasic*>(function);
}

void CountsScorer::Score(PatternCounts& p) const
{
    if (m_basic) {
        const KindTable& kinds = p.Kinds();
        p.badness = m_basic->BadnessOf([&](const auto& f) { p.EachPart(f); }, kinds.barLength, kinds.knife,
                                       kinds.indent);
        p.fitness = m_basic->FitnessOf(p.ratio, p.badness, [&](const auto& f) { p.EachWeight(f); });
        return;
    }
    Blank b = p.ToBlank(*m_bar);
    p.badness = m_function->Badness(b);
    b.badness = p.badness;
    p.fitness = m_function->Fitness(b);
}

}  // namespace CUTTING
