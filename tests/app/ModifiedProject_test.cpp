// A modified project in the real program: leaving it for another project
// that never comes keeps it as it was, and the caption's " *" and the Save
// commands tell the same state after every change.
#include "support/AppRunner.h"

#include <fstream>
#include <string>

#include "dialogs/DialogIds.h"
#include "panels/PanelIds.h"

namespace {

const UINT kCmdOpen = 32771;
const UINT kCmdCreate = 32772;
const UINT kCmdSave = 32790;
const UINT kCmdRecentSecond = 32821;

const std::initializer_list<int> kHeader = {IDC_HEADER_SAVE, IDC_HEADER_EXIT};
const std::initializer_list<int> kProjectPanel = {IDC_PROJECT_EDIT, IDC_PROJECT_ADD};
const std::initializer_list<int> kSourcePage = {1088, 1090};
const std::initializer_list<int> kResultsPage = {IDC_RESULTS_CLEAR, IDC_RESULTS_EDIT, IDC_RESULTS_CUTTINGS};

long ItemCount(HWND list)
{
    DWORD_PTR count = 0;
    if (!list || !SendBounded(list, LVM_GETITEMCOUNT, 0, 0, 10000, &count))
        return -1;
    return static_cast<long>(count);
}

// What the user sees of the open project, read back from the windows.
struct Shown {
    std::string title;
    std::string save;      // the File menu's Save item
    bool saveButton;       // the header's Save button enabled
    std::string name;      // the project panel's name
    long materials;
    long stocks;
    long parts;

    bool operator==(const Shown& o) const
    {
        return title == o.title && save == o.save && saveButton == o.saveButton && name == o.name &&
               materials == o.materials && stocks == o.stocks && parts == o.parts;
    }
};

std::ostream& operator<<(std::ostream& out, const Shown& s)
{
    return out << "{" << s.title << " | " << s.save << " | button " << s.saveButton << " | " << s.name << " | "
               << s.materials << " materials, " << s.stocks << " stocks, " << s.parts << " parts}";
}

Shown ReadShown(const AppRun& app)
{
    Shown s;
    s.title = app.Title();
    s.save = app.MenuTexts("0").at(3);
    s.saveButton = IsWindowEnabled(GetDlgItem(app.Panel(kHeader), IDC_HEADER_SAVE)) != FALSE;
    HWND project = app.Panel(kProjectPanel);
    s.name = WindowText(GetDlgItem(project, IDC_PROJECT_NAME));
    s.materials = ItemCount(GetDlgItem(project, IDC_PROJECT_MATERIALS));
    HWND source = app.Panel(kSourcePage);
    s.stocks = ItemCount(GetDlgItem(source, 1048));
    s.parts = ItemCount(GetDlgItem(source, 1049));
    return s;
}

bool EndsModified(const std::string& title)
{
    return title.size() >= 2 && title.compare(title.size() - 2, 2, " *") == 0;
}

// The caption, the File menu and the header's button tell one state.
void ExpectStateAgrees(const AppRun& app, bool modified)
{
    const Shown s = ReadShown(app);
    EXPECT_EQ(modified, EndsModified(s.title)) << s;
    EXPECT_EQ(modified ? "&Save" : "&Save (grayed)", s.save) << s;
    EXPECT_EQ(modified, s.saveButton) << s;
}

HWND PanelOf(const AppRun& app, std::initializer_list<int> ids)
{
    return app.Panel(ids);
}

// Answers the "Project has been changed" question.
bool AnswerLeave(const AppRun& app, int answer)
{
    HWND box = app.WaitForBox("Project has been changed.");
    if (!box)
        return false;
    return AppRun::PressToClose(box, answer);
}

// ---- Leaving a modified project for one that never comes -----------------------------------

TEST_F(ProgramTest, AModifiedProjectStaysWhenTheNextProjectDoesNotCome)
{
    const std::string project = MakeTwoMaterialProject("hall.brvk");
    const std::string other = MakeProject("other.brvk");
    const std::string damaged = Path("damaged.brvk");
    std::ofstream(damaged, std::ios::binary) << "not a project\r\n";

    struct Case {
        const char* what;
        // Leaves for another project after Yes to the question, which then fails.
        std::function<void(AppRun&)> leave;
    };
    const Case cases[] = {
        {"Open, the file dialog cancelled",
         [](AppRun& app) {
             app.Command(kCmdOpen);
             ASSERT_TRUE(AnswerLeave(app, IDYES));
             HWND dialog = app.WaitForWindow("Open Project");
             ASSERT_NE(nullptr, dialog);
             EXPECT_TRUE(AppRun::PressToClose(dialog, IDCANCEL));
         }},
        {"Open, a file that cannot be read",
         [&](AppRun& app) {
             app.Command(kCmdOpen);
             ASSERT_TRUE(AnswerLeave(app, IDYES));
             ASSERT_TRUE(app.AnswerFileDialog("Open Project", damaged));
             HWND box = app.WaitForBox("Cannot open the project " + damaged);
             ASSERT_NE(nullptr, box);
             EXPECT_TRUE(AppRun::PressToClose(box, IDOK));
         }},
        {"Create, cancelled",
         [](AppRun& app) {
             app.Command(kCmdCreate);
             ASSERT_TRUE(AnswerLeave(app, IDYES));
             HWND dialog = app.WaitForWindow("Create Project");
             ASSERT_NE(nullptr, dialog);
             EXPECT_TRUE(AppRun::PressToClose(dialog, IDCANCEL));
         }},
        {"a recent project that cannot be read any more",
         [&](AppRun& app) {
             // Damaged since it went on the list.
             std::ofstream(other, std::ios::binary) << "not a project\r\n";
             app.Command(kCmdRecentSecond);
             ASSERT_TRUE(AnswerLeave(app, IDYES));
             HWND box = app.WaitForBox("Cannot open the project " + other);
             ASSERT_NE(nullptr, box);
             EXPECT_TRUE(AppRun::PressToClose(box, IDOK));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MakeProject("other.brvk");
        AppRun app;
        // The other project goes on the recent list first.
        ASSERT_TRUE(app.Start("\"" + other + "\""));
        ASSERT_TRUE(WaitFor([&] { return app.Title() == "KORVA Bravik  " + other; }));
        app.Command(kCmdOpen);
        ASSERT_TRUE(app.AnswerFileDialog("Open Project", project));
        ASSERT_TRUE(WaitFor([&] { return app.Title() == "KORVA Bravik  " + project; }));
        ASSERT_TRUE(app.RenameProject("Hall roof"));
        const Shown before = ReadShown(app);
        EXPECT_EQ((Shown{"KORVA Bravik  " + project + " *", "&Save", true, "Hall roof", 2, 1, 3}), before);

        c.leave(app);
        EXPECT_TRUE(SendBounded(app.Main(), WM_NULL, 0, 0));
        EXPECT_EQ(before, ReadShown(app));
        app.Kill();
    }
}

// ---- The caption and Save agree -----------------------------------------------------------

// Calculated through the windows and saved, so nothing is modified.
void CalculateAndSave(AppRun& app)
{
    HWND stocks = GetDlgItem(app.Panel(kSourcePage), 1048);
    ASSERT_TRUE(WaitFor([&] { return ItemCount(stocks) > 0; })) << "the material is not shown";
    app.Click(kResultsPage, IDC_RESULTS_CALC);
    HWND choice = app.WaitForWindow("Select Solution");
    ASSERT_NE(nullptr, choice);
    ASSERT_TRUE(AppRun::PressToClose(choice, IDOK));
    HWND results = PanelOf(app, kResultsPage);
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(results, IDC_RESULTS_EDIT)) != FALSE; }));
    ASSERT_TRUE(WaitFor([&] { return EndsModified(app.Title()); }));
    app.Command(kCmdSave);
    ASSERT_TRUE(WaitFor([&] { return !EndsModified(app.Title()); })) << app.Title();
    ExpectStateAgrees(app, false);
}

