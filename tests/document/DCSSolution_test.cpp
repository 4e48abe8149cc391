#include <gtest/gtest.h>

#include <string>

#include "document/DCSSolution.h"
#include "foundation/RecordText.h"
#include "support/SolvedMaterial.h"
#include "support/DocumentProbe.h"
#include "tests/document/TestAppServices.h"

namespace {

class Solution : public ::testing::Test {
protected:
    TestAppServices app;
    DCSSolution doc;

    std::string Name(long index, bool activeOnly)
    {
        DCSProject* m = doc.GetProject(index, activeOnly);
        return m ? DProps::GetString(m->GetProperties(), "material", "") : "<null>";
    }
    // M1 active, M2 inactive, M3 active.
    void ThreeMaterials()
    {
        ASSERT_TRUE(doc.New("P", "", "M1"));
        ASSERT_TRUE(doc.AddMaterial("M2", nullptr));
        ASSERT_TRUE(doc.AddMaterial("M3", nullptr));
        ASSERT_TRUE(doc.SetActive(1, false));
    }
};

TEST_F(Solution, ClearingOpensThePropertiesWithFourKeys)
{
    DocumentProbe::Props(doc).Set("extra", "1");
    doc.Clear();
    ASSERT_EQ(4, doc.GetProperties().Count());
    const char* keys[] = {"name", "desc", "time", "version"};
    const char* values[] = {"", "", "0", "1"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_STREQ(keys[i], doc.GetProperties().GetKeyAt(i));
        EXPECT_STREQ(values[i], doc.GetProperties().GetValueAt(i));
    }
    EXPECT_EQ(0, doc.GetCount(false));
    EXPECT_EQ(0, doc.GetCurrent());
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(Solution, NewMakesOneMaterialAndAnUnmodifiedProject)
{
    ASSERT_TRUE(doc.New(" Plan ", "Desc", "Steel"));
    EXPECT_EQ(" Plan ", doc.GetName());  // stored as given
    EXPECT_EQ("", doc.GetFile());
    EXPECT_GT(DProps::GetInt64(doc.GetProperties(), "time.created"), 0);
    EXPECT_EQ(1, doc.GetCount(false));
    EXPECT_EQ("Steel", Name(-1, false));
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(Solution, NewWithoutAMaterialNameFailsAndKeepsNoMaterial)
{
    EXPECT_FALSE(doc.New("P", "D", ""));
    EXPECT_EQ(0, doc.GetCount(false));
    EXPECT_EQ("P", doc.GetName());
}

TEST_F(Solution, MaterialNamesAreUniqueByExactBytes)
{
    ASSERT_TRUE(doc.New("P", "", "Steel"));
    EXPECT_FALSE(doc.AddMaterial("Steel", nullptr));
    EXPECT_TRUE(doc.AddMaterial("steel", "soft"));
    EXPECT_FALSE(doc.AddMaterial(nullptr, nullptr));
    EXPECT_FALSE(doc.AddMaterial("", nullptr));
    // A name that could not stand as a block of the project file.
    EXPECT_FALSE(doc.AddMaterial("#solution", nullptr));
    EXPECT_FALSE(doc.AddMaterial("a-->b", nullptr));
    long index = -1;
    DCSProject* found = doc.FindMaterial("steel", &index);
    ASSERT_NE(nullptr, found);
    EXPECT_EQ(1, index);
    EXPECT_EQ("soft", DProps::GetString(found->GetProperties(), "desc"));
    EXPECT_EQ(nullptr, doc.FindMaterial("Stee", nullptr));
    EXPECT_EQ(0, doc.GetCurrent());  // adding does not move the current material
}

TEST_F(Solution, ActiveOnlyIndexesCountActiveMaterials)
{
    ThreeMaterials();
    EXPECT_EQ(3, doc.GetCount(false));
    EXPECT_EQ(2, doc.GetCount(true));
    EXPECT_EQ("M3", Name(1, true));
    EXPECT_EQ("<null>", Name(2, true));
    EXPECT_EQ("M2", Name(1, false));
    EXPECT_EQ("<null>", Name(3, false));
    EXPECT_FALSE(doc.SetActive(3, true));
    EXPECT_EQ(-1, doc.SetCurrent(3));
    EXPECT_EQ(-1, doc.SetCurrent(-1));
    EXPECT_EQ(2, doc.SetCurrent(2));
    EXPECT_EQ("M3", Name(-1, false));
}

TEST_F(Solution, RemovingKeepsTheCurrentIndexInsideTheList)
{
    ThreeMaterials();
    doc.SetCurrent(2);
    EXPECT_TRUE(doc.RemoveMaterial(-1));
    EXPECT_EQ(1, doc.GetCurrent());
    EXPECT_FALSE(doc.RemoveMaterial(2));
    EXPECT_TRUE(doc.RemoveMaterial(0));
    EXPECT_TRUE(doc.RemoveMaterial(0));
    EXPECT_EQ(-1, doc.GetCurrent());
    EXPECT_EQ(nullptr, doc.GetProject(-1, false));
    EXPECT_FALSE(doc.RemoveMaterial(-1));
}

// The windows that hear an event read the list of materials: a material
// that goes while the list changes must not make them read it half changed.
TEST_F(Solution, MaterialsGoWithoutRaisingEvents)
{
    ThreeMaterials();
    const size_t before = app.Events().size();
    EXPECT_TRUE(doc.RemoveMaterial(1));
    EXPECT_EQ(before, app.Events().size());
    doc.Reset();
    EXPECT_EQ(before, app.Events().size());
    EXPECT_EQ(0, doc.GetCount(false));
}

// Ticking a material on or off is a change of the project; ticking it back
// undoes it.
TEST_F(Solution, TheActiveFlagCountsAsAChange)
{
    ThreeMaterials();
    doc.UpdateFingerprint(true);
    for (long i = 0; i < 3; ++i)
        doc.GetProject(i, false)->UpdateFingerprint(true);
    ASSERT_FALSE(doc.IsModified());
    ASSERT_TRUE(doc.SetActive(0, false));
    EXPECT_TRUE(doc.IsModified());
    ASSERT_TRUE(doc.SetActive(0, true));
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(Solution, ModifiedFollowsEditsAndTheirUndoing)
{
    ASSERT_TRUE(doc.New("Plan A", "", "Steel"));
    doc.SetName("  Plan B\t");
    EXPECT_EQ("Plan B", doc.GetName());
    EXPECT_TRUE(doc.IsModified());
    doc.SetName("Plan A");
    EXPECT_FALSE(doc.IsModified());

    // A renamed material changes the names fingerprint alone.
    DCSProject* m = doc.GetProject(0, false);
    DocumentProbe::Props(*m).Set("material", "Iron");
    doc.UpdateFingerprint(false);
    EXPECT_TRUE(doc.IsModified());
    DocumentProbe::Props(*m).Set("material", "Steel");
    doc.UpdateFingerprint(false);
    EXPECT_FALSE(doc.IsModified());

    // The materials' own changes count.
    m->SetProperty("desc", "changed");
    m->UpdateFingerprint(false);
    EXPECT_TRUE(doc.IsModified());
    m->UpdateFingerprint(true);
    EXPECT_FALSE(doc.IsModified());

    ASSERT_TRUE(doc.AddMaterial("Wood", nullptr));
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(Solution, WarningsAreCollectedPerMaterialUnderItsName)
{
    ThreeMaterials();
    // M1 has an order; M2 (inactive) and M3 have none and so have findings.
    FillOrder(*doc.GetProject(0, false));
    const std::vector<DProps>& all = doc.CollectWarnings(false);
    ASSERT_EQ(2u, all.size());
    EXPECT_EQ("M2", all[0].Name());
    EXPECT_EQ("M3", all[1].Name());
    const std::vector<DProps>& active = doc.CollectWarnings(true);
    ASSERT_EQ(1u, active.size());
    EXPECT_EQ("M3", active[0].Name());
}

TEST_F(Solution, ExportTestsLookAtActiveMaterialsOnly)
{
    ASSERT_TRUE(doc.New("P", "", "M1"));
    ASSERT_TRUE(doc.AddMaterial("M2", nullptr));
    EXPECT_FALSE(doc.HasResults());
    DCSProject* m2 = doc.GetProject(1, false);
    m2->SetProperty("remnants", "100");
    FillSolved(*m2);
    SetRowValue(*m2, RowsPieces, 2, "orphans", "1");
    EXPECT_TRUE(doc.HasResults());
    EXPECT_TRUE(doc.HasRemnants());
    EXPECT_TRUE(doc.HasOrphans());
    doc.SetActive(1, false);
    EXPECT_FALSE(doc.HasResults());
    EXPECT_FALSE(doc.HasRemnants());
    EXPECT_FALSE(doc.HasOrphans());
}

TEST_F(Solution, ContentIdCoversNameDescAndActiveMaterials)
{
    ThreeMaterials();
    const std::string before = doc.GetContentId();
    EXPECT_EQ(8u, before.size());
    std::string expected = "P";
    expected += doc.GetProject(0, false)->GetContentId() + doc.GetProject(2, false)->GetContentId();
    char hex[16];
    snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(Crc32(expected.c_str())));
    EXPECT_EQ(hex, before);
    FillOrder(*doc.GetProject(1, false));  // inactive: no effect
    EXPECT_EQ(before, doc.GetContentId());
    doc.SetDesc("new");
    EXPECT_NE(before, doc.GetContentId());
}

}  // namespace

namespace {

TEST_F(Solution, AMaterialStaysInPlaceWhileTheListGrowsAndShrinks)
{
    ASSERT_TRUE(doc.New("P", "", "M0"));
    ASSERT_TRUE(doc.AddMaterial("M1", nullptr));
    DCSProject* second = doc.GetProject(1, false);
    for (int i = 2; i < 40; ++i)
        ASSERT_TRUE(doc.AddMaterial(("M" + std::to_string(i)).c_str(), nullptr));
    EXPECT_EQ(second, doc.GetProject(1, false));
    ASSERT_TRUE(doc.RemoveMaterial(0));
    EXPECT_EQ(second, doc.GetProject(0, false));
}

}  // namespace
