// The commands of an automation script, run inside this process on the
// program's own main window: each command record in, its "\res", the
// project and the files it wrote out.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/OXRWindow.h"
#include "appsvc/OXRApp.h"
#include "foundation/Helper.h"
#include "foundation/PathUtil.h"
#include "foundation/RecordText.h"
#include "reports/OXRLayout.h"
#include "reports/OXRReport.h"
#include "support/DialogDriving.h"
#include "support/PrintQueue.h"
#include "support/CalculationOrders.h"
#include "support/CalculationFixture.h"
#include "support/DocumentProbe.h"

#include "support/TestFiles.h"

namespace {

using Params = std::initializer_list<std::pair<const char*, const char*>>;

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

class AutomationCommands : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_window = new OXRWindow();
        ASSERT_TRUE(s_window->Create(kMainWindowTemplate, nullptr));
    }
    static void TearDownTestSuite()
    {
        App().SetMainWindow(nullptr);
        App().m_pMainWnd = nullptr;
        if (s_window && s_window->IsWindow())
            ::DestroyWindow(s_window->m_hWnd);
        delete s_window;
        s_window = nullptr;
    }

    void SetUp() override
    {
        App().SetMainWindow(s_window);
        App().m_pMainWnd = s_window;
        App().Document().Reset();
        App().SetAutomation(1);
        char temp[MAX_PATH] = "";
        GetTempPathA(MAX_PATH, temp);
        m_files = std::string(temp) + "bravik_commands_test";
        RemoveTree(m_files);
        ASSERT_TRUE(CreateDirectoryA(m_files.c_str(), nullptr));
        App().Log().Open(Path("Bravik.log").c_str(), true);
    }
    void TearDown() override
    {
        App().Log().Close();
        App().Document().Reset();
        App().AutomationRequest().Clear();
        App().SetAutomation(0);
        App().SetMainWindow(s_window);
        App().m_pMainWnd = s_window;
        RemoveTree(m_files);
    }

    std::string Path(const std::string& name) const { return m_files + "\\" + name; }

    // One command as the runner hands it over: the parameters, "\command"
    // and "\res" -1.
    static DProps Record(const char* name, Params params = {})
    {
        DProps record;
        for (const auto& p : params)
            record.Set(p.first, p.second);
        record.Set("\\command", name);
        record.Set("\\res", "-1");
        return record;
    }
    // The executor's answer goes to result.
    DProps Run(const char* name, Params params = {})
    {
        DProps record = Record(name, params);
        result = App().ExecuteCommand(&record, &options);
        return record;
    }
    // The "\res" of one command.
    std::string Res(const char* name, Params params = {}) { return DProps::GetString(Run(name, params), "\\res", ""); }

    // A project of the given materials, each with a small order, as the
    // document makes it; the first one current.
    void MakeProject(std::initializer_list<const char*> materials)
    {
        ASSERT_TRUE(App().Document().New("P", "", *materials.begin()));
        for (auto it = materials.begin() + 1; it != materials.end(); ++it)
            ASSERT_TRUE(App().Document().AddMaterial(*it, nullptr));
        for (long i = 0; i < App().Document().GetCount(false); ++i)
            SmallOrder(Material(i));
        App().Document().UpdateFingerprint(true);
        Opened();
    }
    // The pages show the project as after opening it.
    static void Opened()
    {
        App().OnAppEvent(kEventProjectOpened, 0);
        App().OnAppEvent(kEventCurrentMaterialChanged, 0);
    }
    DCSProject& Material(long index) { return *App().Document().GetProject(index, false); }
    std::string Name(long index) { return Material(index).GetProperty("material"); }
    bool Active(long index) { return Material(index).GetProperty("active", "1") != "0"; }
    std::string Log() { return ReadFile(Path("Bravik.log")); }

    DProps options;
    long result = -1;
    std::string m_files;
    static inline OXRWindow* s_window = nullptr;
};

// The shell's open calls and the file dialogs, recorded instead of made; a
// dialog "chooses" answer, or is cancelled while answer is empty.
struct RecordingCalls : Helper::SystemCalls {
    BOOL Execute(SHELLEXECUTEINFOA* info) override
    {
        opened.push_back(std::string(info->lpFile ? info->lpFile : "") + "|" +
                         (info->lpParameters ? info->lpParameters : ""));
        masks.push_back(info->fMask);
        return TRUE;
    }
    BOOL OpenDialog(OPENFILENAMEA* ofn) override { return Answer("open", ofn); }
    BOOL SaveDialog(OPENFILENAMEA* ofn) override { return Answer("save", ofn); }
    BOOL Answer(const char* kind, OPENFILENAMEA* ofn)
    {
        dialogs.push_back(std::string(kind) + "|" + (ofn->lpstrTitle ? ofn->lpstrTitle : ""));
        if (answer.empty() || answer.size() >= ofn->nMaxFile)
            return FALSE;
        strcpy(ofn->lpstrFile, answer.c_str());
        return TRUE;
    }
    std::vector<std::string> opened;
    std::vector<DWORD> masks;
    std::vector<std::string> dialogs;
    std::string answer;
};