TEST_F(ProgramTest, ClearingTheResultsShowsTheChangeInTheCaptionAndSave)
{
    const std::string project = MakeTwoMaterialProject("hall.brvk");
    AppRun app;
    ASSERT_TRUE(app.Start("\"" + project + "\""));
    ASSERT_TRUE(WaitFor([&] { return app.Title() == "KORVA Bravik  " + project; }));
    CalculateAndSave(app);
    if (HasFatalFailure())
        return;

    app.Click(kResultsPage, IDC_RESULTS_CLEAR);
    HWND results = PanelOf(app, kResultsPage);
    ASSERT_TRUE(WaitFor([&] { return ItemCount(GetDlgItem(results, IDC_RESULTS_STOCKS)) == 0; }));
    EXPECT_TRUE(SendBounded(app.Main(), WM_NULL, 0, 0));
    ExpectStateAgrees(app, true);
    app.Kill();
}

TEST_F(ProgramTest, TheLayoutEditorsOkShowsItsChangeInTheCaptionAndSave)
{
    const std::string project = MakeTwoMaterialProject("hall.brvk");
    struct Case {
        const char* what;
        bool removePattern;
    };
    for (const Case& c : {Case{"OK alone", false}, Case{"a pattern removed", true}}) {
        SCOPED_TRACE(c.what);
        AppRun app;
        ASSERT_TRUE(app.Start("\"" + project + "\""));
        ASSERT_TRUE(WaitFor([&] { return WindowText(app.Main()).find(project) != std::string::npos; }));
        CalculateAndSave(app);
        if (HasFatalFailure())
            return;
        app.Click(kResultsPage, IDC_RESULTS_EDIT);
        HWND editor = app.WaitForWindow("Edit Patterns");
        ASSERT_NE(nullptr, editor);
        HWND patterns = GetDlgItem(editor, IDC_LAYOUT_PATTERNS);
        const long before = ItemCount(patterns);
        ASSERT_GT(before, 0);
        if (c.removePattern) {
            // The first pattern is selected when the editor opens.
            AppRun::Press(editor, IDC_LAYOUT_REMOVE);
            ASSERT_TRUE(WaitFor([&] { return ItemCount(patterns) == before - 1; }));
        }
        ASSERT_TRUE(AppRun::PressToClose(editor, IDOK));
        EXPECT_TRUE(SendBounded(app.Main(), WM_NULL, 0, 0));
        const bool modified = EndsModified(app.Title());
        if (c.removePattern) {
            EXPECT_TRUE(modified);
        }
        ExpectStateAgrees(app, modified);
        app.Kill();
        // The project's file is as the run saved it: the next case starts alike.
        ASSERT_TRUE(DeleteFileA(project.c_str()));
        MakeTwoMaterialProject("hall.brvk");
    }
}

} // namespace
