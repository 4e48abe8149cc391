// One material of the open project: its name and options, its order, the
// result rows of the applied solution, the alternatives of the last
// calculation and its warnings. The object is also the worker thread that
// calculates the material, so several materials can be calculated at once.
//
// The material belongs to the thread that made it (the UI thread): only that
// thread changes what the panels read. A calculation takes its snapshot on
// that thread, works on it alone, and hands its outcome back there in one
// step before the owner window hears of its end; a stopped one hands back
// nothing. The UI thread must dispatch messages while it waits for a
// calculation, as it does in the progress dialogs and in StopAndWait.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "document/ChangeTracker.h"
#include "document/DCSStorage.h"
#include "document/DList.h"
#include "engine/Cutting.h"
#include "foundation/DProps.h"
#include "foundation/DThread.h"
#include "foundation/FieldCheck.h"

class DSettings;
class Solver;

// Rankings of solutions: true when a goes before b. Both use a tolerance, so
// they are no strict weak order; sort only with DList::Sort.
bool CompareByCost(const CUTTING::Layout& a, const CUTTING::Layout& b);
bool CompareByUsedLength(const CUTTING::Layout& a, const CUTTING::Layout& b);
// The text whose CRC tells two solutions apart: their statistics to six
// decimals and their number of cutting patterns.
std::string SolutionKey(const CUTTING::Layout& layout);

// Why a material name cannot be used (names become block names of the
// project file, whose markers are "<!--block:" name "-->").
enum MaterialNameCheck {
    MaterialNameOk = 0,
    MaterialNameEmpty = 1,      // the block could not be found again
    MaterialNameReserved = 2,   // "#solution" is the project's own block
    MaterialNameMarker = 3,     // "-->" would end the block's start marker early
};

class DCSProject : public DThread {
public:
    DCSProject();
    DCSProject(const DCSProject& other);
    DCSProject& operator=(const DCSProject& other);
    ~DCSProject() override;

    // ---- What the panels, dialogs and reports read ---------------------------------
    // On the UI thread. References stay valid until the next change of the
    // material there; a running calculation changes none of it until its end
    // is handed back, which happens only while the UI thread dispatches
    // messages.

    // Name, options, texts and the status of the last calculation.
    const DProps& GetProperties() const { return m_props; }
    // One property, def when the material has none.
    std::string GetProperty(const char* key, const char* def = "") const;
    // The order: its rows, totals, fingerprints and the findings of its check.
    const DCSStorage& GetOrder() const { return m_order; }
    const PropsList& GetBlankRows() const { return m_order.GetBlanks(); }
    const PropsList& GetPieceRows() const { return m_order.GetPieces(); }
    // The stock rows for kind RowsBlanks, the part rows for any other kind.
    const PropsList& GetRows(long kind) const { return m_order.GetRows(kind); }
    // "blanks.items", "blanks.quantity", "pieces.items", "pieces.quantity".
    const DProps& GetTotals() const { return m_order.GetTotals(); }
    // Result rows of the applied solution.
    const PropsList& GetSummaryRows() const { return m_summary; }
    const PropsList& GetCuttingRows() const { return m_cuttings; }
    const PropsList& GetCuttingPartRows() const { return m_cuttingParts; }
    const PropsList& GetRemnantRows() const { return m_remnants; }
    // The alternatives of the last calculation, in ranking order.
    const DList<CUTTING::Layout>& GetSolutions() const { return m_solutions; }
    // The solution shown to the user.
    const CUTTING::Layout& GetLayout() const { return m_layout; }
    // Flags of the last collection of warnings (1 error, 2 warning).
    int32_t GetCheckResult() const { return m_checkResult; }
    // The stored baselines of the change tracking; 0 while none is stored.
    uint32_t GetPropertiesFingerprint() const { return m_propsTracker.Baseline(); }
    uint32_t GetResultsFingerprint() const { return m_resultsTracker.Baseline(); }
    // The copy of the locale section "globals" that the status texts use.
    const DProps& GetLocaleTexts() const { return m_locale; }
    // The window the end of a calculation is reported to; null when none.
    HWND GetOwner() const { return m_owner; }

    // ---- Record, options, change tracking -------------------------------------

    // Back to an empty, unnamed material with the default options.
    void Reset();
    // Drops the alternatives and the summary, cutting and cutting part rows;
    // part rows get "orphans" 0. Raises kEventSolutionsChanged.
    void ClearSolutions();
    // Appends copies to the stock rows (kind 1) or the part rows (any other
    // kind); false, nothing changed, for an empty list.
    bool AppendRows(const PropsList& rows, long kind);
    // Renames the material and stamps its rows. A name that the project file
    // cannot hold is refused: the result tells why and nothing changes.
    MaterialNameCheck SetMaterial(const char* name);
    static MaterialNameCheck CheckMaterialName(const char* name);
    // Stores one property and updates the fingerprint without a new
    // baseline, so an edited text or option counts as a change. "material"
    // renames the material (SetMaterial); false when that is refused.
    bool SetProperty(const char* key, const char* value);
    // Recounts the order and the fingerprints (with a new baseline when
    // asked) and collects the warnings again.
    void Refresh(bool newBaseline);
    const DProps* FindBlankRow(long id) const;
    const DProps* FindPieceRow(long id) const;
    bool HasCuttings() const;
    bool HasRemnants() const;
    void UpdateFingerprint(bool newBaseline);
    // The fingerprints of the options and texts and of the cutting rows as
    // they are now.
    void ComputeFingerprints(uint32_t& props, uint32_t& results) const;
    // mask: ChangeMask bits (ChangeMasks.h). True when any asked-for bit holds.
    bool IsChanged(long mask) const;

