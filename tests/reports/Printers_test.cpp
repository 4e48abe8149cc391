// The printers the test environment really has (the CUPS queue "PDF"), the
// application's printer list around them, printer device contexts and the
// conversion of page bitmaps into image files.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "appsvc/OXRApp.h"
#include "controls/UDraw.h"
#include "reports/DEnumPrinters.h"
#include "reports/PrinterGuard.h"
#include "reports/Printers.h"
#include "support/OtherProcess.h"
#include "support/PrintQueue.h"
#include "support/TestFiles.h"

namespace {

bool Has(const std::vector<std::string>& names, const std::string& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::vector<std::string> RecordNames()
{
    std::vector<std::string> names;
    for (const PrinterInfo& record : EnumeratedPrinters())
        names.push_back(record.name.GetText());
    return names;
}

std::vector<std::string> Texts(const UStringList& list)
{
    std::vector<std::string> texts;
    for (const UString& item : list)
        texts.push_back(item.GetText());
    return texts;
}

// The names of the guard files in the folder.
std::vector<std::string> Guards(const std::string& folder)
{
    std::vector<std::string> guards;
    for (const std::string& name : Listing(folder))
        if (name.compare(0, 15, "Bravik.printer.") == 0)
            guards.push_back(name);
    return guards;
}

// Serves window messages until done says so, for at most ms.
template <class Done>
bool PumpUntil(Done done, DWORD ms)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms;) {
        if (done())
            return true;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return done();
}

class Printers : public TempFolderTest {
protected:
    Printers() : TempFolderTest("printers") {}

    void SetUp() override
    {
        TempFolderTest::SetUp();
        ASSERT_TRUE(Has(PrintQueue::Printers(), "PDF"))
            << "the test environment has no print queue \"PDF\": run the tests through scripts/test";
        settingsPath = Path("Bravik.properties");
        app.Settings().Load(settingsPath.c_str());
        logPath = Path("Bravik.log");
        app.Log().Open(logPath.c_str(), true);
    }
    void TearDown() override
    {
        app.Log().Close();
        TempFolderTest::TearDown();
    }

    // A setting as the file on disk holds it.
    std::string Stored(const char* key)
    {
        DAppSettings stored;
        stored.Load(settingsPath.c_str());
        return stored.Get(key, "<none>").GetText();
    }

    OXRApp app;
    std::string settingsPath;
    std::string logPath;
};

} // namespace

// ---- Enumeration ---------------------------------------------------------------------------

TEST_F(Printers, TheQueueIsListedWithWhatItsDriverNames)
{
    UStringList excluded;
    const long count = EnumeratePrinters(nullptr, excluded);

    EXPECT_EQ(static_cast<long>(EnumeratedPrinters().size()), count);
    ASSERT_TRUE(Has(RecordNames(), "PDF"));
    EXPECT_TRUE(Has(Texts(EnumeratedPrinterNames()), "PDF"));
    for (const PrinterInfo& record : EnumeratedPrinters()) {
        if (std::string(record.name.GetText()) != "PDF")
            continue;
        EXPECT_TRUE(record.port.HasText(true));
        EXPECT_GT(record.paperNames.Count(), 0);
    }
    // Every printer answered: none is excluded.
    EXPECT_TRUE(excluded.empty());
    EXPECT_EQ(std::string::npos, Stored("excluded").find("PDF"));
    EXPECT_NE(std::string::npos, ReadBytes(logPath).find("Enumerating printers: PDF"));
}

TEST_F(Printers, AnExclusionDifferingOnlyInCaseSkipsThePrinter)
{
    HWND status = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 200, 20, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, status);
    UStringList excluded;
    excluded.push_back("pdf");

    EnumeratePrinters(status, excluded);

    EXPECT_FALSE(Has(RecordNames(), "PDF"));
    EXPECT_TRUE(Has(Texts(EnumeratedPrinterNames()), "PDF")) << "the names found include excluded printers";
    EXPECT_EQ(std::vector<std::string>{"pdf"}, Texts(excluded));
    const std::string log = ReadBytes(logPath);
    const size_t at = log.find("Printer excluded: PDF");
    ASSERT_NE(std::string::npos, at) << log;
    const size_t lineStart = log.rfind('\n', at) == std::string::npos ? 0 : log.rfind('\n', at);
    EXPECT_EQ(std::string::npos, log.substr(lineStart, at - lineStart).find("ERR")) << log;
    char text[128] = {};
    GetWindowTextA(status, text, sizeof text);
    // The window shows the last printer's state.
    if (PrintQueue::Printers().back() == "PDF") {
        EXPECT_STREQ("Printer excluded: PDF", text);
    }
    DestroyWindow(status);
}

