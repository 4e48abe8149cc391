// The records and descriptors of the text exports, built from materials with
// hand-made result rows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "appsvc/OXRApp.h"
#include "dialogs/TextExports.h"
#include "document/DCSProject.h"
#include "document/DCSSolution.h"
#include "foundation/DAppSettings.h"
#include "support/DocumentProbe.h"
#include "support/DialogFixture.h"

namespace {

// A cutting row as the result rows hold them.
DProps Cutting(const char* blank, const char* copies, const char* remains)
{
    return RowOf({{"blank", blank}, {"copies", copies}, {"remains", remains}, {"signature", "1#a1-"}});
}

class TextExportsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        App().Document().Reset();
        ASSERT_TRUE(App().Document().New("P", "", "Steel"));
        ASSERT_TRUE(App().Document().AddMaterial("Pine", nullptr));
        ASSERT_TRUE(App().Document().AddMaterial("Oak", nullptr));
        for (long i = 0; i < 3; ++i) {
            DCSProject* m = Material(i);
            ASSERT_NE(nullptr, m);
            m->AppendRows({RowOf({{"length", "6000"}, {"quantity", "5"}, {"knife", "3"}}),
                           RowOf({{"length", "4000"}, {"quantity", "5"}})},
                          1);
            m->AppendRows({RowOf({{"length", "1500"}, {"quantity", "4"}}),
                           RowOf({{"length", "700"}, {"quantity", "2"}})},
                          2);
        }
    }
    void TearDown() override { App().Document().Reset(); }

    static DCSProject* Material(long i) { return App().Document().GetProject(i, false); }
    static PropsList& Cuttings(long i) { return DocumentProbe::Cuttings(*Material(i)); }
};

TEST_F(TextExportsTest, CuttingsOfActiveMaterialsAreNumberedAcrossMaterials)
{
    Cuttings(0) = {Cutting("1", "2", "0"), Cutting("2", "1", "0"), Cutting("1", "3", "0")};
    Cuttings(1) = {Cutting("2", "4", "0"), Cutting("99", "1", "0")};
    Cuttings(2) = {Cutting("1", "7", "0")};
    ASSERT_TRUE(App().Document().SetActive(2, false));

    const PropsList records = BuildExportRecords(TextExportCuttings, App().Document());
    ASSERT_EQ(5u, records.size());
    for (size_t i = 0; i < records.size(); ++i)
        EXPECT_EQ(std::to_string(i + 1), DProps::GetString(records[i], "id", ""));
    EXPECT_EQ("Steel", DProps::GetString(records[0], "material", "-"));
    EXPECT_EQ("1", DProps::GetString(records[0], "blank.id", ""));
    EXPECT_EQ("6000", DProps::GetString(records[0], "blank.length", ""));
    EXPECT_EQ("2", DProps::GetString(records[0], "copies", ""));
    EXPECT_NE("", DProps::GetString(records[0], "formatting", ""));
    EXPECT_EQ("Pine", DProps::GetString(records[3], "material", "-"));
    EXPECT_EQ("4000", DProps::GetString(records[3], "blank.length", ""));
    // A stock row that is gone: zero length, no material, still a record.
    EXPECT_EQ("0", DProps::GetString(records[4], "blank.length", ""));
    EXPECT_EQ("", DProps::GetString(records[4], "material", "-"));
}

TEST_F(TextExportsTest, RemnantsCountOnlyOffcutsLongerThanTheOption)
{
    struct Case {
        const char* option;
        const char* remains;
        bool exported;
    };
    const Case cases[] = {
        {"0", "4000", false},  {"", "4000", false},    {"500", "500", false},
        {"500", "500.5", true}, {"500", "499.9", false}, {"500", "0", false},
        {"-10", "0", false},   {"250.75", "251", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.option) + " / " + c.remains);
        ASSERT_TRUE(Material(0)->SetProperty("remnants", c.option));
        Cuttings(0) = {Cutting("1", "3", c.remains)};
        for (long i = 1; i < 3; ++i)
            Cuttings(i).clear();
        const PropsList records = BuildExportRecords(TextExportRemnants, App().Document());
        ASSERT_EQ(c.exported ? 1u : 0u, records.size());
        if (!c.exported)
            continue;
        EXPECT_EQ("1", DProps::GetString(records[0], "id", ""));
        EXPECT_EQ("3", DProps::GetString(records[0], "quantity", ""));
        EXPECT_EQ("Steel", DProps::GetString(records[0], "material", "-"));
        EXPECT_EQ(FormatLengthText(c.remains, false), DProps::GetString(records[0], "length", ""));
        EXPECT_EQ(FormatLengthText("3", false), DProps::GetString(records[0], "knife", ""));
    }
}

