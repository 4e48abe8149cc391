// Every window of the real program worked from the keyboard alone: the keys
// are posted to the program's focused control as the keyboard gives them,
// and the focus, the windows that show and the project are read back.
#include "support/AppRunner.h"

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "dialogs/DialogIds.h"
#include "document/DCSSolution.h"
#include "panels/PanelIds.h"
#include "resources/SourceData.h"
#include "support/CalculationOrders.h"

namespace {

const UINT kCmdCreate = 32772;
const UINT kCmdOptions = 32774;
const UINT kCmdAbout = 32781;

// The panels, each known by controls only it holds.
const std::initializer_list<int> kProjectPanel = {IDC_PROJECT_EDIT, IDC_PROJECT_ADD};
const std::initializer_list<int> kSourcePage = {1088, 1090};
const std::initializer_list<int> kResultsPage = {IDC_RESULTS_CLEAR, IDC_RESULTS_EDIT, IDC_RESULTS_CUTTINGS};

bool IsList(HWND window)
{
    const std::string cls = ClassOf(window);
    return cls == "SysListView32" || cls == "ListBox";
}

// The lists a user can reach in the window: visible, enabled, tab stops.
std::set<HWND> ReachableLists(HWND window)
{
    std::set<HWND> lists;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM lParam) -> BOOL {
            if (IsList(child) && IsWindowVisible(child) && IsWindowEnabled(child) &&
                (GetWindowLongA(child, GWL_STYLE) & WS_TABSTOP))
                reinterpret_cast<std::set<HWND>*>(lParam)->insert(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&lists));
    return lists;
}

std::string Describe(HWND control)
{
    if (!control)
        return "<none>";
    return ClassOf(control) + " #" + std::to_string(GetDlgCtrlID(control)) + " \"" + WindowText(control) + "\"";
}

// ---- Every dialog: Escape closes, Enter presses the default, Tab goes round ----------------

struct DialogCase {
    const char* title;
    // Opens the dialog in the running program, on the order project.
    std::function<void(AppRun&)> open;
    // Enter ends the dialog; a dialog whose default button cannot act yet
    // (nothing changed, nothing typed) stays.
    bool enterCloses;
};

class KeyboardTest : public ProgramTest {
protected:
    // Starts the program on the order project; false when it did not show it.
    bool StartOnOrder()
    {
        const std::string project = m_project.empty() ? MakeTwoMaterialProject("hall.brvk") : m_project;
        if (!m_app.Start("\"" + project + "\""))
            return false;
        if (!WaitFor([&] { return m_app.Title() == "KORVA Bravik  " + project; }))
            return false;
        // The pages show the material once its rows are listed.
        HWND stocks = GetDlgItem(m_app.Panel(kSourcePage), 1048);
        return WaitFor([&] {
            DWORD_PTR count = 0;
            return SendBounded(stocks, LVM_GETITEMCOUNT, 0, 0, 10000, &count) && count > 0;
        });
    }

    // Tab until the focus comes back where it started: the controls in the
    // order Tab reaches them, the first one the starting focus. Fails the
    // test when a Tab does not move the focus or leaves the window.
    std::vector<HWND> TabRound(HWND window)
    {
        std::vector<HWND> round = {m_app.Focus()};
        for (int i = 0; i < 40; ++i) {
            const HWND before = m_app.Focus();
            m_app.PressKey(VK_TAB);
            if (!WaitFor([&] { return m_app.Focus() != before; }, 10000)) {
                if (round.size() > 1 || ReachableTabStops(window) > 1)
                    ADD_FAILURE() << "Tab did not move the focus from " << Describe(before);
                return round;
            }
            const HWND now = m_app.Focus();
            if (GetAncestor(now, GA_ROOT) != window) {
                ADD_FAILURE() << "Tab left the window for " << Describe(now);
                return round;
            }
            // The focus the dialog settled on may have come after the one
            // read first: the round is the cycle Tab keeps to.
            const auto seen = std::find(round.begin(), round.end(), now);
            if (seen != round.end()) {
                round.erase(round.begin(), seen);
                return round;
            }
            round.push_back(now);
        }
        ADD_FAILURE() << "Tab did not come round in 40 presses";
        return round;
    }