namespace {

HANDLE g_release = nullptr;
HANDLE g_answered = nullptr;
std::atomic<bool> g_releasedInTime{false};
HWND g_witness = nullptr;

// A driver that never answers: it only tells the test window it has started.
// It is held until the test lets it go, and no longer than a minute, so a
// test that never lets go still ends.
DWORD HangingQuery(PrinterInfo& record)
{
    if (std::string(record.name.GetText()) == "PDF") {
        PostMessageA(g_witness, WM_APP, 0, 0);
        g_releasedInTime = WaitForSingleObject(g_release, 60000) == WAIT_OBJECT_0;
        SetEvent(g_answered);
    }
    return 1;
}

} // namespace

TEST_F(Printers, AQueryThatNeverAnswersIsGivenUpAndThePrinterStaysExcluded)
{
    g_release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_answered = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_releasedInTime = false;
    g_witness = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, g_witness);
    static bool served;
    served = false;
    SetWindowLongPtrA(g_witness, GWLP_WNDPROC,
                      reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
                          if (m == WM_APP) {
                              served = true;
                              return 0;
                          }
                          return DefWindowProcA(w, m, wp, lp);
                      }));
    const PrinterQuery saved = GetPrinterQuery();
    SetPrinterQuery({&HangingQuery, 1500});

    UStringList excluded;
    const DWORD start = GetTickCount();
    EnumeratePrinters(nullptr, excluded);
    const DWORD spent = GetTickCount() - start;
    SetPrinterQuery(saved);
    // The wait served this thread's messages while the driver hung.
    const bool servedDuringWait = served;
    SetEvent(g_release);
    // The held driver is let go and returns, so no thread of the test stays behind.
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(g_answered, 10000)) << "the hung driver was never let go";
    EXPECT_TRUE(g_releasedInTime.load()) << "the hung driver was held past its bound";

    EXPECT_TRUE(servedDuringWait);
    EXPECT_LT(spent, 10000u);
    EXPECT_FALSE(Has(RecordNames(), "PDF"));
    EXPECT_TRUE(Has(Texts(excluded), "PDF"));
    EXPECT_NE(std::string::npos, Stored("excluded").find("\"PDF\"")) << Stored("excluded");
    EXPECT_NE(std::string::npos, ReadBytes(logPath).find("ERR >> Cannot get info for printer: PDF"));
    DestroyWindow(g_witness);
    CloseHandle(g_release);
    CloseHandle(g_answered);
}

namespace {

// The printer thread as the enumeration sees it: asked to stop at will.
class Stopper : public DThread {
public:
    bool IsCancelled() override { return stop; }
    std::atomic<bool> stop{false};
};

Stopper* g_stopper = nullptr;

// The program ends while a sound driver is being asked.
DWORD StoppedWhileAsked(PrinterInfo& record)
{
    g_stopper->stop = true;
    Sleep(300);
    return QueryPrinterInfo(record);
}

} // namespace

TEST_F(Printers, AStopWhileASoundPrinterIsAskedDoesNotLeaveItExcluded)
{
    Stopper stopper;
    g_stopper = &stopper;
    const PrinterQuery saved = GetPrinterQuery();
    SetPrinterQuery({&StoppedWhileAsked, 20000});
    UStringList excluded;
    EnumeratePrinters(nullptr, excluded, &stopper);
    SetPrinterQuery(saved);
    g_stopper = nullptr;

    EXPECT_EQ(1u, EnumeratedPrinters().size()) << "the enumeration ends after the printer being asked";
    EXPECT_TRUE(excluded.empty());
    EXPECT_EQ(std::string::npos, Stored("excluded").find("PDF"));
    EXPECT_TRUE(Guards(root).empty());
}

