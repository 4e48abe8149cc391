// The material record: construction, copying, reset, bulk changes of the
// order, change tracking, and the ranking of the alternatives of a calculation.
#include "document/DCSProject.h"

#include <cstdio>
#include <cstring>
#include <set>

#include "document/AppEvents.h"
#include "document/ChangeMasks.h"
#include "document/DAppServices.h"
#include "document/HandBack.h"
#include "document/StatusCodes.h"
#include "foundation/RecordText.h"
#include "foundation/StrUtil.h"

namespace {

// A missing option counts as "0" in the fingerprint, a missing text as empty.
struct FingerprintKey {
    const char* key;
    const char* missing;
};

// "active" counts: a material ticked on or off changes what the project
// calculates and reports, and the change must not be lost unasked.
const FingerprintKey kFingerprintKeys[] = {
    {"material", ""}, {"active", "1"}, {"desc", ""}, {"comment", ""}, {"comment.active", "0"},
    {"notes", ""}, {"notes.active", "0"}, {"optimize", "0"}, {"level", "0"},
    {"remnants", "0"}, {"sort", "0"}, {"diversity", "0"},
};

double Stat(const CUTTING::Layout& layout, const char* key)
{
    return DProps::GetDouble(layout.props, key);
}

// The first two steps of both rankings: the primary figure decides unless
// the two agree within the tolerance, and a primary figure of 0 leaves the
// pair unranked (no later key may decide between two solutions without it).
// Returns -1 when the rest of the keys decide.
int RankBy(double a, double b, bool lowerFirst)
{
    if (!NumEqual(a, b) || IsNearZero(a))
        return lowerFirst ? (a < b ? 1 : 0) : (a > b ? 1 : 0);
    return -1;
}

}  // namespace

bool CompareByCost(const CUTTING::Layout& a, const CUTTING::Layout& b)
{
    int r = RankBy(Stat(a, "cost"), Stat(b, "cost"), true);
    if (r >= 0)
        return r == 1;
    r = RankBy(Stat(a, "cmu"), Stat(b, "cmu"), false);
    if (r >= 0)
        return r == 1;
    return DProps::GetLong(a.props, "shifts") < DProps::GetLong(b.props, "shifts");
}

bool CompareByUsedLength(const CUTTING::Layout& a, const CUTTING::Layout& b)
{
    int r = RankBy(Stat(a, "used.len"), Stat(b, "used.len"), true);
    if (r >= 0)
        return r == 1;
    r = RankBy(Stat(a, "cmu"), Stat(b, "cmu"), false);
    if (r >= 0)
        return r == 1;
    const long shiftsA = DProps::GetLong(a.props, "shifts");
    const long shiftsB = DProps::GetLong(b.props, "shifts");
    if (shiftsA != shiftsB || shiftsA == 0)
        return shiftsA < shiftsB;
    return Stat(a, "cost") < Stat(b, "cost");
}

std::string SolutionKey(const CUTTING::Layout& layout)
{
    std::string key;
    StrFormat(key, "%ld%ld%f%f%ld%f%ld", DProps::GetLong(layout.props, "used"),
              DProps::GetLong(layout.props, "pieces"), Stat(layout, "cmu"), Stat(layout, "remnants"),
              DProps::GetLong(layout.props, "shifts"), Stat(layout, "cost.ppu"),
              static_cast<long>(layout.cuttings.size()));
    return key;
}

// ---- Construction and copying --------------------------------------------------

DCSProject::DCSProject() : m_home(PrepareHandBack())
{
    Reset();
}

// A copy belongs to the thread that makes it.
DCSProject::DCSProject(const DCSProject& other) : DThread(), m_home(PrepareHandBack())
{
    CopyFields(other);
}

DCSProject& DCSProject::operator=(const DCSProject& other)
{
    if (this != &other)
        CopyFields(other);
    return *this;
}

// The thread handle is not copied: it has exactly one owner, and a material is
// copied only while its calculation does not run, so the copy has no thread
// to wait for. Everything the thread left behind (flags, result, name) comes along.
void DCSProject::CopyFields(const DCSProject& other)
{
    m_running.store(other.m_running.load());
    m_cancel.store(other.m_cancel.load());
    m_result.store(other.m_result.load());
    {
        DAutoLock lock(const_cast<DLock*>(&other.m_lock));
        m_name = other.m_name;
    }
    m_threadId.store(other.m_threadId.load());

    m_props = other.m_props;
    m_order = other.m_order;
    m_summary = other.m_summary;
    m_cuttings = other.m_cuttings;
    m_cuttingParts = other.m_cuttingParts;
    m_owner = other.m_owner;
    m_stop.store(other.m_stop.load());
    m_solver = other.m_solver;
    m_layout = other.m_layout;
    m_solverOptions = other.m_solverOptions;
    m_locale = other.m_locale;
    m_passOptions = other.m_passOptions;
    m_solutions = other.m_solutions;
    m_remnants = other.m_remnants;
    m_warnings = other.m_warnings;
    m_checkResult = other.m_checkResult;
    m_passes = other.m_passes;
    m_propsTracker = other.m_propsTracker;
    m_resultsTracker = other.m_resultsTracker;
    m_calculating = false;
    m_payloadPending = false;
    SyncMirrors();
}