// Puts the calls in place for a scope.
class CallsInPlace {
public:
    explicit CallsInPlace(Helper::SystemCalls& calls) : m_previous(Helper::SetSystemCalls(&calls)) {}
    ~CallsInPlace() { Helper::SetSystemCalls(m_previous); }
    CallsInPlace(const CallsInPlace&) = delete;
    CallsInPlace& operator=(const CallsInPlace&) = delete;

private:
    Helper::SystemCalls* m_previous;
};

// ---- The dispatcher ----------------------------------------------------------------------------

TEST_F(AutomationCommands, NamesAreReadWithoutRegardToCaseAndUnknownOnesDoNothing)
{
    MakeProject({"Steel"});
    EXPECT_EQ("0", Res("PROJECT.SAVE", {{"file", Path("a.brvk").c_str()}}));
    EXPECT_EQ(0, result);
    EXPECT_EQ(1, PathExistsA(Path("a.brvk").c_str()));
    for (const char* name : {"project.fly", "", ";"}) {
        EXPECT_EQ("-1", Res(name)) << name;
        EXPECT_EQ(0, result);
    }
}

TEST_F(AutomationCommands, TheOptionGuiDecidesTheAutomationFlagBeforeEveryCommand)
{
    const struct {
        const char* gui;   // null: absent
        uint8_t flag;
    } cases[] = {{nullptr, 1}, {"", 1}, {"0", 1}, {"1", 0}, {"2", 0}};
    for (const auto& c : cases) {
        options.Clear();
        if (c.gui)
            options.Set("gui", c.gui);
        App().SetAutomation(c.flag ? 0 : 1);
        Run("no.such.command");
        EXPECT_EQ(c.flag, App().IsAutomation()) << (c.gui ? c.gui : "absent");
    }
}

TEST_F(AutomationCommands, WithoutTheMainWindowOnlyProjectOpenRuns)
{
    MakeProject({"Steel"});
    ASSERT_TRUE(App().Document().Save(Path("a.brvk").c_str()));
    App().SetMainWindow(nullptr);
    App().m_pMainWnd = nullptr;
    EXPECT_EQ("-1", Res("project.material.add", {{"name", "Pine"}}));
    EXPECT_EQ(1, App().Document().GetCount(false));
    EXPECT_EQ("0", Res("project.open", {{"file", Path("a.brvk").c_str()}}));
}

TEST_F(AutomationCommands, MaterialCommandsWithoutACurrentMaterialLeaveTheResultPending)
{
    for (const char* name : {"material.props", "material.stock.add", "material.stock.del", "material.part.add",
                             "material.part.del", "material.calculate", "material.stocks.import",
                             "material.parts.import"}) {
        EXPECT_EQ("-1", Res(name, {{"pos", "1"}, {"length", "100"}, {"quantity", "1"}, {"text", "1"}})) << name;
        EXPECT_EQ(0, result) << name;
    }
    EXPECT_FALSE(App().HasAutomationRequest());
}

TEST_F(AutomationCommands, AFailedCommandSaysWhyInItsRecordAndASucceededOneDoesNot)
{
    MakeProject({"Steel", "Pine"});
    const std::string two = Path("two.brvk"), gone = Path("gone.brvk"), report = Path("r.htm");
    ASSERT_TRUE(App().Document().Save(two.c_str()));
    const struct {
        const char* command;
        Params params;
        const char* error;   // a part of "\error"; "" none written
    } cases[] = {
        {"no.such.command", {}, "no command is named \"no.such.command\""},
        {";", {}, ""},
        {"project.material.select", {{"pos", "9"}}, "no material changed at the positions \"9\""},
        {"project.material.activate", {}, "no \"pos\" named"},
        {"project.material.activate", {{"pos", "7"}}, "no material at position \"7\""},
        {"project.material.add", {{"name", "Steel"}}, "a material named \"Steel\" is there already"},
        {"project.material.add", {{"name", "a-->b"}}, "cannot be kept in a project file"},
        {"project.material.del", {{"pos", "5"}}, "no material at position \"5\""},
        {"material.props", {}, "no property was given"},
        {"material.props", {{"material", "a-->b"}}, "the name \"a-->b\" cannot be used"},
        {"material.stock.add", {{"quantity", "2"}}, "a stock row needs a \"length\""},
        {"material.part.del", {{"pos", "0"}}, "no part row at position \"0\""},
        {"material.report.save", {{"file", report.c_str()}}, "no report has been built"},
        {"material.report.print", {{"printer", "PDF"}}, "no report has been built"},
        {"project.export.cuttings", {}, "no file named"},
        // The reason the program gives in a message box, answered silently.
        {"project.open", {{"file", gone.c_str()}}, "The file does not exist"},
        {"project.open", {{"file", two.c_str()}}, ""},
        {"project.material.deselect", {{"pos", "1,2"}}, ""},
        {"project.calculate", {}, "No material is selected"},
        // A question answered silently tells nothing about a success.
        {"project.material.del", {{"name", "Pine"}}, ""},
        {"project.exit", {}, "changes that are not saved"},
    };
    for (const auto& c : cases) {
        const DProps record = Run(c.command, c.params);
        const std::string error = DProps::GetString(record, "\\error", "");
        if (*c.error)
            EXPECT_NE(std::string::npos, error.find(c.error)) << c.command << ": " << error;
        else
            EXPECT_EQ("", error) << c.command;
        EXPECT_EQ(nullptr, App().CollectCommandMessages(nullptr)) << c.command;
    }
    App().Document().Reset();
    EXPECT_NE(std::string::npos,
              DProps::GetString(Run("material.part.del", {{"pos", "1"}}), "\\error", "").find("no current material"));
}