    // ---- Order rows ---------------------------------------------------------------
    // The row operations of DCSStorage on the rows of one kind; each ends as
    // every change of the order does: the order recounted, the fingerprint
    // updated (no new baseline) and the warnings collected again. The solutions
    // stay: the caller drops them when IsChanged(kChangedResults) says so.

    bool AddRow(long kind, DProps& row);
    bool UpdateRow(long kind, DProps& row);
    bool DeleteRow(long kind, const DProps& row);
    bool MoveRow(long kind, const DProps& row);
    bool SetRowValues(long kind, const char* uid, const DProps& values);
    // The rows of material (all rows when it is empty) replaced by rows, as
    // the stock and part editors hand them back.
    bool ReplaceRows(long kind, const char* material, const PropsList& rows);

    // ---- Calculation (defined with the calculation body) ----------------------

    // Starts the calculation thread, which reports to owner (WM_USER, wParam
    // 3, lParam 1 when there are solutions) at its end. False, and no message
    // to wait for, without stock or parts, or while a calculation runs (which
    // then keeps its owner and any stop asked of it).
    bool Calculate(HWND owner);
    // Starts the calculation as the supervisor does: without the tests of
    // Calculate, reporting to the owner that Calculate stored last, and with
    // a stop left over from an earlier run cleared. False while it runs.
    bool CalculateUnattended();
    // Sets the stop flag that the solver polls and waits for the thread to
    // end, serving this thread's messages meanwhile (so the end message is
    // delivered); the material is back as it was before the calculation.
    void StopAndWait() override;
    // Sets the stop flag and asks the thread to stop, without waiting.
    void Stop() override;
    // True once a stop was asked for, until the next calculation starts.
    bool IsStopRequested() const { return m_stop.load() != 0; }
    // Overall percent 1..100 of the running or last calculation; 0 before the
    // first one. Any thread.
    long GetProgress();
    // "Pass n..." and "Done x from y..." while a pass runs, the two stop lines
    // while it stops, empty otherwise. Any thread.
    std::string GetStatusText();
    // "payload": the size of the work, weighting the progress of several
    // materials. Uses the pass count of the previous calculation. Any thread:
    // the computation runs on the UI thread, and while a calculation runs the
    // property waits for its outcome (a stop drops it).
    void UpdatePayload();
    // The "payload" last computed. Any thread.
    long GetPayload() const { return m_livePayload.load(); }
    // The calculation body; 1 when the material has solutions at its end.
    int32_t Run() override;
    // One option set per pass: two, or four with "level" and a stock kerf.
    void PlanPasses();
    // "passes" and "pass" of the last plan, and its option sets (copies).
    DProps GetPasses();
    PropsList GetPassOptions();
    // Charges the current layout's unplaced parts to the part rows ("orphans");
    // returns their total.
    long ComputeOrphans();

    // ---- Solutions -------------------------------------------------------------

    // optimize 1 ranks by cost, anything else by used length.
    void SortSolutions(long optimize);
    // Keeps the first of the solutions whose statistics coincide.
    void RemoveDuplicateSolutions();

    // ---- Result rows -------------------------------------------------------------

    // Makes solution index the current layout (an index outside the list
    // keeps the current layout) and rebuilds every result row.
    void ApplySolution(long index);
    void RefreshResults();
    void BuildCuttings();
    void BuildCuttingParts();
    long BuildRemnants(PropsList& target);
    // The parts of a signature as letters in out, "pieces" and the lengths
    // joined by the list separator ("formatting") in bag.
    long DescribeSignature(DProps& bag, const char* signature, std::vector<std::string>& out);
    // Replaces the current layout as it stands; nothing else changes.
    void SetLayout(const CUTTING::Layout& layout);
    // Takes over a layout edited by hand: it becomes the current layout, the
    // result rows are rebuilt from it (kEventSolutionsChanged), the layout is
    // rebuilt from those rows with its unplaced parts charged to the part rows,
    // and the material gets a new calculation id.
    void ApplyEditedLayout(const CUTTING::Layout& layout);

    // ---- Warnings, texts, automation rows ---------------------------------------

