// The calculation of one material on its own thread: a snapshot taken on the
// UI thread, two or four solver passes over input built from its order rows,
// the solutions of the passes that succeeded handed back to the UI thread in
// one step, and after a stop nothing handed back at all. Other threads see
// only the progress, the payload and a status text.
#include "document/DCSProject.h"

#include <climits>
#include <exception>
#include <memory>

#include "document/DAppServices.h"
#include "document/HandBack.h"
#include "engine/Solver.h"
#include "foundation/Helper.h"
#include "foundation/StrUtil.h"
#include "foundation/ULog.h"
#include "foundation/UniqueId.h"
#include "foundation/WindowMessages.h"

namespace {

// Keeps the solver published for progress queries while a pass runs, and
// withdraws it under the lock however the pass ends, so no query ever reads
// a solver that is gone.
class PublishedSolver {
public:
    PublishedSolver(DLock& lock, Solver*& slot, Solver* solver) : m_lock(lock), m_slot(slot)
    {
        DAutoLock guard(&m_lock);
        m_slot = solver;
    }
    ~PublishedSolver()
    {
        DAutoLock guard(&m_lock);
        m_slot = nullptr;
    }
    PublishedSolver(const PublishedSolver&) = delete;
    PublishedSolver& operator=(const PublishedSolver&) = delete;

private:
    DLock& m_lock;
    Solver*& m_slot;
};

// The keys of the properties that a calculation writes.
const char* const kCalculationKeys[] = {"progress", "calculation", "cost", "time.gone", "time.date"};

bool IsCalculationKey(const char* key)
{
    for (const char* k : kCalculationKeys)
        if (_stricmp(k, key) == 0)
            return true;
    return false;
}

}  // namespace

// What one calculation works on: copies of the material's properties, order
// and layout, and the solutions its passes find. Only its thread touches it
// between the snapshot and the outcome.
struct DCSProject::Work {
    DProps props;
    DCSStorage order;
    CUTTING::Layout layout;
    DList<CUTTING::Layout> solutions;
    bool solved = false;   // some pass kept a solution
};

// ---- Entry points of the UI thread ------------------------------------------------

bool DCSProject::Calculate(HWND owner)
{
    // A running calculation keeps the window it reports to, and a stop asked
    // of it stays asked.
    if (IsRunning())
        return false;
    m_owner = owner;
    m_stop.store(0);
    if (m_order.m_blanks.empty() || m_order.m_pieces.empty())
        return false;
    return Start(THREAD_PRIORITY_NORMAL);
}

bool DCSProject::CalculateUnattended()
{
    if (IsRunning())
        return false;
    // A stop left over from an earlier run must not end this one.
    m_stop.store(0);
    return Start(THREAD_PRIORITY_NORMAL);
}

void DCSProject::Stop()
{
    m_stop.store(1);
    DThread::Stop();
}

void DCSProject::StopAndWait()
{
    m_stop.store(1);
    // Waits for the thread itself, not for its running flag: the flag drops
    // just before the thread leaves the material alone for good.
    DThread::StopAndWait();
}

Solver* DCSProject::CreateSolver()
{
    return new Solver();
}

// ---- Progress -------------------------------------------------------------------------

long DCSProject::GetProgress()
{
    DAutoLock guard(&m_lock);
    const long passes = DProps::GetLong(m_passes, "passes");
    const double share = IsNearZero(static_cast<double>(passes)) ? 0.0 : 1.0 / passes;
    if (m_solver) {
        DProps status;
        if (m_solver->GetStatus(status) != 0) {
            const double solver = SafeDivide(static_cast<double>(DProps::GetLong(status, "progress")), 100.0);
            const long done = DProps::GetLong(m_passes, "pass") - 1;
            // A nearly finished last pass shows 100.
            long percent = RoundToLong((solver * share + done * share) * 100.1);
            if (percent < 1)
                percent = 1;
            if (percent > 100)
                percent = 100;
            // The property itself changes only with the outcome.
            m_liveProgress = percent;
            return percent;
        }
    }
    return m_liveProgress.load();
}

std::string DCSProject::GetStatusText()
{
    DAutoLock guard(&m_lock);
    if (!m_solver)
        return std::string();
    DProps status;
    if (m_solver->GetStatus(status) == 0)
        return std::string();
    if (m_stop.load() != 0)
        return SectionText(m_locale, "project.stop", "Stopping calculations...") + "\r\n" +
               SectionText(m_locale, "wait", "Please wait...");
    std::string pass, placed;
    StrFormat(pass, "%s %ld...", SectionText(m_locale, "project.pass", "Pass").c_str(),
              DProps::GetLong(m_passes, "pass"));
    StrFormat(placed, "%s %ld %s %ld...", SectionText(m_locale, "project.done", "Done").c_str(),
              DProps::GetLong(status, "piece.done"), SectionText(m_locale, "project.from", "from").c_str(),
              DProps::GetLong(status, "piece.need"));
    return pass + "\r\n" + placed;
}