// ---- Projects ------------------------------------------------------------------------------------

TEST_F(AutomationCommands, ProjectOpenReadsTheNamedFileAndNeverAsksForOne)
{
    MakeProject({"Steel", "Pine"});
    ASSERT_TRUE(App().Document().Save(Path("two.brvk").c_str()));
    App().Document().Reset();
    VisibleDialogWatch watch(s_window->m_hWnd);
    EXPECT_EQ("0", Res("project.open", {{"file", Path("two.brvk").c_str()}}));
    EXPECT_EQ(2, App().Document().GetCount(false));

    // No file: no open dialog; the open project stays.
    EXPECT_EQ("1", Res("project.open"));
    EXPECT_EQ(2, App().Document().GetCount(false));
    EXPECT_NE(std::string::npos, Log().find("project.open: no file named"));
    EXPECT_EQ("1", Res("project.open", {{"file", Path("missing.brvk").c_str()}}));
    EXPECT_TRUE(watch.Seen().empty());
}

TEST_F(AutomationCommands, AModifiedProjectIsNeitherClosedNorReplaced)
{
    MakeProject({"Steel"});
    ASSERT_TRUE(App().Document().Save(Path("a.brvk").c_str()));
    ASSERT_TRUE(Material(0).SetProperty("comment", "edited"));
    ASSERT_TRUE(App().Document().IsModified());
    EXPECT_EQ("1", Res("project.exit"));
    EXPECT_EQ("1", Res("project.open", {{"file", Path("a.brvk").c_str()}}));
    EXPECT_EQ("edited", Material(0).GetProperty("comment"));

    EXPECT_EQ("0", Res("project.save"));
    EXPECT_EQ("0", Res("project.exit"));
    EXPECT_EQ(0, App().Document().GetCount(false));
}

TEST_F(AutomationCommands, WithAUserInterfaceOpenAndSaveAskForTheirFiles)
{
    MakeProject({"Steel"});
    ASSERT_TRUE(App().Document().Save(Path("a.brvk").c_str()));
    App().Document().Reset();
    RecordingCalls calls;
    CallsInPlace inPlace(calls);
    const struct {
        const char* gui;       // null: absent
        const char* command;
        const char* answer;    // "": the dialog is cancelled
        const char* dialog;    // the dialog asked for, "" none
        const char* res;
        const char* error;     // a part of "\error", "" none
    } cases[] = {
        {nullptr, "project.open", "", "", "1", "no file named"},
        {"0", "project.open", "", "", "1", "no file named"},
        {"1", "project.open", "", "open|Open Project", "1", "no project was chosen"},
        {"1", "project.open", "a.brvk", "open|Open Project", "0", ""},
        // The project has a file now: saving needs no dialog.
        {"1", "project.save", "", "", "0", ""},
        {"1", "project.exit", "", "", "0", ""},
        {"1", "project.material.add", "", "", "0", ""},
        {"0", "project.save", "", "", "1", "no file named and the project has none"},
        {"1", "project.save", "", "save|Save Project As...", "1", "no file was chosen"},
        {"1", "project.save", "b.brvk", "save|Save Project As...", "0", ""},
    };
    for (const auto& c : cases) {
        const std::string label = std::string(c.gui ? c.gui : "absent") + " " + c.command + " " + c.answer;
        options.Clear();
        if (c.gui)
            options.Set("gui", c.gui);
        calls.dialogs.clear();
        calls.answer = *c.answer ? Path(c.answer) : "";
        const DProps record = Run(c.command, {{"name", "Pine"}});
        EXPECT_EQ(c.res, DProps::GetString(record, "\\res", "")) << label;
        EXPECT_EQ(*c.dialog ? std::vector<std::string>{c.dialog} : std::vector<std::string>{}, calls.dialogs)
            << label;
        const std::string error = DProps::GetString(record, "\\error", "");
        if (*c.error)
            EXPECT_NE(std::string::npos, error.find(c.error)) << label << ": " << error;
        else
            EXPECT_EQ("", error) << label;
    }
    EXPECT_EQ(1, PathExistsA(Path("b.brvk").c_str()));
    EXPECT_EQ(Path("b.brvk"), App().Document().GetFile());
}

