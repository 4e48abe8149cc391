// The arithmetic of editing a solution by hand, on a working copy of a
// material's layout: its stock, its patterns and its free parts (the parts no
// pattern holds). Every change keeps the layout feasible: a pattern never
// holds more than its bar, no stock gives more bars than it has, and no part
// is placed that is not free, so pieces are only moved, never made or lost.
#pragma once

#include "engine/Cutting.h"

class LayoutEdit {
public:
    // The working copy: the layout with its demand replaced by its unplaced parts.
    void Load(const CUTTING::Layout& current);

    CUTTING::Layout& GetLayout() { return m_layout; }
    const CUTTING::Layout& GetLayout() const { return m_layout; }
    long PatternCount() const { return static_cast<long>(m_layout.cuttings.size()); }
    // The pattern at index, null outside the list.
    const CUTTING::Blank* Pattern(long index) const;
    // The free count of a part kind; 0 when the kind is not in the free list.
    long FreeCount(long pieceId) const;
    // The sum of the free counts, also kept as "pieces.remains" in the layout's statistics.
    long PiecesRemain() const;

    // Enable rules. row is a row of the pattern's parts list: 0..n-1 its parts,
    // n (the part count) its copies.
    bool CanRemove(long pattern) const;
    bool CanStep(long pattern, long row, int step) const;
    bool CanAddFree(long pattern, long freeRow) const;
    // Saving needs every part placed.
    bool CanSave() const { return PiecesRemain() == 0; }

    // A new empty pattern with no copies on the stock at stockIndex (position in
    // the stock list); its index, -1 for no such stock.
    long AddPattern(long stockIndex, const char* remnants);
    bool RemovePattern(long pattern);
    // step +1 or -1 on the copies (row n) or on one part of the pattern, with
    // the free counts following; false, nothing changed, when refused.
    bool Step(long pattern, long row, int step);
    // One more piece of the free row into the pattern, taken from the free
    // list once per copy; false, nothing changed, when it does not fit.
    bool AddFree(long pattern, long freeRow);
    // Patterns that cut a bar alike become one with their copies added;
    // then the working layout's statistics are computed again for saving.
    void Finish(const char* remnants);
    // Every pattern equal to an earlier one (same stock, same count of each
    // part kind) joins it: its copies are added there and it goes.
    void MergeEqualPatterns();

private:
    // Changes the free count of a kind by delta (not below 0); a kind given
    // back that the free list lacks joins it.
    void ChangeFree(const CUTTING::Piece& kind, long delta);
    void StorePattern(long pattern, CUTTING::Blank& edited);
    void UpdateRemains();

    CUTTING::Layout m_layout;
};
