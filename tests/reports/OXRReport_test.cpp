#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "LayoutFixture.h"
#include "document/AppEvents.h"
#include "document/DCSProject.h"
#include "foundation/PathUtil.h"
#include "reports/OXRReport.h"
#include "support/MessageBoxAnswer.h"
#include "support/PrintQueue.h"
#include "support/SolvedMaterial.h"

namespace {

// The numbered-rows layout, counting the pages it draws.
class CountingLayout : public RowsLayout {
public:
    static inline int pagesDrawn = 0;

    static OXRLayout* Make(const OXRLayout& loaded)
    {
        CountingLayout* layout = new CountingLayout;
        layout->CopyFrom(loaded);
        return layout;
    }
    bool DrawPage(HDC dc, int pageIndex, bool mono) override
    {
        ++pagesDrawn;
        return RowsLayout::DrawPage(dc, pageIndex, mono);
    }
};

// A table that never completes: every page says that another follows.
class EndlessLayout : public OXRLayout {
public:
    static OXRLayout* Make(const OXRLayout& loaded)
    {
        EndlessLayout* layout = new EndlessLayout;
        layout->CopyFrom(loaded);
        return layout;
    }
    bool DrawTable(const char* item, OXRRenderContext& ctx, int mode) override
    {
        (void)item;
        (void)mode;
        SetRectEmpty(&ctx.rect);
        return true;
    }
};

std::string Installed(const char* name)
{
    UMemory buffer;
    if (!App().LoadResourceData("INSTALL", name, buffer) || !buffer.GetData())
        return std::string();
    return std::string(static_cast<const char*>(buffer.GetData()));
}

} // namespace

class ReportTest : public LayoutTest {
protected:
    void SetUp() override
    {
        LayoutTest::SetUp();
        tempFolder = Path("temp");
        CreateDirectoryA(tempFolder.c_str(), nullptr);
        app.SetTempFolder(tempFolder.c_str());
        app.SetAutomation(1);
        OXRLayout::AddLayoutClass("test.count", &CountingLayout::Make);
        OXRLayout::AddLayoutClass("test.endless", &EndlessLayout::Make);
        CountingLayout::pagesDrawn = 0;
    }

    void TearDown() override
    {
        report.reset();
        OXRLayout::RemoveLayoutClass("test.count");
        OXRLayout::RemoveLayoutClass("test.endless");
        LayoutTest::TearDown();
    }

    // Three pages of numbered rows, one table on each, of the counting class.
    std::vector<std::string> ThreePageLines()
    {
        std::vector<std::string> lines = PageLines("table.a,pagebreak,table.b,pagebreak,table.c", {});
        lines[1] = "class=test.count";
        for (const char* item : {"table.a", "table.b", "table.c"})
            for (const std::string& line : {std::string(item) + ".mode=1", std::string(item) + ".rows=3",
                                            std::string(item) + ".columns=900,600",
                                            std::string(item) + ".offset.x=180", std::string(item) + ".offset.y=-1"})
                lines.push_back(line);
        return lines;
    }

    void ThreePageLayout()
    {
        WriteLayout(dataFolder + "\\DATA\\three.sol.scl", ThreePageLines());
        ASSERT_TRUE(OXRLayout::LoadAll(nullptr));
    }

    OXRReport& Report()
    {
        if (!report)
            report.reset(new OXRReport);
        return *report;
    }

    // The report of the three-page layout for the current material.
    OXRReport& ThreePageReport()
    {
        ThreePageLayout();
        OXRReport& r = Report();
        r.SetMaterial(Material());
        EXPECT_TRUE(r.SelectLayout("Test", true));
        return r;
    }

    std::vector<std::string> TempFiles() { return Listing(tempFolder); }

    std::string tempFolder;
    std::unique_ptr<OXRReport> report;
};

// ---- Building and the cache --------------------------------------------------------------

TEST_F(ReportTest, TheExampleProjectBuildsWithTheShippedLayout)
{
    FillSolved(*Material());
    WriteBytes(dataFolder + "\\DATA\\FULL.SOL.SCL", Installed("FULL.SOL.SCL"));
    ASSERT_TRUE(OXRLayout::LoadAll(nullptr));
    OXRReport& r = Report();
    r.SetMaterial(Material());
    ASSERT_TRUE(r.SelectLayout("Full", true));
    ASSERT_GE(r.GetPageCount(), 1);
    EXPECT_EQ(0, r.GetErrorCode());
    EXPECT_EQ(0, r.GetCurrentPage());
    const RECT& page = r.GetPageRect();
    EXPECT_EQ(2100, page.right);
    EXPECT_EQ(2970, page.bottom);
    for (const UString& file : r.GetPageFiles())
        EXPECT_EQ(1, PathExistsA(file.GetText())) << file.GetText();
    HBITMAP bitmap = r.GetPageBitmap(-1);
    ASSERT_NE(nullptr, bitmap);
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    EXPECT_EQ(2100, info.bmWidth);
    EXPECT_EQ(2970, info.bmHeight);
    EXPECT_EQ(nullptr, r.GetPageBitmap(r.GetPageCount()));
    ASSERT_EQ(1u, r.GetPageCache().size());
    EXPECT_EQ(r.MakeCacheKey(false).ToStdString(), r.GetPageCache()[0].Name());
}

