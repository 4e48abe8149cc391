#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "document/DCSSolution.h"
#include "document/DProcessor.h"
#include "document/HandBack.h"
#include "foundation/RecordText.h"
#include "support/CalculationFixture.h"
#include "tests/document/MaterialFixture.h"
#include "tests/document/TestAppServices.h"

namespace {

// ---- Handing work back ----------------------------------------------------------------

// The bound of every wait for another thread here.
constexpr DWORD kBoundMs = 20000;

// A worker thread that hands one piece of work to home and records where it ran.
struct Worker {
    DWORD home = 0;
    DWORD ranOn = 0;
    std::atomic<bool> done{false};
    HANDLE thread = nullptr;

    void Start()
    {
        thread = CreateThread(nullptr, 0, Body, this, 0, nullptr);
        ASSERT_NE(nullptr, thread);
    }
    ~Worker()
    {
        if (thread) {
            EXPECT_TRUE(DThread::WaitForEnd(thread, kBoundMs)) << "the worker hangs";
            CloseHandle(thread);
        }
    }

    static DWORD WINAPI Body(LPVOID parameter)
    {
        auto* self = static_cast<Worker*>(parameter);
        HandBack(self->home, [self] { self->ranOn = GetCurrentThreadId(); });
        self->done = true;
        return 0;
    }
    static DWORD WINAPI Throwing(LPVOID parameter)
    {
        auto* self = static_cast<Worker*>(parameter);
        HandBack(self->home, [self] {
            self->ranOn = GetCurrentThreadId();
            throw std::runtime_error("broken");
        });
        self->done = true;
        return 0;
    }
    static DWORD WINAPI Nothing(LPVOID) { return 0; }
};

TEST(HandBack, WorkFromAnotherThreadRunsOnHomeWhileHomeDispatches)
{
    Worker worker;
    worker.home = PrepareHandBack();
    EXPECT_EQ(GetCurrentThreadId(), worker.home);
    worker.Start();
    ASSERT_TRUE(PumpUntil([&] { return worker.done.load(); }));
    EXPECT_EQ(GetCurrentThreadId(), worker.ranOn);
}

TEST(HandBack, OnHomeItselfOrForAHomeThatCannotReceiveTheWorkRunsAtOnce)
{
    DWORD ranOn = 0;
    HandBack(PrepareHandBack(), [&] { ranOn = GetCurrentThreadId(); });
    EXPECT_EQ(GetCurrentThreadId(), ranOn);

    // A thread that never prepared: the worker runs the work itself.
    Worker worker;
    HANDLE idle = CreateThread(nullptr, 0, Worker::Nothing, nullptr, 0, &worker.home);
    ASSERT_NE(nullptr, idle);
    const DWORD ended = WaitForSingleObject(idle, kBoundMs);
    CloseHandle(idle);
    ASSERT_EQ(WAIT_OBJECT_0, ended);
    worker.Start();
    ASSERT_TRUE(PumpUntil([&] { return worker.done.load(); }));
    EXPECT_NE(GetCurrentThreadId(), worker.ranOn);
    EXPECT_NE(0u, worker.ranOn);
}

TEST(HandBack, AnExceptionInTheWorkEndsTheWorkNotTheThreads)
{
    Worker worker;
    worker.home = PrepareHandBack();
    worker.thread = CreateThread(nullptr, 0, Worker::Throwing, &worker, 0, nullptr);
    ASSERT_NE(nullptr, worker.thread);
    ASSERT_TRUE(PumpUntil([&] { return worker.done.load(); }));
    EXPECT_EQ(GetCurrentThreadId(), worker.ranOn);
}

// A worker that posts a run of numbered pieces of work to home and then
// sends one more, which may run only after all of them.
struct PostingWorker {
    static constexpr int kPosted = 200;
    DWORD home = 0;
    // Written only on home, by the work.
    std::vector<int> order;
    std::vector<DWORD> threads;
    // Written by the worker.
    int refused = 0;
    bool sentRan = false;
    size_t ranBeforeSend = 0;
    std::atomic<bool> done{false};