// ---- The crash guard ------------------------------------------------------------------------

namespace {

// What a query saw of the files while the driver was being asked.
struct SeenWhileAsked {
    std::string excluded;
    std::string guard;
};
SeenWhileAsked* g_seen = nullptr;
std::string g_settingsPath;
std::string g_guardPath;

DWORD LookingQuery(PrinterInfo& record)
{
    if (std::string(record.name.GetText()) == "PDF" && g_seen) {
        DAppSettings stored;
        stored.Load(g_settingsPath.c_str());
        g_seen->excluded = stored.Get("excluded", "<none>").GetText();
        g_seen->guard = ReadBytes(g_guardPath);
    }
    return QueryPrinterInfo(record);
}

} // namespace

TEST_F(Printers, WhileADriverIsAskedOnlyAGuardOfThisProcessNamesThePrinter)
{
    SeenWhileAsked seen;
    g_seen = &seen;
    g_settingsPath = settingsPath;
    g_guardPath = PrinterQueryGuard::FileOf(root.c_str(), GetCurrentProcessId()).GetText();
    const PrinterQuery saved = GetPrinterQuery();
    SetPrinterQuery({&LookingQuery, 20000});
    UStringList excluded;
    EnumeratePrinters(nullptr, excluded);
    SetPrinterQuery(saved);
    g_seen = nullptr;

    // Another instance saving its settings meanwhile cannot keep an exclusion.
    EXPECT_EQ(std::string::npos, seen.excluded.find("PDF")) << seen.excluded;
    EXPECT_NE(std::string::npos, seen.guard.find("printer=PDF\r\n")) << seen.guard;
    EXPECT_NE(std::string::npos, seen.guard.find("process=" + std::to_string(GetCurrentProcessId()) + "\r\n"));
    EXPECT_EQ(std::string::npos, seen.guard.find("earlier=")) << seen.guard;
    // The guard does not outlive the query.
    EXPECT_EQ("<missing>", ReadBytes(g_guardPath));
    EXPECT_TRUE(Has(RecordNames(), "PDF"));
    EXPECT_TRUE(excluded.empty());
}

TEST_F(Printers, AGuardOfAnEndedProcessExcludesThePrinterOnlyWhenItsQueryEndedIt)
{
    const OtherProcess ended = OtherProcess::Start(false);
    ASSERT_NE(0u, ended.id);
    const struct {
        const char* extra;
        bool excluded;
        const char* logged;
    } cases[] = {
        {"", false, "WRN >> The program ended while printer PDF was being queried: it is queried again"},
        {"crashed=1\r\n", true, "WRN >> Printer PDF brought the program down while it was being queried: it is excluded"},
        {"earlier=1\r\n", true, "WRN >> The program ended twice while printer PDF was being queried: it is excluded"},
    };
    const std::string guard = PrinterQueryGuard::FileOf(root.c_str(), ended.id).GetText();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.logged);
        WriteBytes(guard, ended.GuardText("PDF", c.extra));
        const size_t logged = ReadBytes(logPath).size();
        UStringList excluded;
        EnumeratePrinters(nullptr, excluded);
        EXPECT_EQ(c.excluded, Has(Texts(excluded), "PDF"));
        EXPECT_EQ(c.excluded, Stored("excluded").find("\"PDF\"") != std::string::npos) << Stored("excluded");
        EXPECT_EQ(!c.excluded, Has(RecordNames(), "PDF"));
        EXPECT_NE(std::string::npos, ReadBytes(logPath).find(c.logged, logged)) << ReadBytes(logPath).substr(logged);
        EXPECT_EQ("<missing>", ReadBytes(guard));
        app.Settings().Set("excluded", "", true);
    }
}