    static int ReachableTabStops(HWND window)
    {
        int count = 0;
        EnumChildWindows(
            window,
            [](HWND child, LPARAM lParam) -> BOOL {
                const LONG style = GetWindowLongA(child, GWL_STYLE);
                if ((style & WS_TABSTOP) && IsWindowVisible(child) && IsWindowEnabled(child))
                    ++*reinterpret_cast<int*>(lParam);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&count));
        return count;
    }

    // Shift+Tab from the starting focus moves back to the last control of
    // the round.
    void ExpectShiftTabGoesBack(const std::vector<HWND>& round)
    {
        if (round.size() < 2)
            return;
        ASSERT_EQ(round.front(), m_app.Focus());
        {
            ShiftHeld shift(m_app);
            m_app.PressKey(VK_TAB);
            WaitFor([&] { return m_app.Focus() != round.front(); }, 3000);
        }
        EXPECT_EQ(Describe(round.back()), Describe(m_app.Focus())) << "after Shift+Tab";
    }

    // Opens the dialog, goes round it with Tab and Shift+Tab when the key
    // is Escape, then presses the key.
    void CheckDialog(const DialogCase& c, UINT closing);

    AppRun m_app;
    // The project the program starts on; the order project when empty.
    std::string m_project;
};

// The current material alone, so that no other material's warnings come first.
void Calculate(AppRun& app)
{
    app.Click(kResultsPage, IDC_RESULTS_CALC);
}

// Calculated through the windows, as a user does: Calculate, then Enter in
// the choice of solution.
bool Calculated(AppRun& app)
{
    Calculate(app);
    HWND choice = app.WaitForWindow("Select Solution");
    if (!choice || !WaitFor([&] { return GetAncestor(app.Focus(), GA_ROOT) == choice; }))
        return false;
    app.PressKey(VK_RETURN);
    if (!WaitFor([&] { return !IsWindow(choice); }))
        return false;
    return WaitFor([&] { return IsWindowEnabled(GetDlgItem(app.Panel(kResultsPage), IDC_RESULTS_EDIT)) != FALSE; });
}

const DialogCase kDialogs[] = {
    {"About KORVA Bravik", [](AppRun& app) { app.Command(kCmdAbout); }, true},
    {"Settings", [](AppRun& app) { app.Command(kCmdOptions); }, false},
    {"Create Project", [](AppRun& app) { app.Command(kCmdCreate); }, false},
    {"Edit Project", [](AppRun& app) { app.Click(kProjectPanel, IDC_PROJECT_EDIT); }, true},
    {"New Material", [](AppRun& app) { app.Click(kProjectPanel, IDC_PROJECT_ADD); }, false},
    // Oak, which has no stock, has warnings to list: the Down key in the
    // materials list makes it the current material.
    {"Messages",
     [](AppRun& app) {
         HWND materials = GetDlgItem(app.Panel(kProjectPanel), IDC_PROJECT_MATERIALS);
         for (int i = 0; i < 40 && app.Focus() != materials; ++i) {
             const HWND before = app.Focus();
             app.PressKey(VK_TAB);
             WaitFor([&] { return app.Focus() != before; }, 3000);
         }
         app.PressKey(VK_DOWN);
         HWND messages = GetDlgItem(app.Panel(kSourcePage), 1095);
         if (WaitFor([&] { return IsWindowEnabled(messages) != FALSE; }, 10000))
             app.Click(kSourcePage, 1095);
     },
     true},
    {"Select Solution", Calculate, true},
    // Enter in a row editor's field sets the field in the selected row.
    {"Edit Stock", [](AppRun& app) { app.Click(kSourcePage, 1088); }, false},
    {"Edit Parts", [](AppRun& app) { app.Click(kSourcePage, 1090); }, false},
    {"Import Stock", [](AppRun& app) { app.Click(kSourcePage, 1093); }, false},
    // The export's OK keeps a changed field list: with nothing changed it cannot act.
    {"Export Parts", [](AppRun& app) { app.Click(kSourcePage, 1092); }, false},
    {"Export",
     [](AppRun& app) {
         if (Calculated(app))
             app.Click(kResultsPage, IDC_RESULTS_EXPORT_CUTTINGS);
     },
     false},
    {"Edit Patterns",
     [](AppRun& app) {
         if (Calculated(app))
             app.Click(kResultsPage, IDC_RESULTS_EDIT);
     },
     true},
};

std::string PopupTitles(const AppRun& app)
{
    std::string titles;
    for (HWND window : app.Popups())
        titles += " \"" + WindowText(window) + "\"";
    return titles;
}

