// The order of one material: its stock rows (blanks) and part rows (pieces),
// kept numbered and lettered per material, counted, fingerprinted for change
// detection, checked, and written to and read from a material's INI sections.
// The static row operations give every editor that hands back a list of
// rows the same numbering.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/ChangeTracker.h"
#include "foundation/DProps.h"
#include "foundation/FieldCheck.h"

class DSettings;

using TextList = std::vector<std::string>;

// The kinds of rows of an order, as the material's row operations and the
// row import take them: the stock rows (blanks), and for any other kind the
// part rows (pieces).
enum RowKind : long { RowsBlanks = 1, RowsPieces = 2 };

class DCSStorage {
public:
    DCSStorage();
    DCSStorage(const DCSStorage& other) = default;
    DCSStorage& operator=(const DCSStorage& other) = default;
    virtual ~DCSStorage();

    // Appends the sections "order.blanks" and "order.pieces" (renumbering
    // first, taking the written state as the baseline after). False only for
    // a null document.
    bool Write(DSettings* document);
    // Replaces the rows from those sections, stamping them with material when
    // it is given (not null, not empty). False only for a null document.
    bool Read(const DSettings* document, const char* material);
    // One section of rows in their text form under numbered keys (keyFormat
    // takes the 1-based count); rows without entries are skipped and not
    // counted. The section is written even when it holds no row.
    static void WriteRows(DSettings& document, const char* section, const char* keyFormat, const PropsList& rows);
    // Every entry of the section is a row, whatever its key, in the entries'
    // order; rows without a key are left out when skipEmpty is set.
    static void ReadRows(const DSettings& document, const char* section, PropsList& rows, bool skipEmpty);
    // Renumbers, counts, fingerprints and checks: the entry point after
    // every change of the rows.
    void UpdateTotals(bool setBaseline);
    // Empties names, rows, stored fingerprints and change flags; totals,
    // warnings and the check result stay.
    void Clear();
    // Sets "material" on every row when name is not empty.
    void StampMaterial(const char* name);
    // The distinct non-empty "material" values of the stock rows, in order.
    void RebuildMaterialNames();
    void UpdateFingerprint(bool setBaseline);
    // numbers: lengths, kerfs, trims, quantities and costs; full: those
    // followed by labels and comments.
    void ComputeFingerprints(uint32_t& numbers, uint32_t& full) const;
    // 8 upper-case hexadecimal digits identifying the rows' content.
    std::string GetContentId() const;
    // Adds the findings to warnings (not cleared); returns the CheckError /
    // CheckWarning flags of OrderCheck.h. Changes no row.
    int32_t CheckOrder(DProps& warnings) const;

    // Change flags as of the last UpdateFingerprint.
    bool NumbersChanged() const { return m_numbers.Changed(); }
    bool OrderChanged() const { return m_full.Changed(); }

    // ---- What the editors, panels and reports read ------------------------------

    // "blanks.items", "blanks.quantity", "pieces.items", "pieces.quantity".
    const DProps& GetTotals() const { return m_totals; }
    // The distinct materials of the stock rows, as of the last UpdateTotals.
    const TextList& GetMaterials() const { return m_materials; }
    const PropsList& GetBlanks() const { return m_blanks; }
    const PropsList& GetPieces() const { return m_pieces; }
    // The stock rows for kind RowsBlanks, the part rows for any other kind.
    const PropsList& GetRows(long kind) const { return kind == RowsBlanks ? m_blanks : m_pieces; }
    // The findings of the last check, code -> culprit, and its flags (3
    // until the first check).
    const DProps& GetWarnings() const { return m_warnings; }
    int32_t GetCheckResult() const { return m_checkResult; }
    // The stored baselines; 0 while none is stored.
    uint32_t GetNumbersFingerprint() const { return m_numbers.Baseline(); }
    uint32_t GetFullFingerprint() const { return m_full.Baseline(); }

    // ---- Row operations on any list of rows ---------------------------------

    // Appends to names every non-empty "material" of the rows not yet listed
    // (ignoring case); returns how many were appended.
    static long CollectMaterials(const PropsList& rows, TextList& names);
    // The uids of the rows of material (every material found when empty;
    // all rows when no row names one), giving a new uid to rows lacking one.
    static long CollectRowUids(TextList& uids, const char* material, PropsList& rows);
    // Gives row a uid when its "uid" reads as 0 (in row itself), appends a
    // copy and renumbers. True.
    static bool AddRow(PropsList& rows, DProps& row);
    // Copies row's entries over the row with its uid (row's "uid" is first
    // rewritten as its decimal value); renumbers either way. True.
    static bool UpdateRow(DProps& row, PropsList& rows);
    // Sets values into the row with that uid; false when there is none. No renumbering.
    static bool SetRowValues(PropsList& rows, const char* uid, const DProps& values);
    // Removes the row with row's uid, when there is one; renumbers. True.
    static bool DeleteRow(const DProps& row, PropsList& rows);
    // Swaps the row with row's uid with the one before it when row's
    // "direction" is exactly "up", else with the one after it; true when it
    // moved (then renumbered).
    static bool MoveRow(PropsList& rows, const DProps& row);
    // Numbers, letters and normalises the rows; totals gets "items" and
    // "quantity". Returns items.
    static long NormalizeRows(PropsList& rows, DProps& totals);
    // Replaces material's rows by newRows (merged by uid), or the whole list
    // when material is empty; renumbers. True when a counted row remains.
    static bool ReplaceRows(const char* material, PropsList& rows, const PropsList& newRows);
    // Removes the first row with each uid. True.
    static bool RemoveRows(PropsList& rows, const TextList& uids);
    // Groups the rows by the named materials in that order, the rest after
    // them; false, changing nothing, for no names or no rows.
    static bool OrderByMaterials(PropsList& rows, const TextList& names);
    // Sorts the rows by key read as type ("long", "double"), greatest first,
    // and rows of equal key by "id", smallest first.
    static void SortByThenById(PropsList& rows, const char* key, const char* type);

private:
    // The material changes its own order's rows in place (stamping names,
    // charging unplaced parts); every such change ends in UpdateTotals.
    friend class DCSProject;
    // Tests arrange rows that no operation would produce.
    friend struct DocumentProbe;

    PropsList& Rows(long kind) { return kind == RowsBlanks ? m_blanks : m_pieces; }

    // "blanks.items", "blanks.quantity", "pieces.items", "pieces.quantity".
    DProps m_totals;
    TextList m_materials;
    PropsList m_blanks;
    PropsList m_pieces;
    // The numbers of the rows, and the numbers followed by labels and comments.
    ChangeTracker m_numbers;
    ChangeTracker m_full;
    // The findings of the last check, code -> culprit.
    DProps m_warnings;
    // Flags of the last check; 3 until the first.
    int32_t m_checkResult = 3;
};