TEST_F(ReportTest, TheCacheKeyNamesContentLayoutColoursAndNumberFormats)
{
    ThreePageLayout();
    OXRReport& r = Report();
    EXPECT_EQ("", r.MakeCacheKey(false).ToStdString());
    r.SetMaterial(Material());
    ASSERT_TRUE(r.SelectLayout("Test", false));
    app.Globals().Set("globals.crc32", "ABC123");
    const std::string id = Material()->GetContentId();
    EXPECT_EQ(id + ".Test.COLOR.ABC123", r.MakeCacheKey(false).ToStdString());
    EXPECT_EQ(id + ".Test.MONO.ABC123", r.MakeCacheKey(true).ToStdString());
    r.SetMaterial(nullptr);
    EXPECT_EQ(app.Document().GetContentId() + ".Test.COLOR.ABC123", r.MakeCacheKey(false).ToStdString());
}

TEST_F(ReportTest, BuildingTwiceDrawsOnce)
{
    OXRReport& r = ThreePageReport();
    ASSERT_EQ(3, r.GetPageCount());
    // Two passes of three pages each.
    EXPECT_EQ(6, CountingLayout::pagesDrawn);
    const std::vector<UString> first = r.GetPageFiles();
    r.Build();
    EXPECT_EQ(6, CountingLayout::pagesDrawn);
    EXPECT_EQ(first, r.GetPageFiles());
    EXPECT_EQ(1u, r.GetPageCache().size());
    EXPECT_EQ(3u, TempFiles().size());
}

TEST_F(ReportTest, ColourChoicesBuildOnlyWhatWasNotBuiltBefore)
{
    OXRReport& r = ThreePageReport();
    const struct {
        int mode;
        int drawnAfter;
    } steps[] = {
        {OXRReport::kColorColor, 6},  // automatic and colour both draw in colour
        {OXRReport::kColorMono, 12},  // monochrome is new
        {OXRReport::kColorAuto, 12},  // back to the colour pages
        {OXRReport::kColorMono, 12},  // and to the monochrome ones
    };
    for (const auto& step : steps) {
        ASSERT_TRUE(r.SetColorMode(step.mode));
        r.Build();
        EXPECT_EQ(step.drawnAfter, CountingLayout::pagesDrawn) << "mode " << step.mode;
        EXPECT_EQ(3, r.GetPageCount());
    }
    EXPECT_FALSE(r.SetColorMode(3));
    EXPECT_EQ(OXRReport::kColorMono, r.GetColorMode());
}

TEST_F(ReportTest, ANumberFormatChangeBuildsAnew)
{
    OXRReport& r = ThreePageReport();
    app.Settings().Set("length.digits", "1");
    app.LoadNumberFormats();
    r.Build();
    const int drawn = CountingLayout::pagesDrawn;
    app.Settings().Set("length.digits", "3");
    app.LoadNumberFormats();
    r.Build();
    EXPECT_EQ(drawn + 6, CountingLayout::pagesDrawn);
}

TEST_F(ReportTest, AnOptionThatRebuildsTheRowsIsNotAnsweredFromTheOldPages)
{
    FillSolved(*Material());
    OXRReport& r = ThreePageReport();
    const int drawn = CountingLayout::pagesDrawn;
    // The option changes what the result rows hold, but nothing was saved:
    // the stored fingerprints stay as they were.
    for (const char* key : {"sort", "remnants", "diversity"}) {
        const std::string before = r.MakeCacheKey(false).ToStdString();
        ASSERT_TRUE(Material()->SetProperty(key, "1"));
        EXPECT_NE(before, r.MakeCacheKey(false).ToStdString()) << key;
    }
    r.Build();
    EXPECT_EQ(drawn + 6, CountingLayout::pagesDrawn);
}

TEST_F(ReportTest, CachedPagesRemovedUnderTheReportAreBuiltAgain)
{
    OXRReport& r = ThreePageReport();
    DeleteFileA(r.GetPageFiles()[1].GetText());
    r.Build();
    EXPECT_EQ(12, CountingLayout::pagesDrawn);
    ASSERT_EQ(3, r.GetPageCount());
    for (const UString& file : r.GetPageFiles())
        EXPECT_EQ(1, PathExistsA(file.GetText()));
    EXPECT_EQ(1u, r.GetPageCache().size());
}

TEST_F(ReportTest, ALayoutThatNeverEndsIsStoppedAndLeavesNoShorterReport)
{
    std::vector<std::string> lines = PageLines("table.a", {"table.a.mode=1"});
    lines[1] = "class=test.endless";
    lines[2] = "draw.size.x=210";
    lines[3] = "draw.size.y=297";
    WriteLayout(dataFolder + "\\DATA\\endless.sol.scl", lines);
    ASSERT_TRUE(OXRLayout::LoadAll(nullptr));
    OXRReport& r = Report();
    r.SetMaterial(Material());
    ASSERT_TRUE(r.SelectLayout("Test", true));
    EXPECT_EQ(0, r.GetPageCount());
    EXPECT_NE(0, r.GetErrorCode());
    EXPECT_NE("", r.GetErrorText().ToStdString());
    EXPECT_TRUE(r.GetPageCache().empty());
    EXPECT_TRUE(TempFiles().empty());
    EXPECT_EQ(0, r.GetLayout()->GetCursor());
    EXPECT_NE(std::string::npos, LogText().find("ERR >> ")) << LogText();
}