TEST_F(Printers, AfterAnEndDuringItsQueryThePrintersNextGuardSaysSo)
{
    const OtherProcess ended = OtherProcess::Start(false);
    ASSERT_NE(0u, ended.id);
    WriteBytes(PrinterQueryGuard::FileOf(root.c_str(), ended.id).GetText(), ended.GuardText("PDF"));
    g_settingsPath = settingsPath;
    g_guardPath = PrinterQueryGuard::FileOf(root.c_str(), GetCurrentProcessId()).GetText();
    const PrinterQuery saved = GetPrinterQuery();
    SetPrinterQuery({&LookingQuery, 20000});
    // Asked again, and answered this time: the query after that starts afresh.
    SeenWhileAsked again;
    SeenWhileAsked afterwards;
    UStringList excluded;
    g_seen = &again;
    EnumeratePrinters(nullptr, excluded);
    g_seen = &afterwards;
    EnumeratePrinters(nullptr, excluded);
    SetPrinterQuery(saved);
    g_seen = nullptr;
    EXPECT_NE(std::string::npos, again.guard.find("earlier=1\r\n")) << again.guard;
    EXPECT_NE(std::string::npos, afterwards.guard.find("printer=PDF\r\n")) << afterwards.guard;
    EXPECT_EQ(std::string::npos, afterwards.guard.find("earlier=1")) << afterwards.guard;
    EXPECT_TRUE(excluded.empty());
}

TEST_F(Printers, AGuardOfAProcessThatStillRunsIsLeftAlone)
{
    OtherProcess running = OtherProcess::Start(true);
    ASSERT_NE(nullptr, running.handle);
    const std::string guard = PrinterQueryGuard::FileOf(root.c_str(), running.id).GetText();
    const std::string text = running.GuardText("PDF", "crashed=1\r\n");
    WriteBytes(guard, text);
    UStringList excluded;
    EnumeratePrinters(nullptr, excluded);
    EXPECT_EQ(text, ReadBytes(guard));
    EXPECT_TRUE(excluded.empty());
    EXPECT_TRUE(Has(RecordNames(), "PDF"));

    // The same id, begun at another time: the process that wrote the guard
    // has ended and another has the id now.
    OtherProcess later = running;
    ++later.started;
    WriteBytes(guard, later.GuardText("PDF", "crashed=1\r\n"));
    EnumeratePrinters(nullptr, excluded);
    running.End();
    EXPECT_EQ("<missing>", ReadBytes(guard));
    EXPECT_EQ(std::vector<std::string>{"PDF"}, Texts(excluded));
}

namespace {

DWORD CrashingQuery(PrinterInfo& record)
{
    if (std::string(record.name.GetText()) == "PDF")
        *static_cast<volatile int*>(nullptr) = 1;
    return QueryPrinterInfo(record);
}

} // namespace

TEST_F(Printers, ADriverThatCrashesTheProgramIsExcludedAtTheNextStart)
{
    // The settings of this test, for the process that crashes (which runs
    // this test again up to here, and keeps the folder it was given).
    char given[MAX_PATH] = "";
    if (GetEnvironmentVariableA("BRAVIK_TEST_SETTINGS", given, MAX_PATH) == 0)
        SetEnvironmentVariableA("BRAVIK_TEST_SETTINGS", settingsPath.c_str());
    EXPECT_DEATH(
        {
            char path[MAX_PATH] = "";
            GetEnvironmentVariableA("BRAVIK_TEST_SETTINGS", path, MAX_PATH);
            app.Settings().Load(path);
            // The crash ends the process at once, without a debugger
            // (the guard's filter goes first and hands on to this one).
            SetUnhandledExceptionFilter([](EXCEPTION_POINTERS*) -> LONG { return EXCEPTION_EXECUTE_HANDLER; });
            SetPrinterQuery({&CrashingQuery, 20000});
            UStringList excluded;
            EnumeratePrinters(nullptr, excluded);
        },
        "");
    SetEnvironmentVariableA("BRAVIK_TEST_SETTINGS", nullptr);
    const std::vector<std::string> guards = Guards(root);
    ASSERT_EQ(1u, guards.size());
    EXPECT_NE(std::string::npos, ReadBytes(Path(guards[0])).find("crashed=1")) << ReadBytes(Path(guards[0]));
    EXPECT_EQ(std::string::npos, Stored("excluded").find("PDF")) << "the exclusion waits for the next start";

    UStringList excluded;
    EnumeratePrinters(nullptr, excluded);
    EXPECT_EQ(std::vector<std::string>{"PDF"}, Texts(excluded));
    EXPECT_EQ("\"PDF\"", Stored("excluded"));
    EXPECT_FALSE(Has(RecordNames(), "PDF"));
    EXPECT_TRUE(Guards(root).empty());
}