// The calculation reads and writes these fields, so it must be over before
// any of them goes; the base would stop it only after. A material that goes
// raises no event: it goes while the project's list of materials is being
// changed, and the windows that hear an event read that list.
DCSProject::~DCSProject()
{
    StopThreadForGood();
}

void DCSProject::StopThreadForGood()
{
    if (!IsRunning() && !m_thread)
        return;
    m_stop.store(1);
    DThread::StopAndWait();
}

// ---- Record ------------------------------------------------------------------------

void DCSProject::Reset()
{
    m_props.Clear();
    m_order.Clear();
    m_remnants.clear();
    m_owner = nullptr;
    ClearSolutions();

    static const char* const kZeroFirst[] = {"optimize", "level", "diversity", "status"};
    for (const char* key : kZeroFirst)
        m_props.Set(key, "0");
    m_props.Set("active", "1");
    m_props.Set("remnants", "0");
    m_props.Set("sort", "0");
    m_props.Set("version", "1");
    m_props.Set("desc", "");
    m_props.Set("comment", "");
    m_props.Set("comment.active", "0");
    m_props.Set("notes", "");
    m_props.Set("notes.active", "0");

    m_order.UpdateTotals(true);
    UpdateFingerprint(true);

    UpdateWarnings();

    GetAppServices()->GetLocaleSection("globals", m_locale);
    SyncMirrors();
}

void DCSProject::ClearSolutions()
{
    m_summary.clear();
    m_cuttings.clear();
    m_cuttingParts.clear();
    m_solutions.Clear();
    for (DProps& row : m_order.m_pieces)
        row.Set("orphans", "0");
    // Without results nothing is unplaced: the warning goes with them, before
    // the project panel and the messages read the bag again.
    const int unplaced = m_warnings.IndexOf(StatusKey(StatusNotAllPlaced).c_str());
    if (unplaced >= 0)
        m_warnings.RemoveAt(unplaced);
    UpdateFingerprint(false);
    GetAppServices()->OnAppEvent(kEventSolutionsChanged, 0);
}

bool DCSProject::AppendRows(const PropsList& rows, long kind)
{
    if (rows.empty())
        return false;
    PropsList& target = m_order.Rows(kind == RowsBlanks ? RowsBlanks : RowsPieces);
    target.insert(target.end(), rows.begin(), rows.end());
    const std::string material = DProps::GetString(m_props, "material");
    for (DProps& row : target)
        row.Set("material", material.c_str());
    ClearSolutions();
    m_order.UpdateTotals(false);
    UpdateFingerprint(false);
    UpdateWarnings();
    return true;
}

MaterialNameCheck DCSProject::CheckMaterialName(const char* name)
{
    if (!name || !*name)
        return MaterialNameEmpty;
    if (_stricmp(name, "#solution") == 0)
        return MaterialNameReserved;
    if (strstr(name, "-->"))
        return MaterialNameMarker;
    return MaterialNameOk;
}

MaterialNameCheck DCSProject::SetMaterial(const char* name)
{
    const MaterialNameCheck check = CheckMaterialName(name);
    if (check != MaterialNameOk)
        return check;
    m_props.Set("material", name);
    m_order.StampMaterial(name);
    m_order.UpdateTotals(false);
    UpdateFingerprint(false);
    UpdateWarnings();
    return MaterialNameOk;
}

std::string DCSProject::GetProperty(const char* key, const char* def) const
{
    return DProps::GetString(m_props, key, def ? def : "");
}

bool DCSProject::SetProperty(const char* key, const char* value)
{
    if (!key || !*key)
        return false;
    if (_stricmp(key, "material") == 0)
        return SetMaterial(value) == MaterialNameOk;
    m_props.Set(key, value ? value : "");
    UpdateFingerprint(false);
    SyncMirrors();
    return true;
}

void DCSProject::Refresh(bool newBaseline)
{
    m_order.UpdateTotals(newBaseline);
    UpdateFingerprint(newBaseline);
    UpdateWarnings();
    SyncMirrors();
}