TEST_F(ReportTest, FiftyPagesAreNotCut)
{
    std::vector<std::string> lines = PageLines("table.a", {"table.a.mode=1"});
    std::string order = "table.a";
    for (int i = 0; i < 49; ++i)
        order += ",pagebreak";
    lines[8] = "draw.order=" + order;
    lines[1] = "class=test.count";
    // Small pages: fifty A4 bitmaps would fill the disk for nothing.
    lines[2] = "draw.size.x=210";
    lines[3] = "draw.size.y=297";
    WriteLayout(dataFolder + "\\DATA\\fifty.sol.scl", lines);
    ASSERT_TRUE(OXRLayout::LoadAll(nullptr));
    OXRReport& r = Report();
    r.SetMaterial(Material());
    ASSERT_TRUE(r.SelectLayout("Test", true));
    EXPECT_EQ(50, r.GetPageCount());
    EXPECT_EQ(0, r.GetErrorCode());
}

TEST_F(ReportTest, TheLayoutIsDroppedWhenTheRegistryIsClearedOrReloaded)
{
    OXRReport& r = ThreePageReport();
    ASSERT_NE(nullptr, r.GetLayout());
    OXRLayout::ClearRegistry();
    EXPECT_EQ(nullptr, r.GetLayout());
    r.Build();  // nothing to draw with, and nothing freed is touched
    EXPECT_EQ(6, CountingLayout::pagesDrawn);
    EXPECT_EQ("", r.MakeCacheKey(false).ToStdString());

    ASSERT_TRUE(OXRLayout::LoadAll(nullptr));
    EXPECT_EQ(nullptr, r.GetLayout());
    DProps props;
    props.Set("file", Path("report.html").c_str());
    EXPECT_FALSE(r.SaveHtml(props));
    EXPECT_EQ(-2, DProps::GetLong(props, "error"));
    ASSERT_TRUE(r.SelectLayout("Test", false));
    EXPECT_NE(nullptr, r.GetLayout());
}

TEST_F(ReportTest, AnUnknownLayoutNameSelectsNothing)
{
    ThreePageLayout();
    OXRReport& r = Report();
    EXPECT_FALSE(r.SelectLayout("", true));
    EXPECT_FALSE(r.SelectLayout(nullptr, true));
    EXPECT_FALSE(r.SelectLayout("Missing", true));
    EXPECT_EQ(nullptr, r.GetLayout());
    EXPECT_EQ(0, r.GetPageCount());
}

TEST_F(ReportTest, TheDestructorDeletesEveryCachedPage)
{
    OXRReport& r = ThreePageReport();
    r.SetColorMode(OXRReport::kColorMono);
    r.Build();
    EXPECT_EQ(6u, TempFiles().size());
    report.reset();
    EXPECT_TRUE(TempFiles().empty());
}

// ---- Paging ------------------------------------------------------------------------------------

TEST_F(ReportTest, StepPageStaysWithinThePagesAndTellsTheWindows)
{
    OXRReport& r = ThreePageReport();
    EXPECT_EQ(0, r.StepPage(false));
    EXPECT_EQ(1, r.StepPage(true));
    EXPECT_EQ(2, r.StepPage(true));
    EXPECT_EQ(2, r.StepPage(true));
    EXPECT_EQ(1, r.StepPage(false));
    EXPECT_NE(nullptr, r.GetPageBitmap(-1));
    EXPECT_NE(nullptr, r.GetPageBitmap(2));
    EXPECT_EQ(nullptr, r.GetPageBitmap(3));
    EXPECT_EQ(nullptr, r.GetPageBitmap(-2));
}

TEST_F(ReportTest, AOnePageReportStepsNowhere)
{
    std::vector<std::string> lines = PageLines("table.a", {"table.a.mode=1", "table.a.rows=2",
                                                           "table.a.columns=900,600", "table.a.offset.x=180",
                                                           "table.a.offset.y=-1"});
    WriteLayout(dataFolder + "\\DATA\\one.sol.scl", lines);
    ASSERT_TRUE(OXRLayout::LoadAll(nullptr));
    OXRReport& r = Report();
    r.SetMaterial(Material());
    ASSERT_TRUE(r.SelectLayout("Test", true));
    ASSERT_EQ(1, r.GetPageCount());
    EXPECT_EQ(0, r.StepPage(true));
    EXPECT_EQ(0, r.StepPage(false));
}

// ---- HTML ----------------------------------------------------------------------------------------

TEST_F(ReportTest, SaveHtmlWritesTheMarkAndTheHead)
{
    OXRReport& r = ThreePageReport();
    DProps props;
    const std::string file = Path("report.html");
    props.Set("file", file.c_str());
    ASSERT_TRUE(r.SaveHtml(props));
    const std::string text = ReadBytes(file);
    const std::string head = "\xEF\xBB\xBF<!DOCTYPE html>\r\n<html><head>\r\n<style>" + Installed("STYLE.TXT") +
                             "</style>\r\n" + Installed("META.TXT") + "</head>\r\n<body>\r\n";
    ASSERT_FALSE(Installed("STYLE.TXT").empty());
    EXPECT_EQ(head, text.substr(0, head.size()));
    EXPECT_NE(std::string::npos, text.find("table.c row 3"));
    EXPECT_EQ("\r\n</body></html>\r\n", text.substr(text.size() - 18));
}