TEST_F(KeyboardTest, EveryDialogClosesWithEscapeAnswersEnterAndTabsRoundItsControlsAndLists)
{
    for (const DialogCase& c : kDialogs) {
        for (UINT closing : {VK_ESCAPE, VK_RETURN}) {
            SCOPED_TRACE(std::string(c.title) + (closing == VK_ESCAPE ? ", Escape" : ", Enter"));
            CheckDialog(c, closing);
        }
    }
    m_app.Kill();
}

void KeyboardTest::CheckDialog(const DialogCase& c, UINT closing)
{
    m_app.Kill();
    ASSERT_TRUE(StartOnOrder());
    c.open(m_app);
    HWND dialog = m_app.WaitForWindow(c.title, 30000);
    ASSERT_NE(nullptr, dialog) << "showing:" << PopupTitles(m_app);
    ASSERT_TRUE(WaitFor([&] { return GetAncestor(m_app.Focus(), GA_ROOT) == dialog; }, 5000))
        << "the dialog has not the focus: " << Describe(m_app.Focus());
    // A dialog may move its focus once more as it fills its lists: keys go
    // to the control that keeps it.
    HWND settled = m_app.Focus();
    DWORD since = GetTickCount();
    WaitFor(
        [&] {
            const HWND now = m_app.Focus();
            if (now != settled) {
                settled = now;
                since = GetTickCount();
            }
            return GetTickCount() - since >= 500;
        },
        10000);
    const HWND first = m_app.Focus();
    if (closing == VK_ESCAPE) {
        const std::vector<HWND> round = TabRound(dialog);
        for (HWND list : ReachableLists(dialog)) {
            EXPECT_NE(round.end(), std::find(round.begin(), round.end(), list))
                << "Tab does not reach " << Describe(list);
        }
        ExpectShiftTabGoesBack(round);
    }
    m_app.PressKey(closing);
    const bool shouldClose = closing == VK_ESCAPE || c.enterCloses;
    const bool closed =
        WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, shouldClose ? 10000 : 1500);
    if (shouldClose) {
        EXPECT_TRUE(closed) << "the key left the dialog open; it was pressed in " << Describe(first);
    } else {
        EXPECT_FALSE(closed) << "Enter ended the dialog with nothing to accept";
    }
    EXPECT_TRUE(m_app.IsRunning());
}

// ---- Windows reached from a calculated material ------------------------------------------------

TEST_F(KeyboardTest, TheReportWindowClosesWithEscapeAndTabsRoundItsControls)
{
    const DialogCase report = {"Reports",
                               [](AppRun& app) {
                                   if (Calculated(app))
                                       app.Click(kResultsPage, IDC_RESULTS_REPORT);
                               },
                               true};
    CheckDialog(report, VK_ESCAPE);
    m_app.Kill();
}

// The box that tells where an export was saved closes with Escape, and
// Enter on its Continue closes it too: its other buttons open the file or
// its folder in another program.
TEST_F(KeyboardTest, TheSavedFileBoxClosesWithEscapeAndWithEnter)
{
    const std::string file = Path("cuttings.txt");
    const DialogCase saved = {"File",
                              [file](AppRun& app) {
                                  if (!Calculated(app))
                                      return;
                                  app.Click(kResultsPage, IDC_RESULTS_EXPORT_CUTTINGS);
                                  HWND exporting = app.WaitForWindow("Export");
                                  if (!exporting)
                                      return;
                                  HWND save = GetDlgItem(exporting, IDC_EXPORT_SAVE_FILE);
                                  if (!WaitFor([&] { return IsWindowEnabled(save) != FALSE; }, 10000))
                                      return;
                                  AppRun::Press(exporting, IDC_EXPORT_SAVE_FILE);
                                  app.AnswerFileDialog("Save file", file);
                              },
                              true};
    CheckDialog(saved, VK_ESCAPE);

    m_app.Kill();
    ASSERT_TRUE(StartOnOrder());
    saved.open(m_app);
    HWND box = m_app.WaitForWindow("File", 30000);
    ASSERT_NE(nullptr, box) << "showing:" << PopupTitles(m_app);
    HWND close = GetDlgItem(box, IDCANCEL);
    for (int i = 0; i < 10 && m_app.Focus() != close; ++i) {
        const HWND before = m_app.Focus();
        m_app.PressKey(VK_TAB);
        WaitFor([&] { return m_app.Focus() != before; }, 3000);
    }
    ASSERT_EQ(Describe(close), Describe(m_app.Focus()));
    m_app.PressKey(VK_RETURN);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 10000))
        << "Enter on " << Describe(close) << " left the box open";
    EXPECT_TRUE(m_app.IsRunning());
    m_app.Kill();
}