namespace {

const DProps* FindRowById(const PropsList& rows, long id)
{
    std::string text;
    StrFormat(text, "%ld", id);
    return PropsListFind(&rows, "id", text.c_str());
}

}  // namespace

const DProps* DCSProject::FindBlankRow(long id) const
{
    return FindRowById(m_order.m_blanks, id);
}

const DProps* DCSProject::FindPieceRow(long id) const
{
    return FindRowById(m_order.m_pieces, id);
}

// ---- Order rows ------------------------------------------------------------------

template <class Change>
bool DCSProject::ChangeRows(Change change)
{
    const bool result = change();
    m_order.UpdateTotals(false);
    UpdateFingerprint(false);
    UpdateWarnings();
    return result;
}

bool DCSProject::AddRow(long kind, DProps& row)
{
    return ChangeRows([&] { return DCSStorage::AddRow(m_order.Rows(kind), row); });
}

bool DCSProject::UpdateRow(long kind, DProps& row)
{
    return ChangeRows([&] { return DCSStorage::UpdateRow(row, m_order.Rows(kind)); });
}

bool DCSProject::DeleteRow(long kind, const DProps& row)
{
    return ChangeRows([&] { return DCSStorage::DeleteRow(row, m_order.Rows(kind)); });
}

bool DCSProject::MoveRow(long kind, const DProps& row)
{
    return ChangeRows([&] { return DCSStorage::MoveRow(m_order.Rows(kind), row); });
}

bool DCSProject::SetRowValues(long kind, const char* uid, const DProps& values)
{
    return ChangeRows([&] { return DCSStorage::SetRowValues(m_order.Rows(kind), uid, values); });
}

bool DCSProject::ReplaceRows(long kind, const char* material, const PropsList& rows)
{
    return ChangeRows([&] { return DCSStorage::ReplaceRows(material, m_order.Rows(kind), rows); });
}

bool DCSProject::HasCuttings() const
{
    return !m_cuttings.empty() && !m_summary.empty();
}

bool DCSProject::HasRemnants() const
{
    return !m_cuttings.empty() && !m_remnants.empty();
}

// ---- Change tracking ---------------------------------------------------------------

void DCSProject::ComputeFingerprints(uint32_t& props, uint32_t& results) const
{
    std::string propsText;
    for (const FingerprintKey& k : kFingerprintKeys)
        propsText += DProps::GetString(m_props, k.key, k.missing);
    std::string resultsText = "cuttings";
    for (const DProps& row : m_cuttings) {
        resultsText += DProps::GetString(row, "signature", "");
        resultsText += DProps::GetString(row, "copies", "");
        resultsText += DProps::GetString(row, "blank", "");
    }
    props = Crc32(propsText.c_str());
    results = Crc32(resultsText.c_str());
}

void DCSProject::UpdateFingerprint(bool newBaseline)
{
    uint32_t props = 0;
    uint32_t results = 0;
    ComputeFingerprints(props, results);
    m_propsTracker.Update(props, newBaseline);
    m_resultsTracker.Update(results, newBaseline);
}

bool DCSProject::IsChanged(long mask) const
{
    const bool numbers = m_order.NumbersChanged();
    const bool order = m_order.OrderChanged();
    const bool props = m_propsTracker.Changed();
    const bool results = m_resultsTracker.Changed();
    if ((mask & kChangedAnything) && (props || results || numbers || order))
        return true;
    if ((mask & kChangedResults) && (numbers || results))
        return true;
    if ((mask & kChangedRecord) && (props || order || numbers))
        return true;
    return false;
}

// ---- Solutions -------------------------------------------------------------------

void DCSProject::SortSolutions(DList<CUTTING::Layout>& solutions, long optimize)
{
    if (optimize == 1)
        solutions.Sort(CompareByCost);
    else
        solutions.Sort(CompareByUsedLength);
}

void DCSProject::SortSolutions(long optimize)
{
    SortSolutions(m_solutions, optimize);
}

void DCSProject::RemoveDuplicateSolutions(DList<CUTTING::Layout>& solutions)
{
    DList<CUTTING::Layout> kept;
    std::set<std::string> seen;
    for (const CUTTING::Layout& layout : solutions.Items()) {
        std::string fingerprint;
        StrFormat(fingerprint, "%lu", static_cast<unsigned long>(Crc32(SolutionKey(layout).c_str())));
        if (seen.insert(fingerprint).second)
            kept.Add(layout);
    }
    solutions = kept;
}

void DCSProject::RemoveDuplicateSolutions()
{
    RemoveDuplicateSolutions(m_solutions);
}