TEST_F(ReportTest, SaveHtmlOfAMonochromeReportFromTheCacheUsesTheMonochromeSheet)
{
    OXRReport& r = ThreePageReport();
    r.SetColorMode(OXRReport::kColorMono);
    r.Build();
    r.SetColorMode(OXRReport::kColorAuto);
    r.Build();  // from the cache: nothing drawn in colour since
    DProps props;
    props.Set("file", Path("report.html").c_str());
    ASSERT_TRUE(r.SaveHtml(props));
    EXPECT_NE(std::string::npos, ReadBytes(Path("report.html")).find(Installed("STYLE.TXT")));
}

TEST_F(ReportTest, SaveHtmlOfAReportOverAMegabyteKeepsEveryPattern)
{
    // Pattern k cuts four parts of one of a hundred kinds (kind j is 100 + j
    // long) from stock row k: the detailed cutting table runs past a megabyte.
    constexpr int kPatterns = 1300;
    constexpr int kKinds = 100;
    PropsList stock;
    PropsList pieces;
    std::vector<PatternSpec> patterns;
    for (int k = 1; k <= kPatterns; ++k) {
        stock.push_back(RowOf({{"length", "6000"}, {"quantity", "1"}}));
        patterns.push_back({k, 1, {{(k - 1) % kKinds + 1, 4}}});
    }
    for (int j = 1; j <= kKinds; ++j)
        pieces.push_back(RowOf({{"length", std::to_string(100 + j).c_str()},
                                {"quantity", std::to_string(4 * kPatterns / kKinds).c_str()}}));
    Material()->AppendRows(stock, 1);
    Material()->AppendRows(pieces, 2);
    ApplyPatterns(*Material(), patterns);
    WriteLayout(dataFolder + "\\DATA\\big.sol.scl",
                {"name=Big", "class=solution.cuttings", "draw.size.x=2100", "draw.size.y=2970",
                 "draw.offset.x=180", "draw.offset.y=100", "draw.width=1820", "draw.order=table.cutting",
                 "table.cutting.mode=1", "table.cutting.name=title.cutting",
                 "table.cutting.columns=194,200,200,200,160,160,686", "table.cutting.offset.y=-1"});
    ASSERT_TRUE(OXRLayout::LoadAll(nullptr));
    OXRReport& r = Report();
    r.SetMaterial(Material());
    ASSERT_TRUE(r.SelectLayout("Big", false));

    const std::string file = Path("big.html");
    DProps props;
    props.Set("file", file.c_str());
    ASSERT_TRUE(r.SaveHtml(props));
    const std::string text = ReadBytes(file);
    ASSERT_GT(text.size(), 0x100000u);
    EXPECT_EQ(0u, text.find("\xEF\xBB\xBF<!DOCTYPE html>"));
    EXPECT_EQ("\r\n</body></html>\r\n", text.substr(text.size() - 18));
    // Every pattern has its section, whose grid shows the length of its part
    // kind; the sections may come in another order than the patterns.
    std::set<std::string> shown;
    for (int k = 1; k <= kPatterns; ++k) {
        const size_t at = text.find(">Cutting " + std::to_string(k) + "<");
        ASSERT_NE(std::string::npos, at) << k;
        const size_t label = text.find(">Piece<", at);
        ASSERT_NE(std::string::npos, label) << k;
        const size_t cell = text.find(">", text.find("<td", label)) + 1;
        shown.insert(text.substr(cell, text.find("</td>", cell) - cell));
    }
    std::set<std::string> lengths;
    for (int j = 1; j <= kKinds; ++j)
        lengths.insert(FormatLengthText(std::to_string(100 + j).c_str(), false));
    EXPECT_EQ(lengths, shown);
}

TEST_F(ReportTest, SaveHtmlFailuresSayWhy)
{
    OXRReport& r = ThreePageReport();
    DProps empty;
    empty.Set("file", "");
    EXPECT_FALSE(r.SaveHtml(empty));
    EXPECT_EQ(-1, DProps::GetLong(empty, "error"));

    const std::string file = Path("kept.html");
    WriteBytes(file, "old");
    DProps unwritable;
    unwritable.Set("file", Path("missing\\folder\\report.html").c_str());
    EXPECT_FALSE(r.SaveHtml(unwritable));
    EXPECT_GT(DProps::GetLong(unwritable, "error"), 0);

    // No material to report on: the layout writes nothing.
    r.SetMaterial(nullptr);
    app.Document().SetActive(0, false);
    DProps props;
    props.Set("file", file.c_str());
    EXPECT_FALSE(r.SaveHtml(props));
    EXPECT_EQ(-3, DProps::GetLong(props, "error"));
    EXPECT_EQ("old", ReadBytes(file));
}

// ---- The application's report commands ---------------------------------------------------------

namespace {

// The report window as the application's broadcast reaches it.
class EventLog : public DAppReportWindow {
public:
    void OnAppEvent(long code) override { codes.push_back(code); }
    std::vector<long> codes;
};

} // namespace