TEST_F(AutomationCommands, ProjectSaveWritesTheNamedFileOrTheProjectsOwn)
{
    MakeProject({"Steel"});
    VisibleDialogWatch watch(s_window->m_hWnd);
    // A project without a file of its own and no file named: no save dialog.
    EXPECT_EQ("1", Res("project.save"));
    EXPECT_TRUE(watch.Seen().empty());

    EXPECT_EQ("0", Res("project.save", {{"file", Path("first").c_str()}}));
    EXPECT_EQ(1, PathExistsA(Path("first.brvk").c_str()));
    ASSERT_TRUE(Material(0).SetProperty("comment", "later"));
    EXPECT_EQ("0", Res("project.save"));
    EXPECT_NE(std::string::npos, ReadFile(Path("first.brvk")).find("later"));
    EXPECT_FALSE(App().Document().IsModified());
}

// ---- Materials of the project ----------------------------------------------------------------------

TEST_F(AutomationCommands, SelectAndDeselectTakePositionsUpToTheFirstEmptyOne)
{
    const struct {
        const char* command;
        const char* pos;
        const char* res;
        std::vector<bool> active;   // of the three materials afterwards
    } cases[] = {
        {"project.material.deselect", "1,3", "0", {false, true, false}},
        {"project.material.deselect", "1,,3", "0", {false, true, true}},
        {"project.material.deselect", "0", "0", {false, true, true}},   // the current material
        {"project.material.deselect", "4", "1", {true, true, true}},
        {"project.material.deselect", "-1", "1", {true, true, true}},
        {"project.material.deselect", "", "1", {true, true, true}},
        {"project.material.select", "2,9", "0", {true, true, true}},
    };
    for (const auto& c : cases) {
        MakeProject({"A", "B", "C"});
        if (strcmp(c.command, "project.material.select") == 0) {
            ASSERT_TRUE(App().Document().SetActive(1, false));
        }
        EXPECT_EQ(c.res, Res(c.command, {{"pos", c.pos}})) << c.command << " " << c.pos;
        EXPECT_EQ(c.active, (std::vector<bool>{Active(0), Active(1), Active(2)})) << c.command << " " << c.pos;
    }
}

TEST_F(AutomationCommands, ActivateMakesTheMaterialAtThePositionCurrent)
{
    MakeProject({"A", "B"});
    EXPECT_EQ("0", Res("project.material.activate", {{"pos", "2"}}));
    EXPECT_EQ(1, App().Document().GetCurrent());
    EXPECT_EQ("1", Res("project.material.activate", {{"pos", "3"}}));
    EXPECT_EQ("1", Res("project.material.activate", {{"pos", "0"}}));
    EXPECT_EQ("1", Res("project.material.activate"));
    EXPECT_EQ(1, App().Document().GetCurrent());
}

TEST_F(AutomationCommands, AddTakesANewNameAndMakesTheMaterialCurrent)
{
    MakeProject({"Steel"});
    EXPECT_EQ("0", Res("project.material.add", {{"name", "Pine"}, {"desc", "soft"}}));
    EXPECT_EQ(2, App().Document().GetCount(false));
    EXPECT_EQ(1, App().Document().GetCurrent());
    EXPECT_EQ("soft", Material(1).GetProperty("desc"));
    for (const char* name : {"", "Steel", "a-->b"})
        EXPECT_EQ("1", Res("project.material.add", {{"name", name}})) << name;
    EXPECT_EQ(2, App().Document().GetCount(false));
}

