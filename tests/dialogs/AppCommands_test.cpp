// The application's material commands: choosing, removing, refreshing and
// counting materials, and showing the project's warnings.
#include "appsvc/OXRApp.h"

#include "support/DialogFixture.h"
#include "support/MessageBoxAnswer.h"

#include <commctrl.h>
#include "dialogs/DialogIds.h"

namespace {

class MaterialCommands : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        ASSERT_TRUE(App().Document().New("P", "", "Steel"));
        ASSERT_TRUE(App().Document().AddMaterial("Pine", nullptr));
        App().Document().UpdateFingerprint(true);
        main.events.clear();
    }
};

} // namespace

TEST_F(MaterialCommands, SelectingRaisesCurrentMaterialChangedEvenForTheCurrentMaterial)
{
    EXPECT_EQ(0, App().SelectMaterial(0));
    EXPECT_EQ(1, App().SelectMaterial(1));
    EXPECT_EQ(1, App().Document().GetCurrent());
    EXPECT_EQ((std::vector<long>{kEventCurrentMaterialChanged, kEventCurrentMaterialChanged}), main.Codes());
    main.events.clear();
    EXPECT_EQ(-1, App().SelectMaterial(2));
    EXPECT_EQ(-1, App().SelectMaterial(-1));
    EXPECT_TRUE(main.events.empty());
    EXPECT_EQ(1, App().Document().GetCurrent());
    EXPECT_EQ(0, App().BusyCount());
}

TEST_F(MaterialCommands, RemovingAsksAndOnlyYesRemoves)
{
    const std::string question =
        AnswerBoxShownBy("KORVA Bravik", IDNO, [] { EXPECT_FALSE(App().DeleteMaterial(-1)); });
    EXPECT_EQ("Delete the material \"Steel\"?", question);
    EXPECT_EQ(2, App().Document().GetCount(false));
    EXPECT_TRUE(main.events.empty());

    App().Document().SetCurrent(1);
    AnswerBoxShownBy("KORVA Bravik", IDYES, [] { EXPECT_TRUE(App().DeleteMaterial(-1)); });
    EXPECT_EQ(1, App().Document().GetCount(false));
    EXPECT_EQ(0, App().Document().GetCurrent());
    EXPECT_EQ((std::vector<long>{kEventMaterialsChanged, kEventCurrentMaterialChanged}), main.Codes());
}

TEST_F(MaterialCommands, InAutomationRemovingAsksNobody)
{
    App().SetAutomation(1);
    EXPECT_TRUE(App().DeleteMaterial(-1));
    EXPECT_EQ(1, App().Document().GetCount(false));
    App().Document().Reset();
    EXPECT_FALSE(App().DeleteMaterial(-1));
}

TEST_F(MaterialCommands, NoMaterialIsReadyBeforeItHasAnAppliedSolution)
{
    EXPECT_EQ(0, App().CountReadyMaterials());
    App().Document().Reset();
    EXPECT_EQ(0, App().CountReadyMaterials());
}

TEST_F(MaterialCommands, ResettingTheCurrentMaterialTakesAnEditIntoTheTitle)
{
    DCSProject* current = App().Document().GetProject(-1, false);
    const int updates = main.fileMenuUpdates;
    current->SetProperty("comment", "edited");
    App().ResetCurrentMaterial();
    EXPECT_TRUE(App().Document().IsModified());
    EXPECT_GT(main.fileMenuUpdates, updates);
    char title[256] = "";
    GetWindowTextA(main.m_hWnd, title, sizeof(title));
    EXPECT_NE(nullptr, strstr(title, " *")) << title;
}

TEST_F(MaterialCommands, TheWarningsAreAskedForOrShown)
{
    EXPECT_TRUE(App().ShowSolutionMessages(true));
    std::vector<std::string> rows;
    UiScript script;
    script.OnWindow("Messages", [&](HWND d) {
        HWND list = GetDlgItem(d, IDC_MESSAGES_LIST);
        for (int r = 0; r < ListView_GetItemCount(list); ++r) {
            char text[256] = "";
            ListView_GetItemText(list, r, 0, text, sizeof(text));
            rows.push_back(text);
        }
        PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
    });
    script.Start();
    EXPECT_TRUE(App().ShowSolutionMessages(false));
    EXPECT_EQ((std::vector<std::string>{"Steel", "Steel", "Pine", "Pine"}), rows);
    App().Document().Reset();
    EXPECT_FALSE(App().ShowSolutionMessages(true));
    EXPECT_FALSE(App().ShowSolutionMessages(false));
}
