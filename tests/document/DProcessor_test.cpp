#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "document/DCSSolution.h"
#include "document/DProcessor.h"
#include "support/CalculationFixture.h"
#include "tests/document/MaterialFixture.h"

namespace {

TEST(DProcessorBase, PollsEverySecondAndNeitherStartsNorStops)
{
    DProcessor processor;
    EXPECT_EQ("1000", Val(processor.m_props, "sleep"));
    EXPECT_EQ(nullptr, processor.m_window);
    EXPECT_FALSE(processor.Start(nullptr));
    EXPECT_FALSE(processor.Stop(true));
}

TEST(DProcessorBase, NotificationIsTheRegisteredMessage)
{
    const UINT message = GetProcessorNotifyMessage();
    EXPECT_GE(message, 0xC000u);
    EXPECT_EQ(RegisterWindowMessageA("KORV.DProcessor.NOTIFY"), message);
    EXPECT_EQ(message, GetProcessorNotifyMessage());
}

// A project of materials calculated under the supervisor, which reports to a
// hidden window of this thread; the polling period is cut short to keep the
// tests quick (the loop does not depend on its length).
class SupervisorTest : public ::testing::Test {
protected:
    TestAppServices app;
    MessageWindow window;
    DCSSolution document;
    OXRProcessor processor{&document};

    void SetUp() override
    {
        DocumentProbe::Materials(document).clear();
        processor.m_props.Set("sleep", "20");
        app.SetLocaleText("processor", "initializing", "Initializing...");
        app.SetLocaleText("processor", "processing", "Calculating...");
        app.SetLocaleText("processor", "done", "complete");
        app.SetLocaleText("globals", "project.stop", "Cancelling calculations...");
        app.SetLocaleText("globals", "stopped", "Calculations are stopped.");
        app.SetLanguage("EN_US");
    }

    template <class Material = DCSProject>
    Material& Add(const char* name, bool active)
    {
        Material* material = new Material();
        DocumentProbe::Materials(document).emplace_back(material);
        material->SetMaterial(name);
        material->SetProperty("active", active ? "1" : "0");
        return *material;
    }

    size_t Notifications() const { return window.Count(GetProcessorNotifyMessage()); }