    static DWORD WINAPI Body(LPVOID parameter)
    {
        auto* self = static_cast<PostingWorker*>(parameter);
        for (int i = 0; i < kPosted; ++i) {
            if (!PostHandBack(self->home, [self, i] {
                    self->order.push_back(i);
                    self->threads.push_back(GetCurrentThreadId());
                }))
                ++self->refused;
        }
        size_t seen = 0;
        self->sentRan = SendHandBack(self->home, [self, &seen] { seen = self->order.size(); });
        self->ranBeforeSend = seen;
        self->done = true;
        return 0;
    }
};

TEST(HandBack, PostedWorkRunsOnHomeInTheOrderPostedAndASendWaitsForItsTurn)
{
    PostingWorker worker;
    worker.home = PrepareHandBack();
    HANDLE thread = CreateThread(nullptr, 0, PostingWorker::Body, &worker, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    const bool done = PumpUntil([&] { return worker.done.load(); }, kBoundMs);
    EXPECT_TRUE(DThread::WaitForEnd(thread, kBoundMs));
    CloseHandle(thread);
    ASSERT_TRUE(done) << "the worker's send never returned";

    EXPECT_EQ(0, worker.refused);
    EXPECT_TRUE(worker.sentRan);
    EXPECT_EQ(static_cast<size_t>(PostingWorker::kPosted), worker.ranBeforeSend)
        << "the send overtook work posted before it";
    std::vector<int> expected(PostingWorker::kPosted);
    for (int i = 0; i < PostingWorker::kPosted; ++i)
        expected[i] = i;
    EXPECT_EQ(expected, worker.order);
    EXPECT_EQ(std::vector<DWORD>(PostingWorker::kPosted, GetCurrentThreadId()), worker.threads);
}

// A home that dispatches nothing: once work has been posted to it, it either
// stops receiving (and stays, so only that can release a sender) or ends.
struct SilentHome {
    bool closes = false;
    DWORD id = 0;
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = nullptr;

    explicit SilentHome(bool closing) : closes(closing) {}
    ~SilentHome()
    {
        SetEvent(release);
        if (thread) {
            EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, kBoundMs));
            CloseHandle(thread);
        }
        CloseHandle(ready);
        CloseHandle(release);
    }
    bool Start()
    {
        thread = CreateThread(nullptr, 0, Body, this, 0, nullptr);
        return thread && WaitForSingleObject(ready, kBoundMs) == WAIT_OBJECT_0;
    }

    static DWORD WINAPI Body(LPVOID parameter)
    {
        auto* self = static_cast<SilentHome*>(parameter);
        self->id = PrepareHandBack();
        SetEvent(self->ready);
        // Until a sender's work waits in the queue.
        const DWORD start = GetTickCount();
        while (!(HIWORD(GetQueueStatus(QS_POSTMESSAGE)) & QS_POSTMESSAGE) && GetTickCount() - start < kBoundMs)
            Sleep(5);
        if (self->closes) {
            CloseHandBack();
            WaitForSingleObject(self->release, kBoundMs);
        }
        return 0;
    }
};

struct Sender {
    DWORD home = 0;
    bool ran = false;
    bool answered = true;
    DWORD ranOn = 0;
    bool fallback = false;   // HandBack rather than SendHandBack

    static DWORD WINAPI Body(LPVOID parameter)
    {
        auto* self = static_cast<Sender*>(parameter);
        const auto work = [self] {
            self->ran = true;
            self->ranOn = GetCurrentThreadId();
        };
        if (self->fallback)
            HandBack(self->home, work);
        else
            self->answered = SendHandBack(self->home, work);
        return 0;
    }
};

struct GoneHomeCase {
    const char* name;
    bool closes;     // the home stops receiving, else its thread ends
    bool fallback;   // HandBack: the work runs on the sender instead
};

class HandBackToAGoneHome : public ::testing::TestWithParam<GoneHomeCase> {};

