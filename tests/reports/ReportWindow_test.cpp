// The report window opened as the program opens it, on the layouts the
// program ships and a material with a solution: the toolbar's lists and page
// indicator, paging, colour modes and the page cache, saving as HTML, the
// printer controls and the minimum size.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "appsvc/OXRApp.h"
#include "document/AppEvents.h"
#include "document/DCSProject.h"
#include "foundation/Helper.h"
#include "reports/DlgReports.h"
#include "reports/DlgReportsControls.h"
#include "reports/DlgReportsView.h"
#include "reports/OXRLayout.h"
#include "reports/OXRReport.h"
#include "reports/ReportIds.h"
#include "support/DialogDriving.h"
#include "support/MessageBoxAnswer.h"
#include "support/PrintQueue.h"
#include "support/SolvedMaterial.h"
#include "support/TestFiles.h"
#include "support/UiScript.h"
#include "support/UiTestApp.h"

namespace {

// The save dialog answers with a path of the test's choosing; nothing is
// opened with another program.
class SaveTo : public Helper::SystemCalls {
public:
    BOOL SaveDialog(OPENFILENAMEA* ofn) override
    {
        strncpy(ofn->lpstrFile, path.c_str(), ofn->nMaxFile - 1);
        filterIndex = ofn->nFilterIndex;
        title = ofn->lpstrTitle ? ofn->lpstrTitle : "";
        return TRUE;
    }
    BOOL Execute(SHELLEXECUTEINFOA*) override { return TRUE; }
    std::string path;
    DWORD filterIndex = 0;
    std::string title;
};

std::vector<std::string> ListEntries(HWND list)
{
    std::vector<std::string> entries;
    const long count = static_cast<long>(SendMessageA(list, CB_GETCOUNT, 0, 0));
    for (long i = 0; i < count; ++i) {
        char text[256] = "";
        SendMessageA(list, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        entries.push_back(text);
    }
    return entries;
}

// As a user picks an entry of a drop-down list.
void Choose(HWND panel, int id, long index)
{
    HWND list = GetDlgItem(panel, id);
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(panel, WM_COMMAND, MAKEWPARAM(id, CBN_SELENDOK), reinterpret_cast<LPARAM>(list));
}

std::vector<std::string> PdfFiles(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*.pdf").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

std::string Indicator(long page, long count)
{
    return "Page\r\n" + std::to_string(page) + " of " + std::to_string(count);
}

} // namespace

class ReportWindow : public TempFolderTest {
protected:
    ReportWindow() : TempFolderTest("reportwindow") {}

    void SetUp() override
    {
        TempFolderTest::SetUp();
        ASSERT_TRUE(SetUpUiApp(app, "Bravik.EN_US"));
        dataFolder = Path("data");
        CreateDirectoryA(dataFolder.c_str(), nullptr);
        CreateDirectoryA((dataFolder + "\\DATA").c_str(), nullptr);
        CreateDirectoryA(Path("program").c_str(), nullptr);
        CreateDirectoryA(Path("temp").c_str(), nullptr);
        app.SetDataFolder(dataFolder.c_str());
        app.SetProgramFolder(Path("program").c_str());
        app.SetTempFolder(Path("temp").c_str());
        // The layouts and style sheets the program installs.
        for (const char* name : {"BASE.SOL.SCL", "FULL.SOL.SCL", "LIST.SOL.SCL", "STYLE.TXT", "STYLE.MONO.TXT",
                                 "META.TXT"}) {
            UMemory data(4096);
            ASSERT_TRUE(app.LoadResourceData("INSTALL", name, data)) << name;
            WriteBytes(dataFolder + "\\DATA\\" + name, data.GetData());
        }
        for (const char* key : {"report.layout", "report.colors", "position.reports", "printer"})
            app.Settings().Set(key, "");
        DlgReports::ClassPlacement() = DlgClassPlacement();
        ASSERT_TRUE(main.Open());
    }

    void TearDown() override
    {
        main.DestroyWindow();
        TempFolderTest::TearDown();
    }

    // The example order with its solution.
    void AddExampleMaterial()
    {
        app.Document().AddMaterial("Steel 40x40", "square tube");
        app.Document().SetCurrent(0);
        FillSolved(*app.Document().GetProject(0, false));
    }

    // A material with a solution of many patterns: its reports run over
    // several pages.
    DCSProject* AddSolvedMaterial(int patterns)
    {
        app.Document().AddMaterial("Steel 40x40", "square tube");
        app.Document().SetCurrent(app.Document().GetCount(false) - 1);
        DCSProject* material = app.Document().GetProject(-1, false);
        std::vector<DProps> parts;
        for (int i = 0; i < patterns; ++i)
            parts.push_back(RowOf({{"length", std::to_string(500 + 10 * i).c_str()}, {"quantity", "2"}}));
        material->AppendRows({RowOf({{"length", "6000"}, {"quantity", "100"}, {"knife", "3"}})}, 1);
        material->AppendRows(parts, 2);
        std::vector<PatternSpec> specs;
        for (int i = 0; i < patterns; ++i)
            specs.push_back({1, 1, {{i + 1, 2}}});
        ApplyPatterns(*material, specs);
        return material;
    }

    // Runs the report command; the script acts on the open window and must
    // end it.
    void RunReport(bool currentOnly, UiScript& script)
    {
        script.Start();
        app.BuildReport(currentOnly);
        script.Stop();
        EXPECT_EQ("", script.Failure());
        EXPECT_TRUE(script.Done());
        EXPECT_EQ(nullptr, app.ReportWindow());
        EXPECT_EQ(0u, OXRLayout::Registry().size());
    }

    static DlgReports* Window() { return dynamic_cast<DlgReports*>(App().ReportWindow()); }
    static HWND Toolbar() { return Window()->GetToolbar()->m_hWnd; }
    static bool Open()
    {
        DlgReports* window = Window();
        return window && window->IsWindow() && IsWindowVisible(window->m_hWnd) && window->GetToolbar();
    }
    static void Close() { Click(Window()->m_hWnd, IDOK); }

    OXRApp app;
    RecordingMainWindow main;
    std::string dataFolder;
};

TEST_F(ReportWindow, OpensWithTheLayoutsTheColourModesAndTheFirstPage)
{
    AddExampleMaterial();
    std::vector<std::string> layouts, colours;
    std::string indicator, caption;
    bool previous = true, next = true;
    long pages = 0;
    UiScript script;
    script.Then(Open, [&] {
        layouts = ListEntries(GetDlgItem(Toolbar(), IDC_REPORTS_LAYOUT));
        colours = ListEntries(GetDlgItem(Toolbar(), IDC_REPORTS_COLORS));
        indicator = WindowText(Toolbar(), IDC_REPORTS_PAGE);
        caption = WindowText(Window()->m_hWnd, 0);
        previous = Enabled(Toolbar(), IDC_REPORTS_PREV);
        next = Enabled(Toolbar(), IDC_REPORTS_NEXT);
        pages = AppReport().GetPageCount();
        Close();
    });
    RunReport(true, script);

    EXPECT_EQ("Reports", caption);
    EXPECT_EQ((std::vector<std::string>{" Base", " Extended", " Compact"}), layouts);
    EXPECT_EQ((std::vector<std::string>{" Auto", " Colour", " Mono"}), colours);
    ASSERT_EQ(1, pages);
    EXPECT_EQ(Indicator(1, 1), indicator);
    EXPECT_FALSE(previous);
    EXPECT_FALSE(next);
}

TEST_F(ReportWindow, NextAndPreviousAreEnabledAsThePagesAllow)
{
    AddSolvedMaterial(120);
    app.Settings().Set("report.layout", "1");
    long pages = 0;
    struct State {
        std::string indicator;
        bool previous;
        bool next;
    };
    std::vector<State> states;
    auto record = [&states] {
        states.push_back({WindowText(Toolbar(), IDC_REPORTS_PAGE), Enabled(Toolbar(), IDC_REPORTS_PREV),
                          Enabled(Toolbar(), IDC_REPORTS_NEXT)});
    };
    UiScript script;
    script.Then(Open, [&] {
        pages = AppReport().GetPageCount();
        record();
        Click(Toolbar(), IDC_REPORTS_NEXT);
        record();
        for (long i = 2; i < pages; ++i)
            Click(Toolbar(), IDC_REPORTS_NEXT);
        record();
        Click(Toolbar(), IDC_REPORTS_PREV);
        record();
        Close();
    });
    RunReport(true, script);

    ASSERT_GE(pages, 3);
    ASSERT_EQ(4u, states.size());
    EXPECT_EQ(Indicator(1, pages), states[0].indicator);
    EXPECT_FALSE(states[0].previous);
    EXPECT_TRUE(states[0].next);
    EXPECT_EQ(Indicator(2, pages), states[1].indicator);
    EXPECT_TRUE(states[1].previous);
    EXPECT_TRUE(states[1].next);
    EXPECT_EQ(Indicator(pages, pages), states[2].indicator);
    EXPECT_TRUE(states[2].previous);
    EXPECT_FALSE(states[2].next);
    EXPECT_EQ(Indicator(pages - 1, pages), states[3].indicator);
    EXPECT_TRUE(states[3].next);
}

TEST_F(ReportWindow, MonoBuildsAnewAndAutoAgainTakesTheCachedPages)
{
    AddSolvedMaterial(3);
    size_t cachedAtOpening = 0, cachedAfterMono = 0, cachedAfterAuto = 0;
    std::vector<UString> autoPages, monoPages, autoAgain;
    UiScript script;
    script.Then(Open, [&] {
        cachedAtOpening = AppReport().GetPageCache().size();
        autoPages = AppReport().GetPageFiles();
        Choose(Toolbar(), IDC_REPORTS_COLORS, 2);
        cachedAfterMono = AppReport().GetPageCache().size();
        monoPages = AppReport().GetPageFiles();
        Choose(Toolbar(), IDC_REPORTS_COLORS, 0);
        cachedAfterAuto = AppReport().GetPageCache().size();
        autoAgain = AppReport().GetPageFiles();
        Close();
    });
    RunReport(true, script);

    EXPECT_EQ(1u, cachedAtOpening);
    EXPECT_EQ(2u, cachedAfterMono);
    EXPECT_NE(autoPages, monoPages);
    EXPECT_EQ(2u, cachedAfterAuto);
    EXPECT_EQ(autoPages, autoAgain);
    EXPECT_EQ("0", std::string(app.Settings().Get("report.colors", "").GetText()));
}

TEST_F(ReportWindow, SavingAsHtmlAppendsTheExtensionAndNamesTheFileInTheSavedBox)
{
    AddSolvedMaterial(3);
    SaveTo calls;
    calls.path = Path("report");
    Helper::SystemCalls* previous = Helper::SetSystemCalls(&calls);
    std::string message;
    UiScript script;
    script.Then(Open, [] { PostMessageA(Toolbar(), WM_COMMAND, MAKEWPARAM(IDC_REPORTS_SAVE, BN_CLICKED), 0); })
        .ChooseFromMenu(2);
    AnswerBox(script, "File", IDCANCEL, &message)
        .Then([] { return UiScript::FindThreadWindow("File") == nullptr; }, [] { Close(); });
    RunReport(true, script);
    Helper::SetSystemCalls(previous);

    const std::string saved = Path("report.html");
    EXPECT_EQ("Save the report as", calls.title);
    EXPECT_EQ(1, Helper::CheckFile(saved.c_str()));
    EXPECT_EQ(0, Helper::CheckFile(Path("report").c_str()));
    EXPECT_EQ("File " + saved + " has been saved.", message);
    EXPECT_NE(std::string::npos, ReadBytes(saved).find("<html"));
}

TEST(ReportFileNames, AKnownExtensionWinsOverTheFilter)
{
    struct Case {
        const char* name;
        int filter;
        const char* saved;
    };
    const Case cases[] = {
        {"plan", DlgReports::FilterPng, "plan.png"},
        {"plan", DlgReports::FilterJpeg, "plan.jpg"},
        {"plan", DlgReports::FilterTiff, "plan.tiff"},
        {"plan.bmp", DlgReports::FilterJpeg, "plan.bmp"},
        {"plan.JPEG", DlgReports::FilterGif, "plan.JPEG"},
        {"plan.tif", DlgReports::FilterPng, "plan.tif"},
        {"plan.txt", DlgReports::FilterGif, "plan.txt.gif"},
        {"plan.", DlgReports::FilterBmp, "plan.bmp"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.saved, DlgReports::ImageFileName(c.name, c.filter)) << c.name;
    EXPECT_EQ("report.htm", DlgReports::HtmlFileName("report.htm"));
    EXPECT_EQ("report.HTML", DlgReports::HtmlFileName("report.HTML"));
    EXPECT_EQ("report.html", DlgReports::HtmlFileName("report"));
    EXPECT_EQ("report.pdf.html", DlgReports::HtmlFileName("report.pdf"));
}

TEST_F(ReportWindow, WithoutPrintersPrintAndThePrinterListStayDisabled)
{
    AddSolvedMaterial(3);
    bool waited = false, print = true, printers = true;
    UiScript script;
    script.Then(Open, [] {})
        .Then([] { return !Window()->GetToolbar()->IsWaitingForPrinters(); },
              [&] {
                  waited = true;
                  print = Enabled(Toolbar(), IDC_REPORTS_PRINT);
                  printers = Enabled(Toolbar(), IDC_REPORTS_PRINTER);
                  Close();
              });
    RunReport(true, script);

    EXPECT_TRUE(waited);
    EXPECT_FALSE(print);
    EXPECT_FALSE(printers);
}

TEST_F(ReportWindow, AListedPrinterIsOfferedAndBecomesCurrent)
{
    AddSolvedMaterial(3);
    app.PrinterNames().Set("PDF", "Printer");
    std::vector<std::string> entries;
    bool print = false;
    UiScript script;
    script.Then(Open, [&] {
        entries = ListEntries(GetDlgItem(Toolbar(), IDC_REPORTS_PRINTER));
        print = Enabled(Toolbar(), IDC_REPORTS_PRINT);
        Close();
    });
    RunReport(true, script);

    EXPECT_EQ((std::vector<std::string>{" PDF"}), entries);
    EXPECT_TRUE(print);
    EXPECT_EQ("PDF", std::string(app.CurrentPrinter().GetText()));
}

TEST_F(ReportWindow, PrintersFoundWhileTheWindowIsOpenFillTheEmptyList)
{
    AddSolvedMaterial(3);
    std::thread enumeration;
    std::vector<std::string> entries;
    bool print = false;
    UiScript script;
    script
        .Then(Open,
              [&] {
                  // As the printer thread does: the list rebuilt, then
                  // kEventPrintersEnumerated raised from that thread.
                  enumeration = std::thread([] {
                      {
                          DAutoLock guard(App().GetPrinterLock());
                          App().PrinterNames().Set("PDF", "Printer");
                          App().PrinterNames().Set("Office", "Printer");
                      }
                      App().OnAppEvent(kEventPrintersEnumerated, 0);
                  });
              })
        .Then([] { return SendMessageA(GetDlgItem(Toolbar(), IDC_REPORTS_PRINTER), CB_GETCOUNT, 0, 0) > 0; },
              [&] {
                  entries = ListEntries(GetDlgItem(Toolbar(), IDC_REPORTS_PRINTER));
                  print = Enabled(Toolbar(), IDC_REPORTS_PRINT);
                  Close();
              });
    RunReport(true, script);
    enumeration.join();

    EXPECT_EQ((std::vector<std::string>{" PDF", " Office"}), entries);
    EXPECT_TRUE(print);
    EXPECT_EQ("PDF", std::string(app.CurrentPrinter().GetText()));
}

TEST_F(ReportWindow, PrintSendsEveryPageToTheCurrentPrinter)
{
    const std::string folder = PrintQueue::Folder();
    ASSERT_FALSE(folder.empty()) << "BRAVIK_PDF_DIR is not set: run the tests through scripts/test";
    AddSolvedMaterial(3);
    app.PrinterNames().Set("PDF", "Printer");
    const std::vector<std::string> before = PdfFiles(folder);
    long pages = 0;
    UiScript script;
    script.Then(Open, [&] {
        pages = AppReport().GetPageCount();
        Click(Toolbar(), IDC_REPORTS_PRINT);
        Close();
    });
    RunReport(true, script);

    // The queue names its files by job: the new one is this report's.
    std::string pdf;
    for (DWORD start = GetTickCount(); pdf.empty() && GetTickCount() - start < 60000; Sleep(200))
        for (const std::string& name : PdfFiles(folder))
            if (std::find(before.begin(), before.end(), name) == before.end())
                pdf = folder + "\\" + name;
    ASSERT_FALSE(pdf.empty()) << "no new PDF arrived in " << folder;
    EXPECT_EQ(pages, PrintQueue::PdfPages(pdf));
    DeleteFileA(pdf.c_str());
}

TEST_F(ReportWindow, AFailedPrintIsShownAndLogged)
{
    AddSolvedMaterial(3);
    const std::string logPath = Path("Bravik.log");
    app.Log().Open(logPath.c_str(), false);
    app.PrinterNames().Set("No such printer", "Printer");
    std::string text;
    UiScript script;
    script.Then(Open, [] { PostMessageA(Toolbar(), WM_COMMAND, MAKEWPARAM(IDC_REPORTS_PRINT, BN_CLICKED), 0); });
    AnswerBox(script, kAppName, IDOK, &text)
        .Then([] { return UiScript::FindThreadWindow(kAppName) == nullptr; }, [] { Close(); });
    RunReport(true, script);
    app.Log().Close();

    const std::string expected = "Cannot print: The printer \"No such printer\" cannot be opened.";
    EXPECT_NE(std::string::npos, text.find(expected)) << text;
    EXPECT_NE(std::string::npos, ReadBytes(logPath).find("ERR >> " + expected)) << ReadBytes(logPath);
}

TEST_F(ReportWindow, CannotBeMadeSmallerThanTheToolbarOrFourHundredPixels)
{
    AddSolvedMaterial(3);
    RECT sized = {0, 0, 0, 0};
    long toolbarWidth = 0;
    UiScript script;
    script.Then(Open, [&] {
        toolbarWidth = LOWORD(Window()->GetToolbar()->GetPreferredSize());
        sized = {100, 100, 200, 200};
        SendMessageA(Window()->m_hWnd, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&sized));
        Close();
    });
    RunReport(true, script);

    EXPECT_EQ(100, sized.left);
    EXPECT_EQ(100, sized.top);
    EXPECT_GT(sized.right - sized.left, toolbarWidth);
    EXPECT_EQ(DlgReports::MinHeight, sized.bottom - sized.top);
}

TEST_F(ReportWindow, TheStoredPlacementIsWhereTheNextRunOpensIt)
{
    AddSolvedMaterial(3);
    app.Settings().Set("position.reports", "40,30,860,600,0");
    RECT opened = {0, 0, 0, 0};
    UiScript script;
    script.Then(Open, [&] {
        GetWindowRect(Window()->m_hWnd, &opened);
        SetWindowPos(Window()->m_hWnd, nullptr, 60, 50, 900, 640, SWP_NOZORDER);
        Close();
    });
    RunReport(true, script);

    EXPECT_EQ(40, opened.left);
    EXPECT_EQ(30, opened.top);
    EXPECT_EQ(860, opened.right);
    EXPECT_EQ(600, opened.bottom);
    EXPECT_EQ("60,50,960,690,0", std::string(app.Settings().Get("position.reports", "").GetText()));
}

TEST_F(ReportWindow, FitButtonsAndADoubleClickSwitchBetweenWholePageAndWidth)
{
    AddSolvedMaterial(3);
    std::vector<long> modes;
    RECT client = {0, 0, 0, 0}, whole = {0, 0, 0, 0}, width = {0, 0, 0, 0};
    UiScript script;
    script.Then(Open, [&] {
        DlgReportsView* view = Window()->GetView();
        modes.push_back(view->GetFitMode());
        Click(Toolbar(), IDC_REPORTS_FITW);
        modes.push_back(view->GetFitMode());
        GetClientRect(view->m_hWnd, &client);
        whole = view->GetDisplayRect();
        SendMessageA(view->m_hWnd, WM_LBUTTONDBLCLK, 0, 0);
        modes.push_back(view->GetFitMode());
        width = view->GetDisplayRect();
        GetClientRect(view->m_hWnd, &client);
        Close();
    });
    RunReport(true, script);

    EXPECT_EQ((std::vector<long>{DlgReportsView::FitWidth, DlgReportsView::FitWindow, DlgReportsView::FitWidth}),
              modes);
    EXPECT_LE(whole.bottom - whole.top, client.bottom);
    EXPECT_GE(whole.top, 0);
    // The displayed width is the zoomed page width, cut to whole pixels.
    EXPECT_NEAR(client.right, width.right - width.left, 1);
    EXPECT_GT(width.bottom - width.top, client.bottom);
}

TEST_F(ReportWindow, NothingToReportOnWarnsAndOpensNoWindow)
{
    app.Document().AddMaterial("Steel", "");
    app.Document().SetActive(0, false);
    std::string text;
    bool opened = false;
    UiScript script;
    script.Then([] { return UiScript::FindThreadWindow("Report") != nullptr; },
                [&] { opened = App().ReportWindow() != nullptr; }, "the Report box");
    AnswerBox(script, "Report", IDOK, &text);
    RunReport(false, script);

    EXPECT_EQ("No material is active.\r\nPlease tick at least one material in the list.", text);
    EXPECT_FALSE(opened);
}