void DCSProject::UpdatePayload()
{
    // The order is the UI thread's to read.
    HandBack(m_home, [this] { ComputePayload(); });
}

void DCSProject::ComputePayload()
{
    long long payload = static_cast<long long>(DProps::GetLong(GetPasses(), "passes")) *
                        DProps::GetLong(m_order.m_totals, "pieces.quantity") *
                        static_cast<long long>(m_order.m_pieces.size()) *
                        static_cast<long long>(m_order.m_blanks.size());
    // The supervisor reads the value back as a long.
    if (payload > LONG_MAX)
        payload = LONG_MAX;
    if (payload < 0)
        payload = 0;
    m_livePayload = static_cast<long>(payload);
    if (m_calculating)
        m_payloadPending = true;
    else
        m_props.SetLong("payload", static_cast<long>(payload));
}

DProps DCSProject::GetPasses()
{
    DAutoLock guard(&m_lock);
    return m_passes;
}

PropsList DCSProject::GetPassOptions()
{
    DAutoLock guard(&m_lock);
    return m_passOptions;
}

// ---- The thread body ------------------------------------------------------------------

int32_t DCSProject::Run()
{
    std::unique_ptr<Solver> solver(CreateSolver());
    // The stop flag and the cancel flag stay as they are: a stop asked for
    // between the start and this line must still count.
    m_running = true;
    m_result = 0;
    m_threadId = GetCurrentThreadId();

    Work work;
    HandBack(m_home, [&] { TakeSnapshot(work); });

    const uint64_t start = TimeNowMs();
    work.props.Set("progress", "1");

    PlanPasses(work.props, work.order);

    work.props.Set("calculation", "");

    for (size_t i = 0; m_stop.load() == 0; ++i) {
        {
            DAutoLock guard(&m_lock);
            if (i >= m_passOptions.size())
                break;
            m_solverOptions.Clear();
            m_solverOptions.CopyFrom(&m_passOptions[i]);
            m_passes.SetLong("pass", static_cast<long>(i + 1));
        }
        PublishedSolver published(m_lock, m_solver, solver.get());
        try {
            RunPass(work);
        } catch (const std::exception& error) {
            // A pass that breaks keeps nothing; the others still run.
            OutputDebugStringA("ERR >> calculation pass: ");
            OutputDebugStringA(error.what());
        }
    }

    const bool stopped = m_stop.load() != 0;
    if (!stopped) {
        const long long seconds = static_cast<long long>((TimeNowMs() - start) / 1000);
        work.props.SetLong("time.gone", static_cast<long>(seconds));
        work.props.Set("time.date", Helper::TimeStamp());
        work.props.Set("progress", "100");
        RemoveDuplicateSolutions(work.solutions);
    }

    int32_t result = 0;
    HandBack(m_home, [&] {
        ApplyOutcome(work, stopped);
        result = m_solutions.Count() > 0 ? 1 : 0;
    });
    m_result = result;
    // Sent while the material still counts as running: whoever waits for the
    // thread's end (and so may free or copy the material) serves this message
    // during the wait.
    HWND owner = m_owner;
    if (owner && IsWindow(owner))
        SendMessageW(owner, WM_USER, kCalculationFinished, result);
    m_cancel = false;
    m_running = false;
    return result;
}

void DCSProject::TakeSnapshot(Work& work)
{
    {
        DAutoLock guard(&m_props.GetLock());
        work.props = m_props;
    }
    work.order = m_order;
    work.layout = m_layout;
    m_calculating = true;
    m_payloadPending = false;
    m_liveProgress = 1;
}

void DCSProject::ApplyOutcome(Work& work, bool stopped)
{
    if (!stopped) {
        m_solutions = std::move(work.solutions);
        m_layout = std::move(work.layout);
        // The part rows are the snapshot's, so the unplaced parts of the last
        // successful pass fall on them as they fell on the thread's copy.
        if (work.solved)
            ComputeOrphans();
        // In the order the calculation wrote them, so keys new to the
        // material line up as they always did.
        for (int i = 0; i < work.props.Count(); ++i) {
            const char* key = work.props.GetKeyAt(i);
            if (key && IsCalculationKey(key))
                m_props.Set(key, work.props.GetValueAt(i));
        }
        if (m_payloadPending)
            m_props.SetLong("payload", m_livePayload.load());
    }
    m_payloadPending = false;
    m_calculating = false;
    SyncMirrors();
}