    // Waits for the notification and for the supervisor's thread to be gone.
    void WaitForNotification()
    {
        ASSERT_TRUE(PumpUntil([&] { return Notifications() >= 1 && !processor.IsRunning(); }));
        ASSERT_EQ(1u, Notifications());
        const MessageWindow::Received r = window.Messages(GetProcessorNotifyMessage())[0];
        EXPECT_EQ(ProcessorFinished, r.wParam);
        EXPECT_EQ(reinterpret_cast<LPARAM>(static_cast<DProcessor*>(&processor)), r.lParam);
    }
};

// ---- Combined progress ------------------------------------------------------------------

TEST_F(SupervisorTest, ProgressIsWeightedByPayload)
{
    struct Case {
        const char* progressA;
        const char* progressB;
        const char* percent;
    };
    const Case cases[] = {
        {"100", "20", "40"},
        {"0", "0", "1"},      // never below 1
        {"100", "100", "99"},  // never 100: the dialog closes on the notification
        {"50", "51", "51"},   // 50.75 rounds up
    };
    DCSProject& a = Add("Steel", true);
    DCSProject& b = Add("Oak", true);
    DCSProject& idle = Add("Pine", false);
    a.SetProperty("payload", "1000");
    b.SetProperty("payload", "3000");
    idle.SetProperty("payload", "100000");
    idle.SetProperty("progress", "100");
    processor.m_texts.Clear();
    app.GetLocaleSection("processor", processor.m_texts);
    processor.m_payload = 4000;
    for (const Case& c : cases) {
        a.SetProperty("progress", c.progressA);
        b.SetProperty("progress", c.progressB);
        processor.PublishProgress();
        EXPECT_EQ(c.percent, Val(processor.m_props, "progress")) << c.progressA << " " << c.progressB;
        EXPECT_EQ(std::string("Calculating... (") + c.percent + "% complete)", Val(processor.m_props, "status"));
    }
}

TEST_F(SupervisorTest, WithoutPayloadNothingIsPublishedAndTheDefaultsSpeak)
{
    DCSProject& a = Add("Steel", true);
    a.SetProperty("payload", "1000");
    a.SetProperty("progress", "50");
    processor.m_props.Set("progress", "1");
    processor.m_payload = 0;
    processor.PublishProgress();
    EXPECT_EQ("1", Val(processor.m_props, "progress"));

    processor.m_texts.Clear();
    processor.m_payload = 1000;
    processor.PublishProgress();
    EXPECT_EQ("Processing (50% done)", Val(processor.m_props, "status"));
}

// ---- Whole runs -------------------------------------------------------------------------------

TEST_F(SupervisorTest, ActiveMaterialsAreCalculatedTogetherThenTheWindowIsNotified)
{
    DCSProject& a = Add("Steel", true);
    DCSProject& idle = Add("Pine", false);
    DCSProject& b = Add("Oak", true);
    AddOrder(a, {{"6000", "0"}}, {{"1000", "5"}, {"1450", "4"}});
    AddOrder(idle, {{"6000", "0"}}, {{"700", "3"}});
    AddOrder(b, {{"4000", "0"}}, {{"900", "6"}, {"1300", "2"}});
    DocumentProbe::Summary(idle).push_back(RowOf({{"type", "summary"}}));
    // As after an earlier calculation: the payload counts two passes at once.
    a.PlanPasses();
    b.PlanPasses();

    ASSERT_TRUE(processor.Start(window.Handle()));
    EXPECT_FALSE(processor.Start(window.Handle()));   // one run at a time
    WaitForNotification();

    EXPECT_GE(a.GetSolutions().Count(), 1);
    EXPECT_GE(b.GetSolutions().Count(), 1);
    EXPECT_EQ(0, idle.GetSolutions().Count());
    EXPECT_EQ(1u, idle.GetSummaryRows().size());
    EXPECT_EQ("<absent>", Val(idle.GetProperties(), "progress"));
    EXPECT_FALSE(processor.IsStopped());
    EXPECT_EQ("EN_US", processor.m_language);
    // Two passes each: 2 x parts x part rows x stock rows.
    EXPECT_EQ("36", Val(a.GetProperties(), "payload"));
    EXPECT_EQ("32", Val(b.GetProperties(), "payload"));
    EXPECT_EQ(68, processor.m_payload.load());
    // The materials were started directly: they report to no window of their own.
    EXPECT_EQ(0u, window.Count(WM_USER));
}

TEST_F(SupervisorTest, AProjectWithoutActiveMaterialsIsNotifiedAfterOnePeriod)
{
    DCSProject& idle = Add("Pine", false);
    AddOrder(idle, {{"6000", "0"}}, {{"700", "3"}});

    ASSERT_TRUE(processor.Start(window.Handle()));
    WaitForNotification();
    EXPECT_EQ("1", Val(processor.m_props, "progress"));
    EXPECT_EQ("Initializing...", Val(processor.m_props, "status"));
    EXPECT_EQ(0, idle.GetSolutions().Count());
}

TEST_F(SupervisorTest, WithoutAWindowTheRunEndsSilently)
{
    Add("Steel", true);
    ASSERT_TRUE(processor.Start(reinterpret_cast<HWND>(0x7FFF0)));
    EXPECT_EQ(nullptr, processor.m_window);
    ASSERT_TRUE(PumpUntil([&] { return !processor.IsRunning(); }));
    EXPECT_EQ(0u, Notifications());
}

TEST_F(SupervisorTest, StopEndsEveryMaterialAndLeavesItAsItWas)
{
    ScriptedMaterial& a = Add<ScriptedMaterial>("Steel", true);
    ScriptedMaterial& b = Add<ScriptedMaterial>("Oak", true);
    for (ScriptedMaterial* m : {&a, &b}) {
        AddOrder(*m, {{"6000", "0"}}, {{"1000", "5"}});
        PassScript blocking;
        blocking.block = true;
        m->script = {blocking};
    }

    ASSERT_TRUE(processor.Start(window.Handle()));
    ASSERT_TRUE(PumpUntil([&] { return a.log.blockedInPass.load() == 1 && b.log.blockedInPass.load() == 1; }));

    EXPECT_TRUE(processor.Stop(true));
    EXPECT_TRUE(processor.IsStopped());
    for (ScriptedMaterial* m : {&a, &b}) {
        EXPECT_EQ(1, m->IsStopRequested());
        EXPECT_FALSE(m->IsRunning());
        EXPECT_EQ(0, m->GetSolutions().Count());
        EXPECT_EQ("<absent>", Val(m->GetProperties(), "progress"));
    }
    EXPECT_EQ("Calculations are stopped.", Val(processor.m_props, "status"));
    WaitForNotification();
    EXPECT_TRUE(processor.IsStopped());

    // A stop left over from the last run does not end the next one.
    for (ScriptedMaterial* m : {&a, &b})
        m->script = {PassScript()};
    window.Destroy();
    MessageWindow second;
    ASSERT_TRUE(processor.Start(second.Handle()));
    EXPECT_FALSE(processor.IsStopped());
    ASSERT_TRUE(second.WaitFor(GetProcessorNotifyMessage()));
    ASSERT_TRUE(PumpUntil([&] { return !processor.IsRunning(); }));
    EXPECT_EQ(1, a.GetSolutions().Count());
    EXPECT_EQ(1, b.GetSolutions().Count());
}

TEST_F(SupervisorTest, StopWhileNothingRunsStillReportsStopped)
{
    Add("Steel", true);
    EXPECT_TRUE(processor.Stop(false));
    EXPECT_TRUE(processor.IsStopped());
    EXPECT_EQ("Calculations are stopped.", Val(processor.m_props, "status"));
}

TEST(SupervisorLifetime, DestroyingARunningSupervisorEndsItsThreadFirst)
{
    TestAppServices app;
    DCSSolution document;
    DocumentProbe::Materials(document).clear();
    ScriptedMaterial* material = new ScriptedMaterial();
    DocumentProbe::Materials(document).emplace_back(material);
    AddOrder(*material, {{"6000", "0"}}, {{"1000", "5"}});
    PassScript blocking;
    blocking.block = true;
    material->script = {blocking};
    {
        OXRProcessor processor(&document);
        processor.m_props.Set("sleep", "20");
        ASSERT_TRUE(processor.Start(nullptr));
        ASSERT_TRUE(PumpUntil([&] { return material->log.blockedInPass.load() == 1; }));
    }
    // The supervisor asked the material to stop on its way out.
    ASSERT_TRUE(PumpUntil([&] { return !material->IsRunning(); }));
    EXPECT_EQ(1, material->IsStopRequested());
}

}  // namespace