TEST_P(HandBackToAGoneHome, TheSenderIsReleasedWithoutTheHomeRunningTheWork)
{
    const GoneHomeCase& c = GetParam();
    SilentHome home(c.closes);
    ASSERT_TRUE(home.Start());
    Sender sender;
    sender.home = home.id;
    sender.fallback = c.fallback;
    DWORD senderId = 0;
    HANDLE thread = CreateThread(nullptr, 0, Sender::Body, &sender, 0, &senderId);
    ASSERT_NE(nullptr, thread);
    const DWORD woken = WaitForSingleObject(thread, kBoundMs);
    ASSERT_EQ(WAIT_OBJECT_0, woken) << "the send outlasted its home";
    CloseHandle(thread);

    if (c.fallback) {
        EXPECT_TRUE(sender.ran);
        EXPECT_EQ(senderId, sender.ranOn);
    } else {
        EXPECT_FALSE(sender.answered);
        EXPECT_FALSE(sender.ran);
    }
    // And from then on it takes nothing.
    if (!c.closes) {
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(home.thread, kBoundMs));
    }
    EXPECT_FALSE(PostHandBack(home.id, [] {})) << "a gone home took posted work";
}

INSTANTIATE_TEST_SUITE_P(Cases, HandBackToAGoneHome,
                         ::testing::Values(GoneHomeCase{"Closes", true, false}, GoneHomeCase{"Ends", false, false},
                                           GoneHomeCase{"ClosesWorkRunsOnTheSender", true, true},
                                           GoneHomeCase{"EndsWorkRunsOnTheSender", false, true}),
                         [](const ::testing::TestParamInfo<GoneHomeCase>& info) { return info.param.name; });

TEST(HandBack, ClosingDropsPostedWorkAndPreparingAgainOpensTheHomeAnew)
{
    const DWORD home = PrepareHandBack();
    int ran = 0;
    ASSERT_TRUE(PostHandBack(home, [&ran] { ++ran; }));
    CloseHandBack();
    EXPECT_FALSE(PostHandBack(home, [&ran] { ++ran; }));
    PumpUntil([] { return false; }, 50);
    EXPECT_EQ(0, ran);

    EXPECT_EQ(home, PrepareHandBack());
    ASSERT_TRUE(PostHandBack(home, [&ran] { ++ran; }));
    EXPECT_TRUE(PumpUntil([&ran] { return ran == 1; }, kBoundMs));
}

// ---- Several materials calculating under a reading UI thread -----------------------------

// The window a calculation reports to; at the end of one it reads the
// project and applies the best solution of every material that has ended, as
// the results page does after the choice.
class ApplyingOwner : public MessageWindow {
public:
    ApplyingOwner(DCSSolution& document, const std::function<void()>& read)
    {
        onReceive = [this, &document, read](const Received& r) {
            if (r.message != WM_USER || r.wParam != kCalculationFinished)
                return;
            ++ends;
            read();
            for (long i = 0; i < document.GetCount(false); ++i) {
                DCSProject* m = document.GetProject(i, false);
                if (m->GetSolutions().Count() > 0 && !m->IsRunning()) {
                    m->ApplySolution(0);
                    ++applied;
                }
            }
        };
    }

    long ends = 0;
    long applied = 0;
};

// Everything the panels read of a material, as one text.
std::string StateText(DCSProject& m)
{
    std::string t;
    auto bag = [&t](const DProps& b) { t += PropsToJson(&b) + "\n"; };
    auto rows = [&](const char* what, const PropsList& list) {
        t += std::string(what) + " " + std::to_string(list.size()) + "\n";
        for (const DProps& row : list)
            bag(row);
    };
    auto layout = [&](const CUTTING::Layout& l) {
        bag(l.props);
        t += std::to_string(l.blanks.size()) + " " + std::to_string(l.pieces.size()) + " " +
             std::to_string(l.cuttings.size()) + " " + std::to_string(CUTTING::SumPieceQuantities(l.orphans)) + "\n";
    };
    bag(m.GetProperties());
    rows("blanks", m.GetBlankRows());
    rows("pieces", m.GetPieceRows());
    bag(m.GetTotals());
    rows("summary", m.GetSummaryRows());
    rows("cuttings", m.GetCuttingRows());
    rows("parts", m.GetCuttingPartRows());
    rows("remnants", m.GetRemnantRows());
    t += "solutions " + std::to_string(m.GetSolutions().Count()) + "\n";
    for (const CUTTING::Layout& l : m.GetSolutions().Items())
        layout(l);
    layout(m.GetLayout());
    bag(m.GetWarnings());
    t += std::to_string(m.GetCheckResult()) + " " + std::to_string(m.GetPropertiesFingerprint()) + " " +
         std::to_string(m.GetResultsFingerprint()) + " " + m.GetContentId() + " " +
         std::to_string(m.IsChanged(kChangedAll)) + " " + m.QuantityText("", false) + "\n";
    return t;
}