TEST_F(AutomationCommands, DeleteTakesTheNamedMaterialElseThePositionElseTheCurrentOne)
{
    MakeProject({"A", "B", "C", "D"});
    App().Document().SetCurrent(3);
    EXPECT_EQ("1", Res("project.material.del", {{"name", "Nobody"}}));
    EXPECT_EQ("1", Res("project.material.del", {{"pos", "9"}}));
    EXPECT_EQ("1", Res("project.material.del", {{"pos", "-2"}}));
    EXPECT_EQ(4, App().Document().GetCount(false));

    EXPECT_EQ("0", Res("project.material.del", {{"name", "B"}, {"pos", "1"}}));
    EXPECT_EQ("0", Res("project.material.del", {{"pos", "1"}}));
    EXPECT_EQ("0", Res("project.material.del"));   // the current one, D
    ASSERT_EQ(1, App().Document().GetCount(false));
    EXPECT_EQ("C", Name(0));
}

// ---- Calculation and export ------------------------------------------------------------------------

TEST_F(AutomationCommands, ProjectCalculateAppliesTheBestSolutionsWithoutAWindow)
{
    MakeProject({"Steel", "Pine"});
    ASSERT_TRUE(App().Document().SetActive(1, false));
    VisibleDialogWatch watch(s_window->m_hWnd);
    EXPECT_EQ("0", Res("project.calculate"));
    EXPECT_TRUE(Material(0).HasCuttings());
    EXPECT_FALSE(Material(1).HasCuttings());
    EXPECT_TRUE(watch.Seen().empty());

    ASSERT_TRUE(App().Document().SetActive(0, false));
    EXPECT_EQ("1", Res("project.calculate"));
}

TEST_F(AutomationCommands, TheCuttingsExportWritesTheRemnantsIntoTheNamedFile)
{
    MakeProject({"Steel"});
    Material(0).SetProperty("remnants", "500");
    DocumentProbe::Cuttings(Material(0)) = {
        Record("", {{"blank", "1"}, {"copies", "3"}, {"remains", "700"}, {"signature", "1#a1-"}})};
    App().Settings().Set("export.remnants.separator", ";");
    App().Settings().Set("export.remnants.fields", "length;quantity");
    VisibleDialogWatch watch(s_window->m_hWnd);
    EXPECT_EQ("0", Res("project.export.cuttings", {{"file", Path("out.txt").c_str()}}));
    EXPECT_EQ(FormatLengthText("700", false) + ";3\r\n", ReadFile(Path("out.txt")));

    // No file named: nothing written anywhere, and the log says why.
    EXPECT_EQ("1", Res("project.export.cuttings"));
    EXPECT_NE(std::string::npos, Log().find("project.export.cuttings: no file named"));
    App().SetAutomation(0);
    options.Set("gui", "1");
    EXPECT_EQ("1", Res("project.export.cuttings"));
    EXPECT_TRUE(watch.Seen().empty());
}

// The page answers the application, never the record: the runner's step
// collects the answer into its own record, once.
TEST_F(AutomationCommands, MaterialCalculateGoesOnAndTheResultsPageAnswersTheApplication)
{
    MakeProject({"Steel"});
    DProps record = Record("material.calculate");
    ASSERT_EQ(1, App().ExecuteCommand(&record, &options));
    EXPECT_TRUE(App().HasAutomationRequest());
    ASSERT_TRUE(PumpUntil([&] { return !App().HasAutomationRequest(); }));
    EXPECT_EQ("-1", DProps::GetString(record, "\\res", "")) << "the page wrote into the runner's record";
    EXPECT_TRUE(Material(0).HasCuttings());

    ASSERT_TRUE(App().CollectAutomationAnswer(record));
    EXPECT_EQ("{ \"\\command\": \"material.calculate\", \"\\res\": \"0\" }", PropsToJson(&record));
    DProps again = Record("material.calculate");
    EXPECT_FALSE(App().CollectAutomationAnswer(again));
    EXPECT_EQ("-1", DProps::GetString(again, "\\res", ""));
}

TEST_F(AutomationCommands, AnOrderWithErrorsIsRefusedAtOnce)
{
    ASSERT_TRUE(App().Document().New("P", "", "Steel"));
    SmallOrder(Material(0), true, false);   // no stock: StatusNoStocks
    EXPECT_EQ("1", Res("material.calculate"));
    EXPECT_EQ(0, result);
    EXPECT_FALSE(App().HasAutomationRequest());
}

// The runner's break after a time-out, sent while the calculation runs.
DProps* g_breakOptions = nullptr;
void CALLBACK SendBreak(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    DProps record;
    record.Set("\\command", "$break");
    record.Set("\\res", "-1");
    EXPECT_EQ(0, App().ExecuteCommand(&record, g_breakOptions));
    EXPECT_EQ("-1", DProps::GetString(record, "\\res", ""));
}

