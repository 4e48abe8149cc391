#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "LayoutFixture.h"
#include "foundation/DAuto.h"

namespace {

std::vector<std::string> Items(const OXRLayout& layout)
{
    std::vector<std::string> items;
    for (const UString& item : layout.Items())
        items.push_back(item.GetText());
    return items;
}

LOGFONTW FontOf(HFONT font)
{
    LOGFONTW lf = {};
    GetObjectW(font, sizeof lf, &lf);
    return lf;
}

} // namespace

// ---- Reading a file -----------------------------------------------------------------------

TEST_F(LayoutTest, TheFileRulesGiveKeysAndValues)
{
    const std::string path = WriteLayout(Path("rules.sol.scl"), {
        "# KORV Test layout",
        "",
        "name = First = ignored",
        "Key=upper",
        "key=lower",
        "repeated=1",
        "solo",
        "repeated=2",
        "   spaced   =   value   ",
        "#name=Commented",
    });
    OXRLayout layout;
    EXPECT_TRUE(layout.Load(path.c_str()));
    const UPairList& p = layout.Params();
    EXPECT_STREQ(p.Get("name").GetText(), "First");
    EXPECT_STREQ(p.Get("Key").GetText(), "upper");
    EXPECT_STREQ(p.Get("key").GetText(), "lower");
    EXPECT_STREQ(p.Get("repeated").GetText(), "2");
    EXPECT_LT(p.IndexOf("repeated"), p.IndexOf("solo"));
    EXPECT_EQ(p.IndexOf("solo") >= 0, true);
    EXPECT_STREQ(p.Get("solo").GetText(), "");
    EXPECT_STREQ(p.Get("spaced").GetText(), "value");
    EXPECT_STREQ(layout.GetName().GetText(), "First");
    EXPECT_STREQ(layout.GetPath().GetText(), path.c_str());
}

TEST_F(LayoutTest, AFileWithoutANameHasNone)
{
    OXRLayout layout;
    EXPECT_FALSE(layout.Load(WriteLayout(Path("blank.sol.scl"), {"name=   ", "class=test.rows"}).c_str()));
    OXRLayout missing;
    EXPECT_FALSE(missing.Load(Path("no such.sol.scl").c_str()));
    EXPECT_EQ(missing.Params().Count(), 0);
}

// ---- The draw order -------------------------------------------------------------------------

TEST_F(LayoutTest, TheShippedDrawOrderRepeatsTheProjectGroupPerMaterial)
{
    for (const char* name : {"BASE.SOL.SCL", "FULL.SOL.SCL", "LIST.SOL.SCL"}) {
        SCOPED_TRACE(name);
        UMemory file;
        ASSERT_TRUE(app.LoadResourceData("INSTALL", name, file));
        const std::string path = Path(name);
        WriteBytes(path, file.GetData());
        OXRLayout layout;
        ASSERT_TRUE(layout.Load(path.c_str()));
        layout.ParseDrawOrder();
        EXPECT_EQ(Items(layout), std::vector<std::string>{"table.general"});

        layout.Params().Set("projects", "3");
        layout.ParseDrawOrder();
        std::vector<std::string> expected = {"table.general"};
        for (int i = 0; i < 3; ++i)
            for (const char* item : {"table.material", "table.notes", "table.blanks", "table.pieces",
                                     "table.cutting"})
                expected.push_back(item);
        EXPECT_EQ(Items(layout), expected);
        EXPECT_EQ(expected.size(), 16u);
    }
}