TEST_F(TextExportsTest, RemnantOfAStockRowThatIsGoneHasNoKerf)
{
    ASSERT_TRUE(Material(1)->SetProperty("remnants", "100"));
    Cuttings(1) = {Cutting("42", "2", "800"), Cutting("2", "1", "900")};
    const PropsList records = BuildExportRecords(TextExportRemnants, App().Document());
    ASSERT_EQ(2u, records.size());
    EXPECT_EQ("0", DProps::GetString(records[0], "knife", ""));
    EXPECT_EQ("", DProps::GetString(records[0], "material", "-"));
    EXPECT_EQ("2", DProps::GetString(records[1], "id", ""));
    EXPECT_EQ("Pine", DProps::GetString(records[1], "material", "-"));
}

TEST_F(TextExportsTest, UnplacedPartsCopyTheRowWithTheUnplacedCount)
{
    EXPECT_TRUE(BuildExportRecords(TextExportOrphans, App().Document()).empty());

    PropsList& parts = DocumentProbe::Pieces(*Material(1));
    parts[1].Set("orphans", "2");
    parts[1].Set("label", "Door");
    DocumentProbe::Pieces(*Material(2))[0].Set("orphans", "1");
    ASSERT_TRUE(App().Document().SetActive(2, false));

    const PropsList records = BuildExportRecords(TextExportOrphans, App().Document());
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ("1", DProps::GetString(records[0], "id", ""));
    EXPECT_EQ("2", DProps::GetString(records[0], "quantity", ""));
    EXPECT_EQ("700", DProps::GetString(records[0], "length", ""));
    EXPECT_EQ("Door", DProps::GetString(records[0], "label", ""));
    EXPECT_EQ("Pine", DProps::GetString(records[0], "material", "-"));
}

TEST(TextExportDescriptor, DefaultsTitlesSettingsAndCaption)
{
    DAppSettings settings;
    DProps globals;
    DProps d = BuildExportDescriptor(TextExportCuttings, globals, settings);
    EXPECT_EQ("id;material;blank.id;blank.length;copies;formatting", DProps::GetString(d, "fields", ""));
    EXPECT_EQ("ID;Material;Blank;Length;Copies;Formatting;\\Empty field", DProps::GetString(d, "titles", ""));
    EXPECT_EQ(DProps::GetString(d, "fields", ""), DProps::GetString(d, "format", ""));
    EXPECT_EQ("60;320;120;130;130;520", DProps::GetString(d, "columns", ""));
    EXPECT_EQ(";", DProps::GetString(d, "field.separator", ""));
    EXPECT_EQ(";", DProps::GetString(d, "format.separator", ""));
    EXPECT_EQ("\r\n", DProps::GetString(d, "record.separator", ""));
    EXPECT_EQ("cuttings.txt", DProps::GetString(d, "file", ""));
    EXPECT_EQ(-1, d.IndexOf("title"));

    globals.Set("exp.length", "Offcut");
    globals.Set("\\empty", "(none)");
    globals.Set("export.remnants.title", "Remnants");
    settings.Set("export.remnants.separator", "\t");
    settings.Set("export.remnants.fields", "length;quantity;bogus");
    d = BuildExportDescriptor(TextExportRemnants, globals, settings);
    EXPECT_EQ("ID;Material;Offcut;Quantity;Knife;(none)", DProps::GetString(d, "titles", ""));
    EXPECT_EQ("length;quantity;bogus", DProps::GetString(d, "format", ""));
    EXPECT_EQ("\t", DProps::GetString(d, "field.separator", ""));
    EXPECT_EQ("Remnants", DProps::GetString(d, "title", ""));
    EXPECT_EQ("remnants.txt", DProps::GetString(d, "file", ""));
    EXPECT_EQ("100;320;150;130;520", DProps::GetString(d, "columns", ""));

    // The unplaced parts keep their field order under a key of their own.
    DProps chosen;
    chosen.Set("field.separator", ",");
    chosen.Set("format", "id;length");
    StoreExportChoices(TextExportOrphans, chosen, settings);
    EXPECT_EQ("id;length", settings.Get("export.orphans.format", "").ToStdString());
    EXPECT_EQ(",", settings.Get("export.orphans.separator", "").ToStdString());
    d = BuildExportDescriptor(TextExportOrphans, globals, settings);
    EXPECT_EQ("id;length", DProps::GetString(d, "format", ""));
    EXPECT_EQ("orphans.txt", DProps::GetString(d, "file", ""));
    EXPECT_EQ("ID;Material;Offcut;Quantity;Label;Comment;(none)", DProps::GetString(d, "titles", ""));
}

TEST_F(TextExportsTest, RecordsBecomeTextInTheStoredFieldOrder)
{
    ASSERT_TRUE(Material(1)->SetProperty("remnants", "500"));
    Cuttings(1) = {Cutting("1", "2", "500.5"), Cutting("1", "4", "500")};
    DAppSettings settings;
    settings.Set("export.remnants.fields", "id;quantity;bogus;material");
    settings.Set("export.remnants.separator", "|");
    const DProps descriptor = BuildExportDescriptor(TextExportRemnants, DProps(), settings);
    const std::string text =
        ExportRecordsText(descriptor, BuildExportRecords(TextExportRemnants, App().Document()));
    // A field the export does not offer gives an empty column.
    EXPECT_EQ("1|2||Pine\r\n", text);
}

} // namespace