// Counts match rows, totals match rows, rankings and result rows hang together.
void ExpectConsistent(DCSProject& m, const std::string& where)
{
    SCOPED_TRACE(where + " " + m.GetProperty("material"));
    for (long kind : {static_cast<long>(RowsBlanks), static_cast<long>(RowsPieces)}) {
        const PropsList& rows = m.GetRows(kind);
        const char* prefix = kind == RowsBlanks ? "blanks." : "pieces.";
        long items = 0, quantity = 0, orphans = 0;
        for (size_t i = 0; i < rows.size(); ++i) {
            items += rows[i].IndexOf("quantity") >= 0 ? 1 : 0;
            quantity += DProps::GetLong(rows[i], "quantity");
            orphans += DProps::GetLong(rows[i], "orphans");
            EXPECT_EQ(static_cast<long>(i + 1), DProps::GetLong(rows[i], "id"));
        }
        EXPECT_EQ(items, DProps::GetLong(m.GetTotals(), (std::string(prefix) + "items").c_str()));
        EXPECT_EQ(quantity, DProps::GetLong(m.GetTotals(), (std::string(prefix) + "quantity").c_str()));
        // Stock without limit: every solution places every part.
        EXPECT_EQ(0, orphans);
    }
    const DList<CUTTING::Layout>& solutions = m.GetSolutions();
    EXPECT_LE(solutions.Count(), 4);
    for (long i = 0; i < solutions.Count(); ++i) {
        const CUTTING::Layout* s = solutions.GetAt(i);
        ASSERT_NE(nullptr, s);
        EXPECT_FALSE(s->cuttings.empty());
        EXPECT_EQ(0, CUTTING::SumPieceQuantities(s->orphans));
        if (i > 0) {
            EXPECT_FALSE(CompareByUsedLength(*s, *solutions.GetAt(i - 1))) << "ranked " << i;
        }
    }
    // The result rows of the last apply hang together: the bars of the
    // cutting part rows are those of the cutting rows.
    if (m.HasCuttings()) {
        long bars = 0, groupedBars = 0;
        for (const DProps& row : m.GetCuttingRows())
            bars += DProps::GetLong(row, "copies");
        for (const DProps& row : m.GetCuttingPartRows())
            groupedBars += DProps::GetLong(row, "copies");
        EXPECT_EQ(bars, groupedBars);
        EXPECT_EQ("summary", DProps::GetString(m.GetSummaryRows()[0], "type", ""));
        EXPECT_EQ(bars, DProps::GetLong(m.GetSummaryRows()[0], "used"));
    }
    EXPECT_EQ(m.GetOrphans(""), 0);
}

// Reads every material twice without dispatching a message in between: the
// two reads must agree, and what they read must hang together.
void ReadEverything(DCSSolution& document, const std::string& where, long& reads)
{
    for (long i = 0; i < document.GetCount(false); ++i) {
        DCSProject& m = *document.GetProject(i, false);
        const std::string first = StateText(m);
        ExpectConsistent(m, where);
        EXPECT_EQ(first, StateText(m)) << where;
        // The figures other threads may read at any time.
        const long progress = m.GetProgress();
        EXPECT_GE(progress, 0);
        EXPECT_LE(progress, 100);
        m.GetStatusText();
        ++reads;
    }
}

