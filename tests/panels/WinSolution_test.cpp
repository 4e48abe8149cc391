// The project panel: filling from the document, enable states, the check box
// as the material's "active" flag, selection kept and made current, the
// name dialog, the commands that open dialogs, and the events it acts on.
#include "panels/WinSolution.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include "PanelHost.h"
#include "controls/ICList.h"
#include "controls/ICTab.h"
#include "dialogs/DialogIds.h"
#include "panels/PanelIds.h"
#include "support/UiScript.h"
#include "dialogs/DlgDelimited.h"
#include "support/MessageBoxAnswer.h"
#include "support/SolvedMaterial.h"

namespace {

class ProjectPanel : public PanelTest {
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        list = host.project->GetList();
        ASSERT_NE(nullptr, list);
    }
    bool Enabled(int id) { return IsWindowEnabled(host.project->GetDlgItem(id)) != FALSE; }
    HWND ListWindow() { return list->GetHwnd(); }
    std::string RowText(int row)
    {
        char text[256] = "";
        ListView_GetItemText(ListWindow(), row, 0, text, sizeof(text));
        return text;
    }
    void SetChecked(int row, bool on)
    {
        ListView_SetItemState(ListWindow(), row, INDEXTOSTATEIMAGEMASK(on ? 2 : 1), LVIS_STATEIMAGEMASK);
        Pump();
    }

    ICList* list = nullptr;
};

} // namespace

TEST_F(ProjectPanel, WithoutMaterialsEveryControlIsDisabledAndTheEditButtonHidden)
{
    for (int id : {IDC_PROJECT_ADD, IDC_PROJECT_REMOVE, IDC_PROJECT_CALC, IDC_PROJECT_MATERIALS,
                   IDC_PROJECT_MESSAGES, IDC_PROJECT_NAME})
        EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_FALSE(IsWindowVisible(host.project->GetDlgItem(IDC_PROJECT_EDIT)));
    OpenProject({"Steel"});
    for (int id : {IDC_PROJECT_ADD, IDC_PROJECT_REMOVE, IDC_PROJECT_CALC, IDC_PROJECT_MATERIALS,
                   IDC_PROJECT_NAME, IDC_PROJECT_MESSAGES})
        EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_TRUE(IsWindowVisible(host.project->GetDlgItem(IDC_PROJECT_EDIT)));
    // Nothing is calculated yet: no report, no export.
    EXPECT_FALSE(Enabled(IDC_PROJECT_REPORT));
    EXPECT_FALSE(Enabled(IDC_PROJECT_EXPORT));
    // Closing the project takes it all back.
    App().Document().Reset();
    App().OnAppEvent(kEventProjectClosed, 0);
    EXPECT_EQ(0, ListView_GetItemCount(ListWindow()));
    EXPECT_FALSE(Enabled(IDC_PROJECT_ADD));
    EXPECT_FALSE(IsWindowVisible(host.project->GetDlgItem(IDC_PROJECT_EDIT)));
}

TEST_F(ProjectPanel, TheListShowsEveryMaterialWithItsActiveFlagAndTheCurrentOneSelected)
{
    OpenProject({"Steel", "Pine", "Oak"});
    App().Document().SetActive(1, false);
    App().Document().SetCurrent(2);
    host.project->FillMaterials();
    ASSERT_EQ(3, ListView_GetItemCount(ListWindow()));
    EXPECT_EQ("Steel", RowText(0));
    EXPECT_EQ("Oak", RowText(2));
    EXPECT_EQ("Pine", list->GetRowAttribute(1, "material"));
    EXPECT_TRUE(list->IsRowChecked(0));
    EXPECT_FALSE(list->IsRowChecked(1));
    EXPECT_EQ(2, ListGetSelected(ListWindow()));
    char name[256] = "";
    GetWindowTextA(host.project->GetDlgItem(IDC_PROJECT_NAME), name, sizeof(name));
    EXPECT_STREQ("Garage", name);
    GetWindowTextA(host.project->GetDlgItem(IDC_PROJECT_DESC), name, sizeof(name));
    EXPECT_STREQ("Shelves", name);
}

TEST_F(ProjectPanel, TogglingACheckBoxMarksTheProjectModifiedWithoutAnEvent)
{
    OpenProject({"Steel", "Pine"});
    ASSERT_FALSE(App().Document().IsModified());
    const long current = App().Document().GetCurrent();
    SetChecked(1, false);
    EXPECT_EQ("0", App().Document().GetProject(1, false)->GetProperty("active"));
    EXPECT_TRUE(App().Document().IsModified());
    EXPECT_EQ(current, App().Document().GetCurrent());
    EXPECT_TRUE(host.events.empty());
    // The title and the File menu were told.
    EXPECT_GT(host.fileMenuUpdates, 0);
    char title[256] = "";
    GetWindowTextA(host.m_hWnd, title, sizeof(title));
    EXPECT_NE(nullptr, strstr(title, " *")) << title;
    // Ticked again: back as it was saved.
    SetChecked(1, true);
    EXPECT_EQ("1", App().Document().GetProject(1, false)->GetProperty("active"));
    EXPECT_FALSE(App().Document().IsModified());
}

