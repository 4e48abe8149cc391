// An application object with its own data and program folders, a log, a
// document with one material, and a small layout class whose tables are
// numbered rows, so the page painter can be watched paginating.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "ReportCanvas.h"
#include "appsvc/OXRApp.h"
#include "reports/MTable.h"
#include "reports/OXRLayout.h"
#include "reports/ScaleNumberList.h"
#include "support/LayoutFile.h"
#include "support/TestFiles.h"

// Tables of "<item>.rows" rows; a table goes on over pages from the row where
// it stopped.
class RowsLayout : public OXRLayout {
public:
    static inline int live = 0;

    RowsLayout() { ++live; }
    ~RowsLayout() override { --live; }

    static OXRLayout* Make(const OXRLayout& loaded)
    {
        RowsLayout* layout = new RowsLayout;
        layout->CopyFrom(loaded);
        return layout;
    }

    bool DrawTable(const char* item, OXRRenderContext& ctx, int mode) override
    {
        (void)mode;
        SetRectEmpty(&ctx.rect);
        const std::string name = item;
        const int total = static_cast<int>(ParamLong((name + ".rows").c_str()));
        if (total <= 0)
            return false;
        int& next = m_next[name];
        const bool resumed = next > 0;
        firstFlags.push_back(IsFirstOnPage());

        if (ctx.kind == OXRRenderContext::kHtml) {
            MTable table;
            Fill(table, name, 0, total, resumed);
            table.Format(ctx.html, ctx.options);
            return false;
        }
        const int limit = ctx.draw->GetRect().bottom;
        int fits = 0;
        for (int k = 1; next + k <= total; ++k) {
            MTable table;
            Fill(table, name, next, k, resumed);
            table.Measure(ctx.draw);
            if (ctx.y + table.GetRect().bottom > limit)
                break;
            fits = k;
        }
        if (fits == 0) {
            if (!IsFirstOnPage())
                return true;
            fits = 1;
        }
        MTable table;
        Fill(table, name, next, fits, resumed);
        table.Draw(ctx.draw, ctx.x, ctx.y, &ctx.rect, true);
        next += fits;
        if (next < total)
            return true;
        next = 0;
        return false;
    }

    std::vector<bool> firstFlags;

private:
    void Fill(MTable& table, const std::string& name, int first, int count, bool resumed)
    {
        UPairList overrides;
        overrides.Set("scale", StrFromDouble(GetScale(), "%.5f").c_str());
        if (IsMono())
            overrides.Set("mono", "1");
        const std::string widths = ScaleNumberList(Params().Get((name + ".columns").c_str()).GetText(),
                                                   GetDrawScale());
        table.LoadStyle(overrides, widths.c_str(), GetFont("normal"));
        std::string title = name;
        if (resumed)
            title += " (continued)";
        TCell base;
        base.Clear();
        base.AddText(TText(GetFont("h2"), 0, title.c_str()), false);
        table.SetBaseCell(base);
        table.AddHeader(0, TCell("Row"));
        table.AddHeader(0, TCell("Value"));
        for (int i = first; i < first + count; ++i) {
            table.AddRow(0, TCell((name + " row " + std::to_string(i + 1)).c_str()));
            table.AddRow(0, TCell(std::to_string((i + 1) * 10).c_str()));
        }
    }

    std::map<std::string, int> m_next;
};

class LayoutTest : public TempFolderTest {
protected:
    LayoutTest() : TempFolderTest("layouts") {}

    void SetUp() override
    {
        TempFolderTest::SetUp();
        dataFolder = Path("data");
        programFolder = Path("program");
        CreateDirectoryA(dataFolder.c_str(), nullptr);
        CreateDirectoryA((dataFolder + "\\DATA").c_str(), nullptr);
        CreateDirectoryA(programFolder.c_str(), nullptr);
        app.SetDataFolder(dataFolder.c_str());
        app.SetProgramFolder(programFolder.c_str());
        logPath = Path("test.log");
        app.Log().Open(logPath.c_str(), true);
        app.Locale().Parse("[reports]\r\ntitle=Cutting plan\r\nMaterial=Material\r\n");
        app.LoadLocale("en_US");
        app.Document().AddMaterial("Steel 40x40", "square tube");
        app.Document().SetCurrent(0);
        OXRLayout::AddLayoutClass("test.rows", &RowsLayout::Make);
    }

    void TearDown() override
    {
        OXRLayout::ClearRegistry();
        OXRLayout::RemoveLayoutClass("test.rows");
        app.Log().Close();
        TempFolderTest::TearDown();
    }

    DCSProject* Material() { return app.Document().GetProject(0, false); }

    // A layout file of the given lines, written with CR LF.
    std::string WriteLayout(const std::string& path, const std::vector<std::string>& lines)
    {
        return WriteLayoutFile(path, lines);
    }

    // An A4 page of the test class whose items are the given ones.
    std::vector<std::string> PageLines(const std::string& order, const std::vector<std::string>& extra)
    {
        return LayoutPageLines("Test", "test.rows", order, 2970, extra);
    }

    // An initialised layout of the test class from the lines.
    RowsLayout* MakeLayout(const std::vector<std::string>& lines)
    {
        return static_cast<RowsLayout*>(LoadLayoutFile(LayoutPath("test.sol.scl"), lines));
    }

    // The path of a layout file of that name in the data folder.
    std::string LayoutPath(const std::string& name) const { return dataFolder + "\\DATA\\" + name; }

    std::string LogText() { return ReadBytes(logPath); }

    // The English texts the program carries, "#" as the number mark and no
    // unit labels.
    void UseShippedLocale()
    {
        UMemory locale;
        ASSERT_TRUE(app.LoadResourceData("LOCALE", kEmbeddedLocale, locale));
        app.Locale().Parse(locale.GetData());
        app.LoadLocale("en_US");
        app.Globals().Set("no", "#");
        for (const char* units : {"length.units", "pieces.units", "cost.units"})
            app.Globals().Set(units, "");
    }

    OXRApp app;
    std::string dataFolder;
    std::string programFolder;
    std::string logPath;
};