TEST_F(AutomationCommands, ABreakStopsTheCalculationAndTheRecordEndsWith1)
{
    ASSERT_TRUE(App().Document().New("P", "", "Steel"));
    LargeOrder(Material(0));
    Opened();
    // Without a pending request a break does nothing.
    EXPECT_EQ("-1", Res("$break"));

    DProps record = Record("material.calculate");
    ASSERT_EQ(1, App().ExecuteCommand(&record, &options));
    g_breakOptions = &options;
    SetTimer(nullptr, 0, 300, &SendBreak);
    ASSERT_TRUE(PumpUntil([&] { return App().CollectAutomationAnswer(record); }));
    // As the script's log shows it: the result where the runner put it, the
    // reason after it.
    EXPECT_EQ("{ \"\\command\": \"material.calculate\", \"\\res\": \"1\", "
              "\"\\error\": \"stopped when its time was up\" }",
              PropsToJson(&record));
    EXPECT_FALSE(Material(0).HasCuttings());
    EXPECT_FALSE(App().HasAutomationRequest());
}

// ---- The current material ----------------------------------------------------------------------------

TEST_F(AutomationCommands, PropsSetsEveryParameterButTheRunnersOwn)
{
    MakeProject({"Steel", "Pine"});
    EXPECT_EQ("0", Res("material.props", {{"comment", "night shift"}, {"remnants", "250"}}));
    EXPECT_EQ("night shift", Material(0).GetProperty("comment"));
    EXPECT_EQ("250", Material(0).GetProperty("remnants"));
    EXPECT_EQ("", Material(0).GetProperty("\\command"));
    EXPECT_EQ("", Material(0).GetProperty("\\res"));
    EXPECT_TRUE(App().Document().IsModified());
    EXPECT_EQ("1", Res("material.props"));
}

TEST_F(AutomationCommands, PropsRenamesOnlyToANameTheProjectFileKeeps)
{
    MakeProject({"Steel", "Pine"});
    for (const char* name : {"a-->b", "#solution", "", " Steel2", "two\r\nlines", "Pine"}) {
        EXPECT_EQ("1", Res("material.props", {{"material", name}})) << name;
        EXPECT_EQ("Steel", Name(0)) << name;
    }
    EXPECT_NE(std::string::npos, Log().find("material.props: the name \"a-->b\" cannot be used"));
    // The other keys still go in.
    EXPECT_EQ("0", Res("material.props", {{"material", "a-->b"}, {"desc", "kept"}}));
    EXPECT_EQ("kept", Material(0).GetProperty("desc"));
    EXPECT_EQ("0", Res("material.props", {{"material", "Oak"}}));
    EXPECT_EQ("Oak", Name(0));
    // Its rows follow the new name, and the project reads back whole.
    ASSERT_TRUE(App().Document().Save(Path("renamed.brvk").c_str()));
    ASSERT_TRUE(App().Document().Load(Path("renamed.brvk").c_str()));
    EXPECT_EQ(2, App().Document().GetCount(false));
    EXPECT_EQ("Oak", Name(0));
}

TEST_F(AutomationCommands, RowsAreAddedAndRemovedAndTheOrderRecounted)
{
    ASSERT_TRUE(App().Document().New("P", "", "Steel"));
    EXPECT_EQ("0", Res("material.stock.add", {{"length", "6000"}}));
    EXPECT_EQ("0", Res("material.stock.add", {{"length", "7500"}, {"quantity", "2"}, {"cost", "3"}}));
    EXPECT_EQ("1", Res("material.stock.add", {{"quantity", "2"}}));
    EXPECT_EQ("0", Res("material.part.add", {{"length", "1500"}, {"quantity", "4"}, {"material", "Other"}}));
    EXPECT_EQ("1", Res("material.part.add", {{"length", "1500"}}));
    const PropsList& stock = Material(0).GetBlankRows();
    ASSERT_EQ(2u, stock.size());
    EXPECT_EQ("0", DProps::GetString(stock[0], "quantity", ""));
    EXPECT_EQ("1.00000", DProps::GetString(stock[0], "cost", ""));
    ASSERT_EQ(1u, Material(0).GetPieceRows().size());
    EXPECT_EQ("Steel", DProps::GetString(Material(0).GetPieceRows()[0], "material", ""));
    EXPECT_EQ(2, DProps::GetLong(Material(0).GetTotals(), "blanks.items"));
    EXPECT_EQ(0, Material(0).GetCheckResult() & 1);

    for (const char* pos : {"0", "3", ""})
        EXPECT_EQ("1", Res("material.stock.del", {{"pos", pos}})) << pos;
    EXPECT_EQ("0", Res("material.stock.del", {{"pos", "1"}}));
    ASSERT_EQ(1u, Material(0).GetBlankRows().size());
    EXPECT_EQ("7500", DProps::GetString(Material(0).GetBlankRows()[0], "length", ""));
    EXPECT_EQ(1, DProps::GetLong(Material(0).GetTotals(), "blanks.items"));
    EXPECT_EQ("1", Res("material.part.del", {{"pos", "2"}}));
    EXPECT_EQ("0", Res("material.part.del", {{"pos", "1"}}));
    EXPECT_TRUE(Material(0).GetPieceRows().empty());
    // Without parts the order check finds an error again.
    EXPECT_EQ(1, Material(0).GetCheckResult() & 1);
}