TEST_F(ProjectPanel, ClickingANewRowMakesItCurrentAndRaisesCurrentMaterialChanged)
{
    OpenProject({"Steel", "Pine"});
    ListSelect(ListWindow(), 1, -1, 1);
    Pump();
    EXPECT_EQ(1, App().Document().GetCurrent());
    EXPECT_EQ(1, host.project->GetRememberedRow());
    EXPECT_EQ(std::vector<long>{kEventCurrentMaterialChanged}, host.Codes());
    EXPECT_TRUE(Enabled(IDC_PROJECT_REMOVE));
}

TEST_F(ProjectPanel, ALostSelectionComesBackAndIsMadeCurrentAgain)
{
    OpenProject({"Steel", "Pine"});
    ListSelect(ListWindow(), 1, -1, 1);
    Pump();
    host.events.clear();
    // Clicking below the rows clears the selection.
    ListView_SetItemState(ListWindow(), -1, 0, LVIS_SELECTED);
    Pump();
    EXPECT_EQ(1, ListGetSelected(ListWindow()));
    EXPECT_EQ(1, App().Document().GetCurrent());
    ASSERT_FALSE(host.events.empty());
    EXPECT_EQ(kEventCurrentMaterialChanged, host.events.back().code);
}

TEST_F(ProjectPanel, ItsOwnNotificationsOnlyAreTakenForASelectionChange)
{
    OpenProject({"Steel", "Pine"});
    // The dialog manager's DM_SETDEFID is WM_USER + 1: it is no selection change.
    SendMessageA(host.project->m_hWnd, WM_USER + 1, 0, 0);
    Pump();
    EXPECT_TRUE(host.events.empty());
}

TEST_F(ProjectPanel, RemoveAsksAndYesRemovesRefreshesAndRaisesTheEventsInOrder)
{
    OpenProject({"Steel", "Pine"});
    const std::string question = AnswerBoxShownBy(
        "KORVA Bravik", IDNO, [&] { SendMessageA(host.project->GetDlgItem(IDC_PROJECT_REMOVE), BM_CLICK, 0, 0); });
    EXPECT_EQ("Delete the material \"Steel\"?", question);
    EXPECT_EQ(2, App().Document().GetCount(false));
    EXPECT_TRUE(host.events.empty());

    AnswerBoxShownBy("KORVA Bravik", IDYES, [&] {
        SendMessageA(host.project->GetDlgItem(IDC_PROJECT_REMOVE), BM_CLICK, 0, 0);
        Pump();
    });
    ASSERT_EQ(1, App().Document().GetCount(false));
    EXPECT_EQ("Pine", RowText(0));
    EXPECT_EQ(1, ListView_GetItemCount(ListWindow()));
    std::vector<long> codes = host.Codes();
    ASSERT_GE(codes.size(), 2u);
    EXPECT_EQ(kEventMaterialsChanged, codes[0]);
    EXPECT_EQ(kEventCurrentMaterialChanged, codes[1]);
    // The header went back to the source page.
    EXPECT_EQ(0, host.header->GetTabs()->GetSelected());
}