    // The parts of a signature ("1#a2-b1-") as one letter each in out, their
    // total as "pieces" in bag. A stored signature can claim any count, so
    // the letters stop at the order's demand total ("pieces.quantity").
    long PiecesFromSignature(const char* signature, std::vector<std::string>& out, DProps& bag) const;
    // The same with the letters held at limit.
    static long PiecesFromSignature(const char* signature, std::vector<std::string>& out, DProps& bag,
                                    long limit);
    int32_t CollectWarnings(DProps& bag);
    int32_t UpdateWarnings();
    // The warnings bag, named after the material.
    const DProps& GetWarnings();
    long GetOrphans(const char* id) const;
    std::string QuantityText(const char* id, bool totalOnly) const;
    // Names what a report of the material shows, as the material is now.
    std::string GetContentId() const;
    bool ImportBlankRow(const DProps& values);
    bool ImportPieceRow(const DProps& values);
    bool DeleteBlankRow(long n);
    bool DeletePieceRow(long n);

    // ---- Project file and the layout rebuilt from stored rows -------------------------

    // The material's block of the project file. Write takes the written state
    // as the new baseline unless told not to (a save takes it only once its
    // file is written). Read resets the material first and rebuilds its
    // layout from the stored rows; dropped, when given, tells why stored
    // results that could not belong to the order were left out.
    bool Write(DSettings* document, bool newBaseline = true);
    bool Read(const DSettings* document, std::string* dropped = nullptr);
    bool WriteSolutions(DSettings* document);
    bool ReadSolutions(const DSettings* document, std::string* dropped = nullptr);
    // The current layout rebuilt from the order and the cutting rows, without
    // the solver; sets "cost".
    void RestoreLayout();
    // The stock and demand lists of a layout from the order rows, as every
    // calculation pass builds them: stock in row order (below 1 bar:
    // unlimited), parts longest first and merged by equal length.
    void BuildStockAndDemand(CUTTING::Layout& layout) const;

protected:
    // The solver of one calculation, owned by the caller (a new Solver).
    virtual Solver* CreateSolver();

private:
    // Tests arrange states that no operation would produce.
    friend struct DocumentProbe;
    // What one calculation works on, owned by its thread.
    struct Work;

    void CopyFields(const DCSProject& other);
    // On the UI thread: the snapshot a calculation starts from, and its
    // outcome taken over (nothing after a stop).
    void TakeSnapshot(Work& work);
    void ApplyOutcome(Work& work, bool stopped);
    // The progress and payload that other threads read, brought in line
    // with the properties (UI thread).
    void SyncMirrors();
    void PlanPasses(const DProps& props, const DCSStorage& order);
    void ComputePayload();
    // The operations of the same names on a list, an order or rows of one's own.
    static void SortSolutions(DList<CUTTING::Layout>& solutions, long optimize);
    static void RemoveDuplicateSolutions(DList<CUTTING::Layout>& solutions);
    static void BuildStockAndDemand(const DCSStorage& order, CUTTING::Layout& layout);
    static long ComputeOrphans(const CUTTING::Layout& layout, PropsList& rows);
    void BuildSummary();
    // The parts of a pattern in the order a calculation lists them.
    static void ListPartsShortestFirst(CUTTING::Blank& pattern);
    // The current layout's statistics with that remnant length (the text of
    // the "remnants" option), and the material's "cost" from them.
    void ComputeLayoutSummary(const std::string& remnants);
    std::string SummaryStatusText() const;
    void StopThreadForGood();
    // One solver pass on input built from the work's order; true when it kept a solution.
    bool RunPass(Work& work);
    // Ends every change of the order rows.
    template <class Change>
    bool ChangeRows(Change change);

    // ---- Fields ------------------------------------------------------------------
    // The UI thread alone changes the material's record; the calculation
    // thread writes only the pass plan and m_solver (under the thread lock of
    // the base) and the mirrors below.

    DProps m_props;                 // name, options, calculation status
    DCSStorage m_order;             // stock rows and part rows
    PropsList m_summary;            // summary row, then one row per stock length
    PropsList m_cuttings;           // one row per cutting pattern
    PropsList m_cuttingParts;       // bars of each pattern grouped by their part rows
    HWND m_owner = nullptr;         // receives the end-of-calculation message
    std::atomic<char> m_stop{0};    // polled by the solver
    Solver* m_solver = nullptr;     // the running pass's solver, under m_lock
    CUTTING::Layout m_layout;       // the current layout
    DProps m_solverOptions;         // option bag of the running pass
    DProps m_locale;                // copy of the locale section "globals"
    PropsList m_passOptions;        // one option bag per planned pass
    DList<CUTTING::Layout> m_solutions;
    PropsList m_remnants;           // reusable offcuts of the applied solution
    DProps m_warnings;              // code -> culprit
    int32_t m_checkResult = 3;      // 1 error, 2 warning
    DProps m_passes;                // "passes", "pass"
    ChangeTracker m_propsTracker;   // the texts and options
    ChangeTracker m_resultsTracker; // the cutting rows

    DWORD m_home = 0;                        // the thread the material belongs to
    bool m_calculating = false;              // snapshot taken, outcome not yet back (UI thread)
    bool m_payloadPending = false;           // a payload to store with the outcome (UI thread)
    std::atomic<long> m_liveProgress{0};     // "progress" as any thread reads it
    std::atomic<long> m_livePayload{0};      // "payload" as any thread reads it
};
