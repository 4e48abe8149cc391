#include "dialogs/LayoutEdit.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdlib>

#include "engine/LayoutStats.h"

using CUTTING::Blank;
using CUTTING::Piece;

void LayoutEdit::Load(const CUTTING::Layout& current)
{
    m_layout = current;
    m_layout.pieces = m_layout.orphans;
    UpdateRemains();
}

const Blank* LayoutEdit::Pattern(long index) const
{
    if (index < 0 || index >= PatternCount())
        return nullptr;
    return &m_layout.cuttings[static_cast<size_t>(index)];
}

long LayoutEdit::FreeCount(long pieceId) const
{
    const long at = CUTTING::FindPieceById(m_layout.pieces, pieceId);
    return at < 0 ? 0 : m_layout.pieces[static_cast<size_t>(at)].quantity;
}

long LayoutEdit::PiecesRemain() const
{
    return CUTTING::SumPieceQuantities(m_layout.pieces);
}

bool LayoutEdit::CanRemove(long pattern) const
{
    const Blank* p = Pattern(pattern);
    return p && (p->quantity == 0 || DProps::GetLong(p->props, "pieces") == 0);
}

bool LayoutEdit::CanStep(long pattern, long row, int step) const
{
    const Blank* p = Pattern(pattern);
    if (!p || row < 0 || row > static_cast<long>(p->pieces.size()) || (step != 1 && step != -1))
        return false;
    const long copies = p->quantity;
    if (row == static_cast<long>(p->pieces.size())) {
        if (step < 0)
            return copies > 0;
        for (const Piece& piece : p->pieces)
            if (FreeCount(piece.id) < piece.quantity)
                return false;
        const long stockId = DProps::GetLong(p->props, "blank");
        const long at = CUTTING::FindBlankById(m_layout.blanks, stockId);
        if (at < 0)
            return false;
        long used = 0;
        for (const Blank& c : m_layout.cuttings)
            if (DProps::GetLong(c.props, "blank") == stockId)
                used += c.quantity;
        return m_layout.blanks[static_cast<size_t>(at)].quantity >= used + 1;
    }
    const Piece& piece = p->pieces[static_cast<size_t>(row)];
    if (step < 0)
        return piece.quantity >= 1;
    // One more piece per bar takes one free piece for every copy: the free
    // count must cover the copies, and a kind that is not free cannot come.
    if (CUTTING::FindPieceById(m_layout.pieces, piece.id) < 0)
        return false;
    const long free = FreeCount(piece.id);
    if (free < 1 || free < copies)
        return false;
    Blank trial = *p;
    Piece one = piece;
    one.quantity = 1;
    return trial.TryAddPiece(one);
}

bool LayoutEdit::CanAddFree(long pattern, long freeRow) const
{
    const Blank* p = Pattern(pattern);
    if (!p || freeRow < 0 || freeRow >= static_cast<long>(m_layout.pieces.size()))
        return false;
    Piece one = m_layout.pieces[static_cast<size_t>(freeRow)];
    if (one.quantity == 0 || one.quantity < p->quantity)
        return false;
    one.quantity = 1;
    Blank trial = *p;
    return trial.TryAddPiece(one);
}

long LayoutEdit::AddPattern(long stockIndex, const char* remnants)
{
    if (stockIndex < 0 || stockIndex >= static_cast<long>(m_layout.blanks.size()))
        return -1;
    const Blank& stock = m_layout.blanks[static_cast<size_t>(stockIndex)];
    Blank pattern = stock;
    pattern.quantity = 0;
    pattern.pieces.clear();
    pattern.props.SetLong("blank", stock.id);
    pattern.props.SetString("blank.cost", DProps::GetString(stock.props, "cost", ""));
    pattern.props.SetString("blank.remnants", remnants ? remnants : "");
    pattern.props.SetDouble("blank.length", stock.length, "%.5f");
    pattern.UpdateSignature(true);
    m_layout.cuttings.push_back(pattern);
    return PatternCount() - 1;
}