// ---- The application's printer list ------------------------------------------------------------

TEST_F(Printers, TheStoredPrinterStaysOnlyWhileItIsInstalled)
{
    struct Case {
        const char* stored;
        const char* current;
    } cases[] = {
        {"PDF", "PDF"},
        {"pdf", "pdf"},   // accepted with its own letters
        {"Gone since yesterday", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        app.Settings().Set("printer", c.stored, true);
        EXPECT_TRUE(app.RefreshPrinters(nullptr));
        EXPECT_GE(app.PrinterNames().IndexOf("PDF"), 0);
        EXPECT_STREQ("Printer", app.PrinterNames().Get("PDF").GetText());
        EXPECT_STREQ(c.current, app.CurrentPrinter().GetText());
        EXPECT_EQ(c.current, Stored("printer"));
    }
}

TEST_F(Printers, WithEveryPrinterExcludedTheListIsEmptyAndExclusionsOfRemovedPrintersGo)
{
    for (const std::string& name : PrintQueue::Printers())
        app.ExcludedPrinters().push_back(name.c_str());
    app.ExcludedPrinters().push_back("Removed last week");
    app.Settings().Set("printer", "PDF", true);

    app.RefreshPrinters(nullptr);

    EXPECT_TRUE(app.PrinterNames().IsEmpty());
    EXPECT_STREQ("", app.CurrentPrinter().GetText());
    EXPECT_EQ("", Stored("printer"));
    EXPECT_EQ(PrintQueue::Printers(), Texts(app.ExcludedPrinters()));
    const std::string stored = Stored("excluded");
    EXPECT_EQ(std::string::npos, stored.find("Removed last week"));
    EXPECT_NE(std::string::npos, stored.find("\"PDF\"")) << stored;
    // The setting reads back as the list it was written from.
    app.ExcludedPrinters().clear();
    app.Settings().Load(settingsPath.c_str());
    app.LoadExcludedPrinters();
    EXPECT_EQ(PrintQueue::Printers(), Texts(app.ExcludedPrinters()));
}

namespace {

// What the report window hears, and on which thread.
class EventRecorder : public DAppReportWindow {
public:
    void OnAppEvent(long code) override
    {
        codes.push_back(code);
        thread = GetCurrentThreadId();
        listed = App().PrinterNames().IndexOf("PDF") >= 0;
    }
    std::vector<long> codes;
    DWORD thread = 0;
    bool listed = false;
};

} // namespace

TEST_F(Printers, ThePrinterThreadFillsTheListAndTellsTheUiThread)
{
    EventRecorder recorder;
    app.SetReportWindow(&recorder);
    {
        DEnumPrinters thread;
        ASSERT_TRUE(thread.Start(0));
        EXPECT_TRUE(PumpUntil([&] { return !recorder.codes.empty(); }, 60000));
        PumpUntil([&] { return !thread.IsRunning(); }, 10000);
    }
    app.SetReportWindow(nullptr);

    EXPECT_EQ(std::vector<long>{kEventPrintersEnumerated}, recorder.codes);
    EXPECT_EQ(GetCurrentThreadId(), recorder.thread);
    EXPECT_TRUE(recorder.listed) << "the event follows the filled list";
}

// ---- Printer device contexts -----------------------------------------------------------------

TEST_F(Printers, APrinterDeviceContextTakesTheOrientationAsked)
{
    PrinterDC printer;
    ASSERT_TRUE(printer.Open("PDF", true));
    ASSERT_NE(nullptr, printer.GetDC());
    EXPECT_EQ(MM_ISOTROPIC, GetMapMode(printer.GetDC()));
    SIZE viewport = {};
    GetViewportExtEx(printer.GetDC(), &viewport);
    EXPECT_GT(viewport.cy, 0) << "the y axis runs downward";
    EXPECT_LT(GetDeviceCaps(printer.GetDC(), HORZRES), GetDeviceCaps(printer.GetDC(), VERTRES));

    ASSERT_TRUE(printer.Open(nullptr, false)) << "no name keeps the printer";
    EXPECT_STREQ("PDF", printer.GetName().GetText());
    EXPECT_GT(GetDeviceCaps(printer.GetDC(), HORZRES), GetDeviceCaps(printer.GetDC(), VERTRES));

    printer.Close();
    EXPECT_EQ(nullptr, printer.GetDC());
    EXPECT_STREQ("", printer.GetName().GetText());
    EXPECT_FALSE(printer.Open("No such printer", true));
    EXPECT_EQ(nullptr, printer.GetDC());
}

TEST_F(Printers, APageDrawnOnTheDeviceContextArrivesInThePdf)
{
    ASSERT_FALSE(PrintQueue::Folder().empty()) << "BRAVIK_PDF_DIR is not set: run the tests through scripts/test";
    PrinterDC printer;
    ASSERT_TRUE(printer.Open("PDF", false));
    HDC dc = printer.GetDC();
    SetWindowExtEx(dc, 2970, 2100, nullptr);
    const std::string token = "bravikprinterdc" + std::to_string(GetTickCount());
    DOCINFOA doc = {};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = token.c_str();
    ASSERT_GT(StartDocA(dc, &doc), 0);
    ASSERT_GT(StartPage(dc), 0);
    HFONT font = CreateFontA(-80, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
    HGDIOBJ old = SelectObject(dc, font);
    TextOutA(dc, 200, 200, "Bar 6000 cut 1990", 17);
    SelectObject(dc, old);
    DeleteObject(font);
    ASSERT_GT(EndPage(dc), 0);
    ASSERT_GT(EndDoc(dc), 0);
    printer.Close();

    const std::string pdf = PrintQueue::WaitForPdf(token);
    ASSERT_FALSE(pdf.empty());
    EXPECT_NE(std::string::npos, PrintQueue::PdfText(pdf).find("Bar 6000 cut 1990"));
    DeleteFileA(pdf.c_str());
}

// ---- Image files -------------------------------------------------------------------------------

TEST_F(Printers, PageBitmapsConvertIntoTheNamedFormats)
{
    const std::string source = Path("page.bmp");
    {
        HDC screen = GetDC(nullptr);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 60, 40);
        ReleaseDC(nullptr, screen);
        ASSERT_TRUE(BitmapSave(bitmap, source.c_str()));
        DeleteObject(bitmap);
    }
    UPairList emptyQuality;
    emptyQuality.Set("quality", "");
    UPairList quality50;
    quality50.Set("quality", "50");
    struct Case {
        const char* format;
        const UPairList* options;
        bool converted;
        std::string magic;
    } cases[] = {
        {"png", nullptr, true, "\x89PNG"},
        {"JPEG", nullptr, true, "\xFF\xD8"},
        {"jpeg", &emptyQuality, true, "\xFF\xD8"},
        {"jpeg", &quality50, true, "\xFF\xD8"},
        {"bmp", nullptr, true, "BM"},
        {"gif", nullptr, true, "GIF"},
        {"tiff", nullptr, true, ""},
        {"jpg", nullptr, false, ""},   // the caller maps it to "jpeg"
        {"webp", nullptr, false, ""},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        const std::string target = Path("out" + std::to_string(n++) + ".img");
        EXPECT_EQ(c.converted, ConvertImageFile(c.format, source.c_str(), target.c_str(), c.options));
        const std::string bytes = ReadBytes(target);
        if (!c.converted)
            EXPECT_EQ("<missing>", bytes);
        else
            EXPECT_EQ(c.magic, bytes.substr(0, c.magic.size()));
    }
    EXPECT_FALSE(ConvertImageFile("png", Path("missing.bmp").c_str(), Path("missing.png").c_str(), nullptr));
}