TEST_F(AutomationCommands, ChangedRowsDropResultsThatNoLongerFit)
{
    MakeProject({"Steel"});
    ASSERT_EQ("0", Res("project.calculate"));
    ASSERT_TRUE(Material(0).HasCuttings());
    EXPECT_EQ("0", Res("material.part.add", {{"length", "900"}, {"quantity", "2"}}));
    EXPECT_FALSE(Material(0).HasCuttings());
}

TEST_F(AutomationCommands, ImportsAppendRowsSplitAsAsked)
{
    ASSERT_TRUE(App().Document().New("P", "", "Steel"));
    EXPECT_EQ("0", Res("material.stocks.import", {{"text", "6000;2\r\n7500;1"}, {"format", "length;quantity"}}));
    EXPECT_EQ(2u, Material(0).GetBlankRows().size());
    WriteBytes(Path("parts.csv"), "1500,4\r\n900,2\r\n");
    WriteBytes(Path("parts.fmt"), "length;quantity");
    EXPECT_EQ("0", Res("material.parts.import", {{"file", Path("parts.csv").c_str()},
                                                 {"format.file", Path("parts.fmt").c_str()}}));
    ASSERT_EQ(2u, Material(0).GetPieceRows().size());
    EXPECT_EQ("900", DProps::GetString(Material(0).GetPieceRows()[1], "length", ""));
    EXPECT_EQ(6, DProps::GetLong(Material(0).GetTotals(), "pieces.quantity"));

    const struct {
        const char* name;
        Params params;
    } refused[] = {
        // A separator the lines do not hold would give whole lines as lengths.
        {"separator absent", {{"text", "1200;2\r\n800;1"}, {"field.separator", ","}, {"format", "length;quantity"}}},
        {"no text", {{"format", "length;quantity"}}},
        {"missing file", {{"file", Path("none.csv").c_str()}, {"format", "length;quantity"}}},
    };
    for (const auto& c : refused) {
        EXPECT_EQ("1", Res("material.parts.import", c.params)) << c.name;
        EXPECT_EQ(2u, Material(0).GetPieceRows().size()) << c.name;
    }

    // Rows without a quantity are taken as the source data page takes them,
    // and the order check stops their calculation.
    EXPECT_EQ("0", Res("material.parts.import", {{"text", "1200\r\n800"}, {"format", "length"}}));
    ASSERT_EQ(4u, Material(0).GetPieceRows().size());
    EXPECT_EQ("", DProps::GetString(Material(0).GetPieceRows()[3], "quantity", "-"));
    EXPECT_EQ("${piece} #3", DProps::GetString(Material(0).GetWarnings(), "32", ""));
}

// ---- Reports ------------------------------------------------------------------------------------------