class ReportCommands : public ReportTest {
protected:
    void SetUp() override
    {
        ReportTest::SetUp();
        app.DropReport();
        app.Report();
        app.SetReportWindow(&events);
        app.Settings().Set("report.colors", "0");
    }
    void TearDown() override
    {
        app.SetReportWindow(nullptr);
        app.DropReport();
        ReportTest::TearDown();
    }

    // Layouts "A", "B" (three pages each) and "C" in the data folder.
    void ThreeLayouts()
    {
        for (const char* name : {"A", "B", "C"}) {
            std::vector<std::string> lines = ThreePageLines();
            lines[0] = std::string("name=") + name;
            WriteLayout(dataFolder + "\\DATA\\" + name + ".sol.scl", lines);
        }
    }

    EventLog events;
};

TEST_F(ReportCommands, LoadReportLayoutsBuildsTheStoredLayoutForTheCurrentMaterial)
{
    ThreeLayouts();
    app.Settings().Set("report.layout", "1");
    app.Settings().Set("report.colors", "2");
    ASSERT_TRUE(app.LoadReportLayouts(true));
    OXRReport& r = AppReport();
    ASSERT_NE(nullptr, r.GetLayout());
    EXPECT_EQ("B", r.GetLayout()->GetName().ToStdString());
    EXPECT_EQ(Material(), r.GetMaterial());
    EXPECT_FALSE(r.IsWholeProject());
    EXPECT_EQ(OXRReport::kColorMono, r.GetColorMode());
    EXPECT_EQ(3, r.GetPageCount());

    // A stored position past the registry starts with the first layout; a
    // colour value out of range leaves the report's.
    app.Settings().Set("report.layout", "7");
    app.Settings().Set("report.colors", "5");
    ASSERT_TRUE(app.LoadReportLayouts(false));
    EXPECT_EQ("A", r.GetLayout()->GetName().ToStdString());
    EXPECT_EQ(nullptr, r.GetMaterial());
    EXPECT_TRUE(r.IsWholeProject());
    EXPECT_TRUE(r.GetLayout()->IsWholeProject());
    EXPECT_EQ(OXRReport::kColorMono, r.GetColorMode());
}

TEST_F(ReportCommands, LoadReportLayoutsWithoutLayoutFilesFails)
{
    EXPECT_FALSE(app.LoadReportLayouts(true));
    EXPECT_EQ(0, AppReport().GetPageCount());
}

TEST_F(ReportCommands, SelectReportLayoutBuildsTheChosenOneAndStoresItsPosition)
{
    ThreeLayouts();
    ASSERT_TRUE(app.LoadReportLayouts(true));
    OXRReport& r = AppReport();
    r.StepPage(true);
    events.codes.clear();
    app.SelectReportLayout(2);
    EXPECT_EQ("C", r.GetLayout()->GetName().ToStdString());
    EXPECT_EQ(0, r.GetCurrentPage());
    EXPECT_EQ("2", app.Settings().Get("report.layout").ToStdString());
    EXPECT_EQ((std::vector<long>{kEventReportPageChanged, kEventReportLayoutChanged}), events.codes);
    app.SelectReportLayout(3);
    EXPECT_EQ("A", r.GetLayout()->GetName().ToStdString());
    EXPECT_EQ("0", app.Settings().Get("report.layout").ToStdString());
    EXPECT_EQ(0, app.BusyCount());
}

TEST_F(ReportCommands, SelectReportColorsRebuildsOnlyOnAChange)
{
    ThreeLayouts();
    ASSERT_TRUE(app.LoadReportLayouts(true));
    const int drawn = CountingLayout::pagesDrawn;
    events.codes.clear();
    EXPECT_FALSE(app.SelectReportColors(3));
    EXPECT_EQ("0", app.Settings().Get("report.colors").ToStdString());
    EXPECT_TRUE(events.codes.empty());

    EXPECT_TRUE(app.SelectReportColors(2));
    EXPECT_EQ(drawn + 6, CountingLayout::pagesDrawn);
    EXPECT_TRUE(app.SelectReportColors(2));
    EXPECT_EQ(drawn + 6, CountingLayout::pagesDrawn);
    EXPECT_EQ("2", app.Settings().Get("report.colors").ToStdString());
    EXPECT_EQ((std::vector<long>{kEventReportLayoutChanged, kEventReportLayoutChanged}), events.codes);
    EXPECT_EQ(OXRReport::kColorMono, AppReport().GetColorMode());
    EXPECT_EQ(0, app.BusyCount());
}

namespace {

// The lines with the entry of key replaced by value; without value the entry goes.
std::vector<std::string> WithEntry(std::vector<std::string> lines, const std::string& key, const char* value)
{
    for (auto line = lines.begin(); line != lines.end(); ++line) {
        if (line->compare(0, key.size() + 1, key + "=") != 0)
            continue;
        if (value)
            *line = key + "=" + value;
        else
            lines.erase(line);
        return lines;
    }
    if (value)
        lines.push_back(key + "=" + value);
    return lines;
}

} // namespace