class ReadingUIThread : public ::testing::Test {
protected:
    TestAppServices app;
    DCSSolution document;
    long reads = 0;

    void SetUp() override
    {
        ASSERT_TRUE(document.New("Shop", "", "Steel"));
        ASSERT_TRUE(document.AddMaterial("Oak", nullptr));
        ASSERT_TRUE(document.AddMaterial("Pine", nullptr));
        const char* parts[3][6] = {
            {"1450", "1210", "980", "770", "530", "310"},
            {"2100", "1730", "1260", "860", "640", "420"},
            {"1990", "1500", "1130", "905", "615", "275"},
        };
        for (long i = 0; i < 3; ++i) {
            DCSProject& m = *document.GetProject(i, false);
            m.SetProperty("level", "1");
            std::vector<std::pair<const char*, const char*>> pieces;
            for (const char* length : parts[i])
                pieces.push_back({length, i == 1 ? "9" : "14"});
            PropsList rows;
            for (const auto& p : pieces)
                rows.push_back(RowOf({{"length", p.first}, {"quantity", p.second}}));
            m.AppendRows({RowOf({{"length", "6000"}, {"quantity", "0"}, {"knife", "3"}})}, RowsBlanks);
            m.AppendRows(rows, RowsPieces);
        }
    }

    bool AnyRunning()
    {
        for (long i = 0; i < document.GetCount(false); ++i)
            if (document.GetProject(i, false)->IsRunning())
                return true;
        return false;
    }

    // Reads on every turn of this thread's loop until done() holds.
    bool ReadUntil(const std::function<bool()>& done, const std::string& where)
    {
        return PumpUntil([&] {
            ReadEverything(document, where, reads);
            return done();
        });
    }
};

TEST_F(ReadingUIThread, SeesOneConsistentStateWhileMaterialsCalculateStopAndRestart)
{
    ApplyingOwner owner(document, [&] { ReadEverything(document, "end message", reads); });
    OXRProcessor processor(&document);
    processor.m_props.Set("sleep", "20");

    for (int round = 0; round < 6; ++round) {
        const std::string where = "round " + std::to_string(round);
        const bool supervised = round % 2 == 1;
        const bool stopEarly = round % 3 == 0;
        if (supervised) {
            ASSERT_TRUE(processor.Start(owner.Handle()));
        } else {
            for (long i = 0; i < document.GetCount(false); ++i)
                ASSERT_TRUE(document.GetProject(i, false)->Calculate(owner.Handle())) << where;
        }
        // Some reading while every material runs.
        const DWORD until = GetTickCount() + 30;
        ASSERT_TRUE(ReadUntil([&] { return GetTickCount() > until || !AnyRunning(); }, where));

        if (stopEarly) {
            // Stopped ones hand back nothing; the others may already have ended.
            if (supervised) {
                processor.Stop(true);
            } else {
                for (long i = 0; i < document.GetCount(false); ++i)
                    document.GetProject(i, false)->StopAndWait();
            }
            ReadEverything(document, where + " stopped", reads);
            EXPECT_FALSE(AnyRunning());
            // And started again, to the end this time.
            for (long i = 0; i < document.GetCount(false); ++i)
                ASSERT_TRUE(document.GetProject(i, false)->Calculate(owner.Handle())) << where;
        }
        ASSERT_TRUE(ReadUntil([&] { return !AnyRunning() && !processor.IsRunning(); }, where)) << where;
        ReadEverything(document, where + " end", reads);
        // Every material ran to its end at least once this round.
        for (long i = 0; i < document.GetCount(false); ++i) {
            DCSProject& m = *document.GetProject(i, false);
            EXPECT_TRUE(m.HasCuttings() || m.GetSolutions().Count() > 0) << where << " material " << i;
        }
    }
    EXPECT_GT(owner.ends, 0);
    EXPECT_GT(owner.applied, 0);
    EXPECT_GT(reads, 0);
}

}  // namespace