bool LayoutEdit::RemovePattern(long pattern)
{
    if (!Pattern(pattern))
        return false;
    m_layout.cuttings.erase(m_layout.cuttings.begin() + pattern);
    return true;
}

bool LayoutEdit::Step(long pattern, long row, int step)
{
    if (!CanStep(pattern, row, step))
        return false;
    Blank edited = m_layout.cuttings[static_cast<size_t>(pattern)];
    if (row == static_cast<long>(edited.pieces.size())) {
        edited.quantity = std::max(0L, edited.quantity + step);
        for (const Piece& piece : edited.pieces)
            ChangeFree(piece, -step * piece.quantity);
    } else {
        Piece& piece = edited.pieces[static_cast<size_t>(row)];
        const long before = piece.quantity;
        piece.quantity = std::max(0L, piece.quantity + step);
        ChangeFree(piece, edited.quantity * (before - piece.quantity));
    }
    StorePattern(pattern, edited);
    return true;
}

bool LayoutEdit::AddFree(long pattern, long freeRow)
{
    if (!CanAddFree(pattern, freeRow))
        return false;
    Blank edited = m_layout.cuttings[static_cast<size_t>(pattern)];
    Piece one = m_layout.pieces[static_cast<size_t>(freeRow)];
    one.quantity = 1;
    edited.AddPiece(one);
    edited.UpdateSignature(true);
    if (edited.ratio > 1.0)
        return false;
    ChangeFree(one, -edited.quantity);
    StorePattern(pattern, edited);
    return true;
}

namespace {

// Two patterns cut the same bar the same way: the same stock and the same
// count of every part kind, whatever order the parts were added in.
bool SamePattern(const Blank& a, const Blank& b)
{
    if (DProps::GetLong(a.props, "blank") != DProps::GetLong(b.props, "blank"))
        return false;
    auto holds = [](const Blank& p, const Piece& kind) {
        const long at = CUTTING::FindPieceById(p.pieces, kind.id);
        return at < 0 ? 0L : p.pieces[static_cast<size_t>(at)].quantity;
    };
    for (const Piece& piece : a.pieces)
        if (holds(b, piece) != piece.quantity)
            return false;
    for (const Piece& piece : b.pieces)
        if (holds(a, piece) != piece.quantity)
            return false;
    return true;
}

} // namespace

void LayoutEdit::MergeEqualPatterns()
{
    std::vector<Blank>& patterns = m_layout.cuttings;
    for (size_t i = 0; i < patterns.size(); ++i) {
        for (size_t j = i + 1; j < patterns.size();) {
            if (!SamePattern(patterns[i], patterns[j])) {
                ++j;
                continue;
            }
            patterns[i].quantity += patterns[j].quantity;
            patterns.erase(patterns.begin() + static_cast<std::ptrdiff_t>(j));
            patterns[i].UpdateSignature(true);
        }
    }
}

void LayoutEdit::Finish(const char* remnants)
{
    // A pattern built by hand that cuts a bar the way another one does is
    // more copies of that one, not a cutting of its own.
    MergeEqualPatterns();
    DProps options;
    options.Set("remnants", remnants ? remnants : "");
    m_layout.ComputeSummary(options);
    UpdateRemains();
}

void LayoutEdit::ChangeFree(const Piece& kind, long delta)
{
    if (delta == 0)
        return;
    const long at = CUTTING::FindPieceById(m_layout.pieces, kind.id);
    if (at >= 0) {
        Piece& free = m_layout.pieces[static_cast<size_t>(at)];
        free.quantity = std::max(0L, free.quantity + delta);
    } else if (delta > 0) {
        Piece back = kind;
        back.quantity = delta;
        m_layout.pieces.push_back(back);
    }
}

void LayoutEdit::StorePattern(long pattern, Blank& edited)
{
    edited.UpdateSignature(true);
    m_layout.cuttings[static_cast<size_t>(pattern)] = edited;
    UpdateRemains();
}

void LayoutEdit::UpdateRemains()
{
    m_layout.props.SetLong("pieces.remains", PiecesRemain());
}