TEST_F(ProjectPanel, AddAsksForANameAndListsTheNewMaterialAsCurrent)
{
    OpenProject({"Steel"});
    UiScript script;
    script.OnWindow("New Material", [](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_MATERIAL_EDIT, "  Pine  ");
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    script.Start();
    SendMessageA(host.project->GetDlgItem(IDC_PROJECT_ADD), BM_CLICK, 0, 0);
    Pump();
    EXPECT_EQ("", script.Failure());
    ASSERT_EQ(2, ListView_GetItemCount(ListWindow()));
    EXPECT_EQ("Pine", RowText(1));
    EXPECT_EQ(1, App().Document().GetCurrent());
    EXPECT_EQ(1, ListGetSelected(ListWindow()));
    EXPECT_TRUE(list->IsRowChecked(1));
}

TEST_F(ProjectPanel, EditingTheNameMarksTheProjectModifiedAndRefreshesNoPage)
{
    OpenProject({"Steel"});
    UiScript script;
    script.OnWindow("Edit Project", [](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_NAME_EDIT, "  Workshop  ");
        SetDlgItemTextA(dialog, IDC_DESC_EDIT, "");
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    script.Start();
    SendMessageA(host.project->GetDlgItem(IDC_PROJECT_EDIT), BM_CLICK, 0, 0);
    Pump();
    EXPECT_EQ("", script.Failure());
    EXPECT_EQ("Workshop", App().Document().GetName());
    EXPECT_EQ("", App().Document().GetDesc());
    EXPECT_TRUE(App().Document().IsModified());
    EXPECT_TRUE(host.events.empty());
    char name[256] = "";
    GetWindowTextA(host.project->GetDlgItem(IDC_PROJECT_NAME), name, sizeof(name));
    EXPECT_STREQ("Workshop", name);
}

TEST_F(ProjectPanel, MessagesListsTheWarningsOfEveryMaterial)
{
    OpenProject({"Steel"});
    ASSERT_TRUE(Enabled(IDC_PROJECT_MESSAGES));
    std::vector<std::string> rows;
    UiScript script;
    script.OnWindow("Messages", [&](HWND dialog) {
        HWND list = GetDlgItem(dialog, IDC_MESSAGES_LIST);
        for (int row = 0; row < ListView_GetItemCount(list); ++row) {
            char text[3][256] = {};
            for (int column = 0; column < 3; ++column)
                ListView_GetItemText(list, row, column, text[column], sizeof(text[column]));
            rows.push_back(std::string(text[0]) + "|" + text[1] + "|" + text[2]);
        }
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    script.Start();
    SendMessageA(host.project->GetDlgItem(IDC_PROJECT_MESSAGES), BM_CLICK, 0, 0);
    EXPECT_EQ("", script.Failure());
    EXPECT_EQ((std::vector<std::string>{"Steel|Stock list|No stock is given",
                                        "Steel|Parts list|No parts are given"}),
              rows);
}

TEST_F(ProjectPanel, MaterialsNeverCalculatedAreNeitherGreyNorReported)
{
    OpenProject({"Steel", "Wood"});
    // Sound orders, opened as from a file: each layout rebuilt from no
    // cutting rows, which leaves the whole order unplaced.
    for (long i = 0; i < 2; ++i) {
        DCSProject& material = *App().Document().GetProject(i, false);
        FillOrder(material);
        material.RestoreLayout();
        material.Refresh(true);
    }
    App().OnAppEvent(kEventProjectOpened, 0);
    Pump();

    EXPECT_FALSE(Enabled(IDC_PROJECT_MESSAGES));
    for (int row = 0; row < 2; ++row) {
        NMLVCUSTOMDRAW draw = {};
        draw.nmcd.hdr.hwndFrom = ListWindow();
        draw.nmcd.hdr.idFrom = IDC_PROJECT_MATERIALS;
        draw.nmcd.hdr.code = NM_CUSTOMDRAW;
        draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
        draw.nmcd.dwItemSpec = static_cast<DWORD_PTR>(row);
        draw.clrText = RGB(1, 2, 3);
        SendMessageA(host.project->m_hWnd, WM_NOTIFY, IDC_PROJECT_MATERIALS, reinterpret_cast<LPARAM>(&draw));
        EXPECT_EQ(RGB(1, 2, 3), draw.clrText) << RowText(row);
    }
}

TEST_F(ProjectPanel, CalculateRunsEveryActiveMaterialAndListsTheirFindings)
{
    OpenProject({"Steel"});
    ASSERT_TRUE(Enabled(IDC_PROJECT_CALC));
    bool progressShown = false, messagesShown = false;
    UiScript script;
    script.OnWindow("Calculating...", [&](HWND) { progressShown = true; });
    script.OnWindow("Messages", [&](HWND dialog) {
        messagesShown = true;
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    script.Start();
    SendMessageA(host.project->GetDlgItem(IDC_PROJECT_CALC), BM_CLICK, 0, 0);
    EXPECT_EQ("", script.Failure());
    EXPECT_TRUE(progressShown);
    EXPECT_TRUE(messagesShown);
}

TEST_F(ProjectPanel, TheExportMenuExportsTheUnplacedPartsOfTheActiveMaterials)
{
    OpenProject({"Steel", "Pine"});
    for (long i = 0; i < 2; ++i) {
        DCSProject* material = App().Document().GetProject(i, false);
        FillSolved(*material);
        material->ComputeOrphans();
    }
    host.project->UpdateEnableStates();
    ASSERT_TRUE(Enabled(IDC_PROJECT_EXPORT));
    App().Settings().Set("export.orphans.separator", ";");
    App().Settings().Set("export.orphans.format", "id;material;length;quantity");
    std::string output;
    UiScript script;
    script.ChooseFromMenu(3);
    ReadExportAndClose(script, output);
    script.Start();
    SendMessageA(host.project->GetDlgItem(IDC_PROJECT_EXPORT), BM_CLICK, 0, 0);
    EXPECT_EQ("", script.Failure());
    // One 700 of each material is left over, numbered across the materials.
    EXPECT_EQ("1;Steel;700;1\r\n2;Pine;700;1\r\n", output);
}

TEST_F(ProjectPanel, TheListTakesTheRestOfTheHeightAboveThreeRowsOfButtons)
{
    OpenProject({"Steel"});
    RECT client;
    GetClientRect(host.m_hWnd, &client);
    SetWindowPos(host.m_hWnd, nullptr, 0, 0, 700, 600, SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    RECT panel, exportButton, add, listRect;
    GetClientRect(host.project->m_hWnd, &panel);
    WinGetRectInParent(host.project->GetDlgItem(IDC_PROJECT_EXPORT), &exportButton);
    WinGetRectInParent(host.project->GetDlgItem(IDC_PROJECT_ADD), &add);
    WinGetRectInParent(ListWindow(), &listRect);
    const long half = listRect.left / 2;
    EXPECT_EQ(panel.bottom - half, exportButton.bottom);
    EXPECT_EQ(add.top - half, listRect.bottom);
    EXPECT_LT(add.bottom, exportButton.top);
}