// The whole project calculated from the project panel lists what it could
// not place: a part longer than every stock.
TEST_F(KeyboardTest, TheProjectsMessagesAfterAWholeCalculationCloseWithEscapeAndEnterAndTabRoundTheirList)
{
    DCSSolution project;
    ASSERT_TRUE(project.New("Hall", "Made by the test", "Steel"));
    SmallOrder(*project.GetProject(0, false));
    project.GetProject(0, false)->AppendRows({OrderRow("7000", 2)}, 2);
    m_project = Path("long.brvk");
    ASSERT_TRUE(project.Save(m_project.c_str()));

    const DialogCase messages = {"Messages", [](AppRun& app) { app.Click(kProjectPanel, IDC_PROJECT_CALC); }, true};
    for (UINT closing : {VK_ESCAPE, VK_RETURN}) {
        SCOPED_TRACE(closing == VK_ESCAPE ? "Escape" : "Enter");
        CheckDialog(messages, closing);
    }
    m_app.Kill();
}

// ---- The main window and the lists of the Data page --------------------------------------------

TEST_F(KeyboardTest, TabGoesRoundTheMainWindowThroughItsListsAndEnterOnADataListEditsItsRows)
{
    ASSERT_TRUE(StartOnOrder());
    const HWND main = m_app.Main();
    const HWND source = m_app.Panel(kSourcePage);
    const HWND lists[] = {GetDlgItem(m_app.Panel(kProjectPanel), IDC_PROJECT_MATERIALS), GetDlgItem(source, 1048),
                          GetDlgItem(source, 1049)};
    // The round starts wherever the focus is; Tab first moves it into the window.
    m_app.PressKey(VK_TAB);
    ASSERT_TRUE(WaitFor([&] { return IsChild(main, m_app.Focus()) != FALSE; }, 5000))
        << Describe(m_app.Focus());
    const std::vector<HWND> round = TabRound(main);
    for (HWND list : lists)
        EXPECT_NE(round.end(), std::find(round.begin(), round.end(), list)) << "Tab does not reach " << Describe(list);
    ExpectShiftTabGoesBack(round);

    struct Case {
        int list;
        const char* editor;
    };
    for (const Case& c : {Case{1048, "Edit Stock"}, Case{1049, "Edit Parts"}}) {
        SCOPED_TRACE(c.editor);
        const HWND list = GetDlgItem(source, c.list);
        // Tab to the list, and once more: the focus leaves it.
        for (int i = 0; i < 40 && m_app.Focus() != list; ++i) {
            const HWND before = m_app.Focus();
            m_app.PressKey(VK_TAB);
            WaitFor([&] { return m_app.Focus() != before; }, 3000);
        }
        ASSERT_EQ(list, m_app.Focus()) << Describe(m_app.Focus());
        m_app.PressKey(VK_TAB);
        EXPECT_TRUE(WaitFor([&] { return m_app.Focus() != list; }, 3000)) << "Tab stays in the list";
        {
            ShiftHeld shift(m_app);
            m_app.PressKey(VK_TAB);
            WaitFor([&] { return m_app.Focus() == list; }, 3000);
        }
        ASSERT_EQ(list, m_app.Focus()) << Describe(m_app.Focus());
        // Enter on the list edits its rows.
        m_app.PressKey(VK_RETURN);
        HWND editor = m_app.WaitForWindow(c.editor, 10000);
        ASSERT_NE(nullptr, editor) << "showing:" << PopupTitles(m_app);
        ASSERT_TRUE(WaitFor([&] { return GetAncestor(m_app.Focus(), GA_ROOT) == editor; }, 5000));
        m_app.PressKey(VK_ESCAPE);
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(editor); }));
        // The focus comes back to the list it left.
        EXPECT_TRUE(WaitFor([&] { return m_app.Focus() == list; }, 3000)) << Describe(m_app.Focus());
    }
    EXPECT_EQ(std::string::npos, m_app.Title().find(" *"));
}

} // namespace