class AutomationReports : public AutomationCommands {
protected:
    void SetUp() override
    {
        AutomationCommands::SetUp();
        App().SetDataFolder(m_files.c_str());
        App().SetTempFolder(Path("temp").c_str());
        ASSERT_TRUE(CreateDirectoryA(Path("temp").c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA(Path("DATA").c_str(), nullptr));
        for (const char* name : {"FULL.SOL.SCL", "STYLE.TXT", "STYLE.MONO.TXT", "META.TXT"}) {
            UMemory bytes;
            ASSERT_TRUE(App().LoadResourceData("INSTALL", name, bytes)) << name;
            WriteBytes(Path(std::string("DATA\\") + name), bytes.GetData());
        }
        MakeProject({"Steel", "Pine"});
        ASSERT_EQ("0", Res("project.calculate"));
    }
    void TearDown() override
    {
        OXRLayout::ClearRegistry();
        if (App().HasReport())
            App().Report().DeleteCachedFiles();
        App().SetDataFolder("");
        App().SetTempFolder("");
        AutomationCommands::TearDown();
    }
};

TEST_F(AutomationReports, BuildMakesThePagesOfTheMaterialOrOfTheWholeProject)
{
    EXPECT_EQ("0", Res("material.report.build"));
    EXPECT_GE(AppReport().GetPageCount(), 1);
    EXPECT_EQ(&Material(0), AppReport().GetMaterial());
    EXPECT_EQ("0", Res("project.report.build"));
    EXPECT_TRUE(AppReport().IsWholeProject());
    EXPECT_EQ(nullptr, AppReport().GetMaterial());

    // Without a layout file nothing is built, and no box waits.
    RemoveTree(Path("DATA"));
    VisibleDialogWatch watch(s_window->m_hWnd);
    EXPECT_EQ("1", Res("material.report.build"));
    EXPECT_EQ("1", Res("project.report.build"));
    EXPECT_TRUE(watch.Seen().empty());
}

TEST_F(AutomationReports, SaveWritesHtmlForHtmlNamesOrTheFormatHtml)
{
    ASSERT_EQ("0", Res("material.report.build"));
    for (const char* name : {"r.htm", "r.html", "R.HTM"}) {
        EXPECT_EQ("0", Res("material.report.save", {{"file", Path(name).c_str()}})) << name;
        EXPECT_EQ(0u, ReadFile(Path(name)).find("\xEF\xBB\xBF<!DOCTYPE html>")) << name;
    }
    EXPECT_EQ("0", Res("material.report.save", {{"file", Path("page.txt").c_str()}, {"format", "html"}}));
    EXPECT_EQ(0u, ReadFile(Path("page.txt")).find("\xEF\xBB\xBF<!DOCTYPE html>"));

    EXPECT_EQ("1", Res("material.report.save", {{"file", Path("r.xyz").c_str()}}));
    EXPECT_EQ("1", Res("material.report.save"));
}

TEST_F(AutomationReports, SaveWritesOneImagePerPageForOtherNames)
{
    ASSERT_EQ("0", Res("project.report.build"));
    const DProps saved = Run("material.report.save", {{"file", Path("r.png").c_str()}});
    EXPECT_EQ("0", DProps::GetString(saved, "\\res", ""));
    EXPECT_EQ(0u, ReadFile(Path("r.png")).find("\x89PNG"));
    EXPECT_EQ(Path("r.png"), DProps::GetString(saved, "file.1", ""));
    for (int page = 2; page <= AppReport().GetPageCount(); ++page)
        EXPECT_EQ(1, PathExistsA(Path("r.page" + std::to_string(page) + ".png").c_str())) << page;

}

TEST_F(AutomationReports, PrintGoesToThePrinterNamedOrListed)
{
    ASSERT_FALSE(PrintQueue::Folder().empty()) << "BRAVIK_PDF_DIR is not set: run the tests through scripts/test";
    ASSERT_EQ("0", Res("material.report.build"));
    App().RefreshPrinters(nullptr);
    const long index = App().PrinterNames().IndexOf("PDF", false);
    ASSERT_GE(index, 0);
    EXPECT_EQ("0", Res("material.report.print", {{"printer.index", std::to_string(index).c_str()}}));
    EXPECT_FALSE(PrintQueue::WaitForPdf("").empty());
    EXPECT_EQ("0", Res("material.report.print", {{"printer.index", "99"}, {"printer", " PDF "}}));
}

TEST_F(AutomationReports, SaveOpensTheFileOnlyWhenAsked)
{
    ASSERT_EQ("0", Res("material.report.build"));
    RecordingCalls calls;
    Helper::SystemCalls* previous = Helper::SetSystemCalls(&calls);
    EXPECT_EQ("0", Res("material.report.save", {{"file", Path("quiet.htm").c_str()}}));
    EXPECT_TRUE(calls.opened.empty());
    EXPECT_EQ("0", Res("material.report.save", {{"file", Path("shown.htm").c_str()}, {"open", "1"}}));
    Helper::SetSystemCalls(previous);
    ASSERT_EQ(1u, calls.opened.size());
    EXPECT_NE(std::string::npos, calls.opened[0].find(Path("shown.htm"))) << calls.opened[0];
    // A file no program takes must not bring up the shell's box about it.
    EXPECT_EQ(static_cast<DWORD>(SEE_MASK_FLAG_NO_UI), calls.masks[0] & SEE_MASK_FLAG_NO_UI);
}

TEST_F(AutomationReports, PrintNeverLeavesThePrinterToTheUser)
{
    ASSERT_EQ("0", Res("material.report.build"));
    App().RefreshPrinters(nullptr);
    const std::string beyond = std::to_string(App().PrinterNames().Count());
    VisibleDialogWatch watch(s_window->m_hWnd);
    const struct {
        const char* name;
        Params params;
    } cases[] = {
        {"no printer", {}},
        {"blank name", {{"printer", "  "}}},
        {"index beyond the list", {{"printer.index", beyond.c_str()}}},
        {"negative index", {{"printer.index", "-1"}, {"printer", ""}}},
    };
    for (const auto& c : cases) {
        App().Log().Open(Path("Bravik.log").c_str(), true);
        EXPECT_EQ("1", Res("material.report.print", c.params)) << c.name;
        EXPECT_NE(std::string::npos, Log().find("material.report.print: no printer named")) << c.name;
    }
    EXPECT_TRUE(watch.Seen().empty());
}

} // namespace