TEST_F(LayoutTest, DrawOrdersExpandByTheirRules)
{
    struct Case {
        const char* label;
        std::vector<std::string> lines;
        std::vector<std::string> items;
    } cases[] = {
        {"blank after a comma stays part of the item",
         {"draw.order=table.general, draw.group.project", "draw.group.project=(table.a)2"},
         {"table.general", " draw.group.project"}},
        {"an empty piece ends the list",
         {"draw.order=table.general,,table.blanks"},
         {"table.general"}},
        {"a group repeats its items",
         {"draw.order=draw.group.g,table.end", "draw.group.g=(table.material,table.cutting)${projects}",
          "projects=2"},
         {"table.material", "table.cutting", "table.material", "table.cutting", "table.end"}},
        {"a group without its count repeats nothing",
         {"draw.order=draw.group.g,table.end", "draw.group.g=(table.material,table.cutting)${projects}"},
         {"table.end"}},
        {"a count below one adds nothing",
         {"draw.order=draw.group.g", "draw.group.g=(table.a)0"},
         {}},
        {"a plain group is used once",
         {"draw.order=draw.group.g,table.z", "draw.group.g=table.x,table.y"},
         {"table.x", "table.y", "table.z"}},
        {"a group that never closes adds nothing",
         {"draw.order=draw.group.g,table.z", "draw.group.g=(table.x,table.y"},
         {"table.z"}},
        {"a missing group adds nothing",
         {"draw.order=draw.group.none,table.z"},
         {"table.z"}},
        {"a group item list ends at its first blank piece",
         {"draw.order=draw.group.g", "draw.group.g=(table.x,,table.y)1"},
         {"table.x"}},
        {"the draw order can be read from another key",
         {"draw.order=table.default", "draw.order.read=order.${variant}", "variant=short",
          "order.short=table.one,table.two"},
         {"table.one", "table.two"}},
        {"a read key without value falls back to draw.order",
         {"draw.order=table.default", "draw.order.read=order.none"},
         {"table.default"}},
        {"group names are compared with case",
         {"draw.order=Draw.Group.g,table.z", "draw.group.g=(table.x)1"},
         {"Draw.Group.g", "table.z"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        OXRLayout layout;
        layout.Load(WriteLayout(Path("order.sol.scl"), c.lines).c_str());
        layout.SetTitle("old title");
        layout.ParseDrawOrder();
        EXPECT_EQ(Items(layout), c.items);
        EXPECT_STREQ(layout.GetTitle().GetText(), "");
    }
}

// ---- Scales and fonts --------------------------------------------------------------------

TEST_F(LayoutTest, ThePageScaleFollowsTheSmallerSideWithinOneToSix)
{
    struct Case {
        const char* x;
        const char* y;
        double scale;
    } cases[] = {
        {"2100", "2970", 2.0}, {"2100", "14850", 2.0}, {"6300", "9000", 6.0}, {"9000", "9000", 6.0},
        {nullptr, nullptr, 1.0}, {"500", "500", 1.0}, {"1575", "3000", 1.5},
    };
    for (const Case& c : cases) {
        std::vector<std::string> lines = {"name=S", "class=test.rows"};
        if (c.x) {
            lines.push_back(std::string("draw.size.x=") + c.x);
            lines.push_back(std::string("draw.size.y=") + c.y);
        }
        RowsLayout* layout = MakeLayout(lines);
        ASSERT_NE(layout, nullptr);
        EXPECT_DOUBLE_EQ(layout->GetPageScale(), c.scale) << (c.x ? c.x : "none");
        EXPECT_DOUBLE_EQ(layout->GetFontScale(), c.scale);
        EXPECT_DOUBLE_EQ(layout->GetScale(), c.scale);
    }
}

TEST_F(LayoutTest, InitWritesTheScalesIntoTheParameters)
{
    RowsLayout* layout = MakeLayout({"name=S", "class=test.rows", "draw.size.x=2100", "draw.size.y=2970",
                                     "scale.draw=1.5", "scale.font=0.5"});
    ASSERT_NE(layout, nullptr);
    EXPECT_STREQ(layout->Params().Get("scale").GetText(), "3.00000");
    EXPECT_STREQ(layout->Params().Get("drawScale").GetText(), "1.50000");
    EXPECT_STREQ(layout->Params().Get("fontScale").GetText(), "1.00000");
    EXPECT_EQ(layout->Scale(100), 150);
    EXPECT_EQ(layout->Scale(150, true), 100);
    EXPECT_EQ(layout->Scale(-3), -5);
    POINT p = {10, 21};
    layout->ScalePoint(p);
    EXPECT_EQ(p.x, 15);
    EXPECT_EQ(p.y, 32);
}

TEST_F(LayoutTest, ABadScaleIsLoggedAndTakenAsOne)
{
    RowsLayout* layout = MakeLayout({"name=S", "class=test.rows", "draw.size.x=2100", "draw.size.y=2970",
                                     "scale.font=0", "scale.draw=wide"});
    ASSERT_NE(layout, nullptr);
    EXPECT_DOUBLE_EQ(layout->GetFontScale(), 2.0);
    EXPECT_DOUBLE_EQ(layout->GetDrawScale(), 1.0);
    const std::string log = LogText();
    const std::string file = dataFolder + "\\DATA\\test.sol.scl";
    EXPECT_NE(log.find("WRN >> Incorrect parameter 'scale.font' in file " + file), std::string::npos) << log;
    EXPECT_NE(log.find("WRN >> Incorrect parameter 'scale.draw' in file " + file), std::string::npos) << log;
}

TEST_F(LayoutTest, FontsTakeTheirRowDefaultsAndTheFontScale)
{
    RowsLayout* layout = MakeLayout({"name=S", "class=test.rows", "draw.size.x=2100", "draw.size.y=2970",
                                     "font.normal=Calibri,12", "font.h3=Arial,20,italic"});
    ASSERT_NE(layout, nullptr);
    LOGFONTW h1 = FontOf(layout->GetFont("h1"));
    EXPECT_EQ(h1.lfHeight, -34);
    EXPECT_EQ(h1.lfWeight, FW_BOLD);
    EXPECT_STREQ(h1.lfFaceName, L"Consolas");
    EXPECT_EQ(FontOf(layout->GetFont("normal")).lfHeight, -24);
    LOGFONTW h3 = FontOf(layout->GetFont("h3"));
    EXPECT_EQ(h3.lfHeight, -40);
    EXPECT_TRUE(h3.lfItalic);
    EXPECT_STREQ(h3.lfFaceName, L"Arial");
    EXPECT_EQ(FontOf(layout->GetFont("italic")).lfItalic, TRUE);
    EXPECT_EQ(FontOf(layout->GetFont("tiny")).lfHeight, -18);
    // A name that is not cached gives the first font in name order.
    EXPECT_EQ(layout->GetFont("nonesuch"), layout->GetFont("bold"));
}

// ---- The registry -------------------------------------------------------------------------

TEST_F(LayoutTest, TheProgramFoldersLayoutReplacesTheDataFoldersOfTheSameName)
{
    WriteLayout(dataFolder + "\\DATA\\one.sol.scl", {"name=Base", "class=test.rows", "origin=data"});
    WriteLayout(programFolder + "\\two.sol.scl", {"name=Base", "class=test.rows", "origin=program"});
    WriteLayout(dataFolder + "\\DATA\\other.sol.scl", {"name=Other", "class=test.rows"});
    UStringList searched;
    ASSERT_TRUE(OXRLayout::LoadAll(nullptr, &searched));
    EXPECT_EQ(OXRLayout::Registry().size(), 2u);
    EXPECT_EQ(RowsLayout::live, 2);
    OXRLayout* base = OXRLayout::Registry().Get(UString("Base"));
    ASSERT_NE(base, nullptr);
    EXPECT_STREQ(base->Params().Get("origin").GetText(), "program");
    ASSERT_EQ(searched.size(), 2u);
    EXPECT_STREQ(searched[0].GetText(), (dataFolder + "\\DATA").c_str());
    EXPECT_STREQ(searched[1].GetText(), programFolder.c_str());

    OXRLayout::ClearRegistry();
    EXPECT_EQ(RowsLayout::live, 0);
    EXPECT_EQ(OXRLayout::Registry().size(), 0u);
}

TEST_F(LayoutTest, FilesWithoutNameOrOfAnotherClassAreNotRegistered)
{
    WriteLayout(dataFolder + "\\DATA\\a.sol.scl", {"name=Named", "class=Test.Rows"});
    WriteLayout(dataFolder + "\\DATA\\b.sol.scl", {"class=test.rows"});
    WriteLayout(dataFolder + "\\DATA\\c.sol.scl", {"name=Classless"});
    WriteLayout(dataFolder + "\\DATA\\d.txt", {"name=Other extension", "class=test.rows"});
    EXPECT_FALSE(OXRLayout::LoadAll(nullptr));
    EXPECT_EQ(OXRLayout::Registry().size(), 0u);
    EXPECT_EQ(RowsLayout::live, 0);
}

TEST_F(LayoutTest, AFileSavedWithAByteOrderMarkIsRegisteredByItsName)
{
    // An editor saving a layout as UTF-8 puts EF BB BF before the first key.
    WriteLayout(dataFolder + "\\DATA\\marked.sol.scl", {"\xEF\xBB\xBFname=Marked", "class=test.rows", "x=1"});
    WriteLayout(dataFolder + "\\DATA\\comment.sol.scl", {"\xEF\xBB\xBF# KORV layout", "name=Commented", "class=test.rows"});
    ASSERT_TRUE(OXRLayout::LoadAll(nullptr));
    EXPECT_EQ(OXRLayout::Registry().size(), 2u);
    OXRLayout* marked = OXRLayout::Registry().Get(UString("Marked"));
    ASSERT_NE(marked, nullptr);
    EXPECT_EQ(marked->Params().IndexOf("name"), 0);
    EXPECT_NE(OXRLayout::Registry().Get(UString("Commented")), nullptr);
}

TEST_F(LayoutTest, NamesSortCapitalsFirst)
{
    WriteLayout(dataFolder + "\\DATA\\1.sol.scl", {"name=base", "class=test.rows"});
    WriteLayout(dataFolder + "\\DATA\\2.sol.scl", {"name=List", "class=test.rows"});
    ASSERT_TRUE(OXRLayout::LoadAll(nullptr));
    UString first;
    ASSERT_TRUE(OXRLayout::Registry().GetKeyAt(0, &first));
    EXPECT_STREQ(first.GetText(), "List");
}

TEST_F(LayoutTest, AGivenFolderIsReadInsteadOfTheDataFolder)
{
    const std::string other = Path("elsewhere");
    CreateDirectoryA(other.c_str(), nullptr);
    WriteLayout(other + "\\x.sol.scl", {"name=Elsewhere", "class=test.rows"});
    WriteLayout(dataFolder + "\\DATA\\y.sol.scl", {"name=Data", "class=test.rows"});
    ASSERT_TRUE(OXRLayout::LoadAll(other.c_str()));
    EXPECT_NE(OXRLayout::Registry().Get(UString("Elsewhere")), nullptr);
    EXPECT_EQ(OXRLayout::Registry().Get(UString("Data")), nullptr);
}

TEST_F(LayoutTest, LoadingAgainStartsFromAnEmptyRegistry)
{
    WriteLayout(dataFolder + "\\DATA\\1.sol.scl", {"name=Gone", "class=test.rows"});
    ASSERT_TRUE(OXRLayout::LoadAll(nullptr));
    DeleteFileA((dataFolder + "\\DATA\\1.sol.scl").c_str());
    EXPECT_FALSE(OXRLayout::LoadAll(nullptr));
    EXPECT_EQ(RowsLayout::live, 0);
}

TEST_F(LayoutTest, InitReadsTheFileAgainAndTakesExtraParameters)
{
    RowsLayout* layout = MakeLayout({"name=S", "class=test.rows", "table.a.rows=1"});
    ASSERT_NE(layout, nullptr);
    layout->Params().Set("table.a.rows", "99");
    UPairList extra;
    extra.Set("projects", "4");
    layout->Init(&extra);
    EXPECT_STREQ(layout->Params().Get("table.a.rows").GetText(), "1");
    EXPECT_STREQ(layout->Params().Get("projects").GetText(), "4");
    EXPECT_EQ(layout->GetProject(), Material());
    EXPECT_STREQ(layout->LocaleText("title", "x").GetText(), "Cutting plan");
}