TEST_F(ReportCommands, ALayoutWhosePagesCannotBeDrawnIsRefusedAndLogged)
{
    const struct {
        const char* key;
        const char* value;  // none: the entry is left out
        const char* logged;
    } cases[] = {
        {"draw.size.x", nullptr, "draw.size.x is missing"},
        {"draw.size.y", "0", "draw.size.y=0 gives no page"},
        {"draw.size.x", "wide", "draw.size.x=wide gives no page"},
        {"draw.offset.y", "1500", "draw.offset.y=1500 leaves no room on a page of draw.size.y=2970"},
        {"draw.offset.y", "-5", "draw.offset.y=-5 leaves no room on a page of draw.size.y=2970"},
        {"draw.offset.x", "2100", "draw.offset.x=2100 lies past the page of draw.size.x=2100"},
        {"draw.offset.x", "-20", "draw.offset.x=-20 lies past the page of draw.size.x=2100"},
        // The foot margin (100) ends the page at 2870.
        {"table.b.offset.y", "2870", "table.b.offset.y=2870 lies past the page of draw.size.y=2970"},
        {"table.c.offset.x", "2500", "table.c.offset.x=2500 lies past the page of draw.size.x=2100"},
    };
    const std::string path = dataFolder + "\\DATA\\bad.sol.scl";
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + (c.value ? c.value : "(none)"));
        WriteLayout(path, WithEntry(ThreePageLines(), c.key, c.value));
        const size_t logged = LogText().size();
        EXPECT_FALSE(app.LoadReportLayouts(false));
        EXPECT_EQ(nullptr, AppReport().GetLayout());
        EXPECT_EQ(0, AppReport().GetPageCount());
        EXPECT_NE(std::string::npos,
                  LogText().find("ERR >> Layout file " + path + " cannot be drawn: " + c.logged, logged))
            << LogText().substr(logged);
    }
    // The page as it was is drawn.
    WriteLayout(path, ThreePageLines());
    EXPECT_TRUE(app.LoadReportLayouts(false));
    EXPECT_EQ(3, AppReport().GetPageCount());
}

TEST_F(ReportCommands, ChoosingALayoutThatCannotBeDrawnLeavesNoPagesOnShow)
{
    ThreeLayouts();
    WriteLayout(dataFolder + "\\DATA\\D.sol.scl",
                WithEntry(WithEntry(ThreePageLines(), "name", "D"), "draw.size.y", "0"));
    ASSERT_TRUE(app.LoadReportLayouts(true));
    ASSERT_EQ(3, AppReport().GetPageCount());
    app.SelectReportLayout(3);
    EXPECT_EQ(nullptr, AppReport().GetLayout());
    EXPECT_EQ(0, AppReport().GetPageCount());
    EXPECT_EQ(nullptr, AppReport().GetPageBitmap(-1));
    EXPECT_NE(std::string::npos, LogText().find("D.sol.scl cannot be drawn: draw.size.y=0 gives no page"));
}

TEST_F(ReportCommands, WithoutLayoutsTheWarningNamesTheFoldersThatWereSearched)
{
    app.SetAutomation(0);
    const std::string text =
        AnswerBoxShownBy("KORVA Bravik", IDOK, [this] { EXPECT_FALSE(app.LoadReportLayouts(true)); });
    app.SetAutomation(1);
    const std::string programFolderPath = App().MakeProgramPath("").ToStdString();
    EXPECT_EQ("No layout files found in " + dataFolder + "\\DATA; " + programFolderPath, text);
    EXPECT_EQ(std::string::npos, text.find(programFolder + "\\DATA")) << text;
}

// ---- Image files ----------------------------------------------------------------------------------

namespace {

// Width and height from a PNG file's header; 0, 0 when it is none.
std::pair<long, long> PngSize(const std::string& bytes)
{
    if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0)
        return {0, 0};
    auto big = [&](size_t at) {
        long v = 0;
        for (size_t i = 0; i < 4; ++i)
            v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
        return v;
    };
    return {big(16), big(20)};
}

std::vector<std::string> SortedListing(const std::string& folder)
{
    std::vector<std::string> names = Listing(folder);
    std::sort(names.begin(), names.end());
    return names;
}

// What the fixture's folder holds besides the given files.
std::vector<std::string> RootWith(std::vector<std::string> files)
{
    for (const char* own : {"data", "program", "temp", "test.log"})
        files.push_back(own);
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

TEST_F(ReportTest, SaveImagesWritesOnePngPerPageNamedAfterTheTarget)
{
    OXRReport& r = ThreePageReport();
    DProps props;
    props.Set("file", Path("plan.png").c_str());
    ASSERT_TRUE(r.SaveImages(props));
    const std::string names[] = {"plan.png", "plan.page2.png", "plan.page3.png"};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(std::make_pair(2100L, 2970L), PngSize(ReadBytes(Path(names[k])))) << names[k];
        EXPECT_EQ(Path(names[k]), DProps::GetString(props, ("file." + std::to_string(k + 1)).c_str(), ""));
    }
    EXPECT_EQ(root, DProps::GetString(props, "path", ""));
    EXPECT_EQ(-1, props.IndexOf("error"));
    EXPECT_NE(std::string::npos, LogText().find("Page 3 of the Report saved to file " + Path(names[2])));
    // Nothing else is left beside them.
    EXPECT_EQ(RootWith({"plan.png", "plan.page2.png", "plan.page3.png"}), SortedListing(root));
}