void DCSProject::SyncMirrors()
{
    if (m_calculating)
        return;
    m_liveProgress = DProps::GetLong(m_props, "progress");
    m_livePayload = DProps::GetLong(m_props, "payload");
}

void DCSProject::PlanPasses()
{
    PlanPasses(m_props, m_order);
}

void DCSProject::PlanPasses(const DProps& props, const DCSStorage& order)
{
    DAutoLock guard(&m_lock);
    const long level = DProps::GetLong(props, "level");

    double kerfSum = 0.0;
    long kerfRows = 0;
    for (const DProps& row : order.GetBlanks()) {
        const double kerf = DProps::GetDouble(row, "knife");
        if (!IsNearZero(kerf)) {
            kerfSum += kerf;
            ++kerfRows;
        }
    }
    const double kerf = kerfRows > 0 ? kerfSum / kerfRows : 0.0;

    auto passSet = [&props](const char* mode, const std::string& shift, const std::string& ratio) {
        DProps set;
        {
            DAutoLock lock(&props.GetLock());
            set = props;
        }
        set.Set("mode", mode);
        set.Set("shift", shift.c_str());
        set.Set("ratio", ratio.c_str());
        return set;
    };

    m_passOptions.clear();
    m_passOptions.push_back(passSet("0", "0.", "0."));
    m_passOptions.push_back(passSet("2", "0.", "0."));
    m_passes.SetLong("passes", 2);

    if (level > 0 && !IsNearZero(kerf)) {
        std::string shift, ratio;
        StrFormat(shift, "%.5f", kerf * 0.5);
        StrFormat(ratio, "%.5f", kerf);
        m_passOptions.push_back(passSet("0", shift, ratio));
        m_passOptions.push_back(passSet("2", shift, ratio));
        m_passes.SetLong("passes", 4);
    }
}

bool DCSProject::RunPass(Work& work)
{
    Solver* solver = m_solver;   // written by this thread alone
    if (!solver)
        return false;

    // Its patterns, statistics and unplaced parts stay until the solver
    // replaces them.
    BuildStockAndDemand(work.order, work.layout);

    m_solverOptions.Set("threads", "4");

    CUTTING::Layout working = work.layout;
    if (!solver->Solve(working, m_solverOptions, &m_stop) || m_stop.load() != 0)
        return false;

    work.layout = working;
    work.solved = true;
    ComputeOrphans(work.layout, work.order.m_pieces);
    work.layout.props.Set("status", "");
    work.props.Set("cost", DProps::GetString(work.layout.props, "cost", "").c_str());
    work.solutions.Add(work.layout);
    SortSolutions(work.solutions, DProps::GetLong(work.props, "optimize"));

    work.props.Set("calculation", FormatHex64(8, UniqueRandom()));
    return true;
}

long DCSProject::ComputeOrphans()
{
    return ComputeOrphans(m_layout, m_order.m_pieces);
}

long DCSProject::ComputeOrphans(const CUTTING::Layout& layout, PropsList& rows)
{
    if (rows.empty())
        return 0;
    for (DProps& row : rows)
        row.Set("orphans", "0");

    bool anyDemand = false;
    for (const CUTTING::Piece& piece : layout.pieces)
        anyDemand = anyDemand || piece.quantity != 0;
    if (!anyDemand)
        return 0;

    // Unplaced parts of one length are charged to the rows of that length
    // from the last row upwards.
    std::vector<CUTTING::Piece> unplaced = layout.orphans;
    std::vector<long> placed(rows.size(), 0);
    for (size_t i = rows.size(); i-- > 0;) {
        const long quantity = DProps::GetLong(rows[i], "quantity");
        placed[i] = quantity;
        if (quantity == 0)
            continue;
        const double length = DProps::GetDouble(rows[i], "length");
        for (CUTTING::Piece& entry : unplaced) {
            if (entry.quantity == 0 || !NumEqual(entry.length, length))
                continue;
            if (entry.quantity > quantity) {
                entry.quantity -= quantity;
                placed[i] = 0;
            } else {
                placed[i] = quantity - entry.quantity;
                entry.quantity = 0;
            }
            break;
        }
    }

    long total = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        const long missing = DProps::GetLong(rows[i], "quantity") - placed[i];
        if (missing != 0) {
            rows[i].SetLong("orphans", missing);
            total += missing;
        }
    }
    return total;
}