TEST_F(ReportTest, SaveImagesTakesTheFormatFromTheExtensionInAnyCase)
{
    OXRReport& r = ThreePageReport();
    const struct {
        const char* target;
        const char* second;
        std::string magic;
    } cases[] = {
        {"plan.JPG", "plan.page2.JPG", "\xFF\xD8"},
        {"plan.jpeg", "plan.page2.jpeg", "\xFF\xD8"},
        {"plan.tif", "plan.page2.tif", std::string("II*\0", 4)},
        {"plan.Bmp", "plan.page2.Bmp", "BM"},
        {"plan.gif", "plan.page2.gif", "GIF8"},
    };
    for (const auto& c : cases) {
        DProps props;
        props.Set("file", Path(c.target).c_str());
        EXPECT_TRUE(r.SaveImages(props)) << c.target;
        for (const char* name : {c.target, c.second}) {
            const std::string bytes = ReadBytes(Path(name));
            EXPECT_EQ(c.magic, bytes.substr(0, c.magic.size())) << name;
        }
    }
}

TEST_F(ReportTest, SaveImagesOfAnUnknownFormatFailsAndKeepsTheFile)
{
    OXRReport& r = ThreePageReport();
    const std::string target = Path("plan.xyz");
    WriteBytes(target, "kept");
    DProps props;
    props.Set("file", target.c_str());
    EXPECT_FALSE(r.SaveImages(props));
    EXPECT_EQ(-1, DProps::GetLong(props, "error"));
    EXPECT_EQ(-1, props.IndexOf("path"));
    EXPECT_EQ(-1, props.IndexOf("file.1"));
    EXPECT_EQ("kept", ReadBytes(target));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(Path("plan.page2.xyz").c_str()));
    EXPECT_NE(std::string::npos, LogText().find("ERR >> Cannot save report file"));

    DProps none;
    none.Set("file", " ");
    EXPECT_FALSE(r.SaveImages(none));
}

TEST_F(ReportTest, APageThatCannotBeSavedLeavesItsOldFileAndTheOthersAreSaved)
{
    OXRReport& r = ThreePageReport();
    WriteBytes(Path("plan.png"), "old 1");
    WriteBytes(Path("plan.page2.png"), "old 2");
    DeleteFileA(r.GetPageFiles()[1].GetText());
    DProps props;
    props.Set("file", Path("plan.png").c_str());
    EXPECT_FALSE(r.SaveImages(props));
    EXPECT_EQ(-1, DProps::GetLong(props, "error"));
    EXPECT_EQ(-1, props.IndexOf("path"));
    EXPECT_EQ(std::make_pair(2100L, 2970L), PngSize(ReadBytes(Path("plan.png"))));
    EXPECT_EQ("old 2", ReadBytes(Path("plan.page2.png")));
    EXPECT_EQ(std::make_pair(2100L, 2970L), PngSize(ReadBytes(Path("plan.page3.png"))));
    EXPECT_EQ(Path("plan.page3.png"), DProps::GetString(props, "file.2", ""));
    EXPECT_EQ(RootWith({"plan.png", "plan.page2.png", "plan.page3.png"}), SortedListing(root));
}

// ---- Printing --------------------------------------------------------------------------------------

TEST_F(ReportTest, PrintingOnThePdfQueueGivesEveryPageWithItsTexts)
{
    const auto printers = PrintQueue::Printers();
    ASSERT_NE(printers.end(), std::find(printers.begin(), printers.end(), std::string("PDF")))
        << "the test environment has no print queue \"PDF\": run the tests through scripts/test";
    ASSERT_FALSE(PrintQueue::Folder().empty()) << "BRAVIK_PDF_DIR is not set: run the tests through scripts/test";
    const std::string token = "bravikreport" + std::to_string(GetTickCount());
    Material()->SetProperty("name", token.c_str());
    // The queue's PDF keeps the text of some faces only: the substitute of
    // the default face carries no character map.
    std::vector<std::string> lines = ThreePageLines();
    lines.push_back("font.normal=Arial,12");
    WriteLayout(dataFolder + "\\DATA\\three.sol.scl", lines);
    ASSERT_TRUE(OXRLayout::LoadAll(nullptr));
    OXRReport& r = Report();
    r.SetMaterial(Material());
    ASSERT_TRUE(r.SelectLayout("Test", true));
    EXPECT_TRUE(r.Print("PDF"));
    const std::string pdf = PrintQueue::WaitForPdf(token);
    ASSERT_FALSE(pdf.empty()) << "no PDF named after \"" << token << "\" arrived";
    EXPECT_EQ(3, PrintQueue::PdfPages(pdf));
    const std::string text = PrintQueue::PdfText(pdf);
    for (const char* line : {"table.a row 1", "table.b row 2", "table.c row 3", "Page 1 of 3", "Page 3 of 3"})
        EXPECT_NE(std::string::npos, text.find(line)) << line << "\n" << text;
    EXPECT_NE(std::string::npos, text.find(token));
    DeleteFileA(pdf.c_str());
    EXPECT_EQ(0, r.GetLayout()->GetCursor());
}

namespace {

// One word of a printed page as pdftotext -bbox places it.
struct PdfWord {
    int page = 0;
    double y = 0.0;
    std::string text;
};

std::vector<PdfWord> PdfWords(const std::string& pdf)
{
    const std::string html = PrintQueue::Poppler("pdftotext", pdf, "-bbox");
    std::vector<PdfWord> words;
    int page = -1;
    for (size_t at = 0;;) {
        const size_t pageAt = html.find("<page ", at);
        const size_t wordAt = html.find("<word ", at);
        if (wordAt == std::string::npos)
            break;
        if (pageAt < wordAt) {
            ++page;
            at = pageAt + 1;
            continue;
        }
        const size_t yAt = html.find("yMin=\"", wordAt);
        const size_t open = html.find('>', wordAt);
        const size_t close = html.find("</word>", open);
        if (yAt == std::string::npos || open == std::string::npos || close == std::string::npos)
            break;
        words.push_back({page, atof(html.c_str() + yAt + 6), html.substr(open + 1, close - open - 1)});
        at = close;
    }
    return words;
}

} // namespace

TEST_F(ReportTest, APrintedReportOfSeveralMaterialsGoesOnBelowEachMaterial)
{
    const auto printers = PrintQueue::Printers();
    ASSERT_NE(printers.end(), std::find(printers.begin(), printers.end(), std::string("PDF")))
        << "the test environment has no print queue \"PDF\": run the tests through scripts/test";
    ASSERT_FALSE(PrintQueue::Folder().empty()) << "BRAVIK_PDF_DIR is not set: run the tests through scripts/test";
    const std::string token = "bravikmaterials" + std::to_string(GetTickCount());
    UseShippedLocale();
    app.Document().SetName(token.c_str());
    Material()->SetProperty("material", "Alu");
    Material()->SetProperty("desc", "");
    app.Document().AddMaterial("Brass", "");
    app.Document().AddMaterial("Copper", "");
    for (long k = 0; k < 3; ++k)
        FillSolved(*app.Document().GetProject(k, false));
    // The shipped layout in faces whose text the queue's PDF keeps.
    WriteBytes(dataFolder + "\\DATA\\FULL.SOL.SCL",
               Installed("FULL.SOL.SCL") + "\r\nfont.normal=Arial,12\r\nfont.h1=Arial,17\r\nfont.h2=Arial,15\r\n"
                                           "calc=Arial,12\r\n");
    ASSERT_TRUE(OXRLayout::LoadAll(nullptr));
    OXRReport& r = Report();
    r.SetWholeProject(true);
    ASSERT_TRUE(r.SelectLayout("Full", true));
    ASSERT_GE(r.GetPageCount(), 2);
    EXPECT_TRUE(r.Print("PDF"));
    const std::string pdf = PrintQueue::WaitForPdf(token);
    ASSERT_FALSE(pdf.empty()) << "no PDF named after \"" << token << "\" arrived";
    const std::vector<PdfWord> words = PdfWords(pdf);
    DeleteFileA(pdf.c_str());

    // The material lines and the stock tables' titles, where they were printed.
    std::vector<std::pair<int, double>> lines;
    std::vector<std::pair<int, double>> stocks;
    for (size_t i = 0; i + 1 < words.size(); ++i) {
        const std::string& next = words[i + 1].text;
        if (words[i].text == "Material" && (next == "Alu" || next == "Brass" || next == "Copper")) {
            EXPECT_EQ(next, lines.empty() ? "Alu" : lines.size() == 1 ? "Brass" : "Copper");
            lines.push_back({words[i].page, words[i].y});
        }
        if (words[i].text == "Stock" && next == "list")
            stocks.push_back({words[i].page, words[i].y});
    }
    ASSERT_EQ(3u, lines.size());
    ASSERT_EQ(3u, stocks.size());
    // Each material's section starts below the end of the previous one.
    for (size_t k = 0; k < 3; ++k) {
        EXPECT_LT(lines[k], stocks[k]) << k;
        if (k > 0) {
            EXPECT_LT(stocks[k - 1], lines[k]) << k;
        }
    }
}

TEST_F(ReportTest, PrintingNeedsPagesAndAPrinter)
{
    ThreePageLayout();
    OXRReport& r = Report();
    std::string failure;
    EXPECT_FALSE(r.Print("PDF", &failure));  // nothing built
    EXPECT_EQ("The report has no pages.", failure);
    r.SetMaterial(Material());
    ASSERT_TRUE(r.SelectLayout("Test", true));
    EXPECT_FALSE(r.Print("No such printer", &failure));
    EXPECT_EQ("The printer \"No such printer\" cannot be opened.", failure);
}

TEST_F(ReportCommands, AFailedRebuildIsReportedWithItsError)
{
    ThreeLayouts();
    std::vector<std::string> lines = PageLines("table.a", {"table.a.mode=1"});
    lines[0] = "name=Endless";
    lines[1] = "class=test.endless";
    lines[2] = "draw.size.x=210";
    lines[3] = "draw.size.y=297";
    WriteLayout(dataFolder + "\\DATA\\endless.sol.scl", lines);
    ASSERT_TRUE(app.LoadReportLayouts(true));
    EXPECT_EQ(std::string::npos, LogText().find("Cannot build the report"));
    app.SelectReportLayout(3);  // "Endless" sorts after "A", "B" and "C"
    EXPECT_EQ(0, AppReport().GetPageCount());
    const std::string error = AppReport().GetErrorText().ToStdString();
    ASSERT_NE("", error);
    EXPECT_NE(std::string::npos, LogText().find("ERR >> Cannot build the report.\r\n" + error)) << LogText();
}
