// The description page: the current material's two texts and their report
// flags, stored at every change, and kept whole however long.
#include "panels/WinInfo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PanelHost.h"
#include "foundation/PathUtil.h"
#include "panels/PanelIds.h"

namespace {

class InfoPage : public PanelTest {
protected:
    HWND Item(int id) { return host.info->GetDlgItem(id); }
    DCSProject* Current() { return App().Document().GetProject(-1, false); }
    bool Checked(int id) { return IsDlgButtonChecked(host.info->m_hWnd, id) == BST_CHECKED; }
    std::string TextOf(int id)
    {
        std::vector<char> buffer(static_cast<size_t>(GetWindowTextLengthA(Item(id))) + 1, '\0');
        GetWindowTextA(Item(id), buffer.data(), static_cast<int>(buffer.size()));
        return buffer.data();
    }
    void Click(int id) { SendMessageA(Item(id), BM_CLICK, 0, 0); }
};

} // namespace

TEST_F(InfoPage, ShowsTheCurrentMaterialsTextsAndFlags)
{
    OpenProject({"Steel", "Pine"});
    DCSProject* pine = App().Document().GetProject(1, false);
    pine->SetProperty("comment", "Dry wood only");
    pine->SetProperty("notes", "Cut long parts first");
    pine->SetProperty("comment.active", "2");
    pine->SetProperty("notes.active", "0");
    App().SelectMaterial(1);
    EXPECT_EQ(pine, host.info->GetMaterial());
    EXPECT_EQ("Dry wood only", TextOf(IDC_INFO_COMMENT));
    EXPECT_EQ("Cut long parts first", TextOf(IDC_INFO_NOTES));
    EXPECT_TRUE(Checked(IDC_INFO_COMMENT_ADD));
    EXPECT_FALSE(Checked(IDC_INFO_NOTES_ADD));
    // A material without the flags shows them cleared.
    App().SelectMaterial(0);
    EXPECT_EQ("", TextOf(IDC_INFO_COMMENT));
    EXPECT_FALSE(Checked(IDC_INFO_COMMENT_ADD));
    EXPECT_FALSE(Checked(IDC_INFO_NOTES_ADD));
}

TEST_F(InfoPage, EveryChangeIsStoredAndMarksTheProjectModified)
{
    OpenProject({"Steel"});
    ASSERT_FALSE(App().Document().IsModified());
    SetWindowTextA(Item(IDC_INFO_COMMENT), "Galvanised");
    SendMessageA(host.info->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_INFO_COMMENT, EN_CHANGE),
                 reinterpret_cast<LPARAM>(Item(IDC_INFO_COMMENT)));
    EXPECT_EQ("Galvanised", Current()->GetProperty("comment"));
    EXPECT_TRUE(App().Document().IsModified());
    char title[256] = "";
    GetWindowTextA(host.m_hWnd, title, sizeof(title));
    EXPECT_NE(nullptr, strstr(title, " *")) << title;

    Click(IDC_INFO_NOTES_ADD);
    EXPECT_EQ("1", Current()->GetProperty("notes.active"));
    Click(IDC_INFO_NOTES_ADD);
    EXPECT_EQ("0", Current()->GetProperty("notes.active"));
    EXPECT_TRUE(host.events.empty());
}

TEST_F(InfoPage, WithTheProjectClosedTheBoxesAreEmptyAndTypingStoresNothing)
{
    OpenProject({"Steel"});
    SetWindowTextA(Item(IDC_INFO_NOTES), "kept");
    SendMessageA(host.info->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_INFO_NOTES, EN_CHANGE),
                 reinterpret_cast<LPARAM>(Item(IDC_INFO_NOTES)));
    App().Document().Reset();
    App().OnAppEvent(kEventProjectClosed, 0);
    EXPECT_EQ(nullptr, host.info->GetMaterial());
    EXPECT_EQ("", TextOf(IDC_INFO_NOTES));
    SetWindowTextA(Item(IDC_INFO_NOTES), "lost");
    SendMessageA(host.info->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_INFO_NOTES, EN_CHANGE),
                 reinterpret_cast<LPARAM>(Item(IDC_INFO_NOTES)));
    EXPECT_EQ(0, App().Document().GetCount(false));
}

TEST_F(InfoPage, ALongNoteSurvivesSaveAndReopenByteForByte)
{
    OpenProject({"Steel"});
    std::string note;
    for (int i = 0; note.size() < 100000; ++i)
        note += "Line " + std::to_string(i) + " of the notes, cut carefully.\r\n";
    note.resize(100000);
    SetWindowTextA(Item(IDC_INFO_NOTES), note.c_str());
    SendMessageA(host.info->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_INFO_NOTES, EN_CHANGE),
                 reinterpret_cast<LPARAM>(Item(IDC_INFO_NOTES)));
    ASSERT_EQ(note.size(), Current()->GetProperty("notes").size());

    char folder[MAX_PATH] = "";
    GetTempPathA(sizeof(folder), folder);
    const std::string path = std::string(folder) + "bravik-long-note.brvk";
    ASSERT_TRUE(App().Document().Save(path.c_str()));
    App().Document().Reset();
    App().OnAppEvent(kEventProjectClosed, 0);
    ASSERT_TRUE(App().Document().Load(path.c_str()));
    DeleteFileA(path.c_str());
    App().OnAppEvent(kEventProjectOpened, 0);
    Pump();
    EXPECT_EQ(note, Current()->GetProperty("notes"));
    EXPECT_EQ(note, TextOf(IDC_INFO_NOTES));
}

TEST_F(InfoPage, AHiddenPageStaysHiddenWhenItIsResized)
{
    ShowWindow(host.info->m_hWnd, SW_HIDE);
    SetWindowPos(host.m_hWnd, nullptr, 0, 0, 950, 700, SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    EXPECT_FALSE(IsWindowVisible(host.info->m_hWnd));
    RECT notes;
    GetClientRect(host.info->m_hWnd, &notes);
    EXPECT_GT(notes.right, 0);
}

TEST_F(InfoPage, AHiddenPageTakesTheTextsAndTheSizeWhenItShows)
{
    // Filling or placing a box wraps its whole text; a hidden page waits.
    OpenProject({"Steel", "Pine"});
    DCSProject* pine = App().Document().GetProject(1, false);
    pine->SetProperty("comment", "Dry wood only");
    pine->SetProperty("notes", "Cut long parts first");
    pine->SetProperty("comment.active", "1");
    host.ShowSource();
    App().SelectMaterial(1);
    EXPECT_EQ(pine, host.info->GetMaterial());
    EXPECT_EQ("", TextOf(IDC_INFO_COMMENT));
    EXPECT_TRUE(Checked(IDC_INFO_COMMENT_ADD));
    RECT before;
    WinGetRectInParent(Item(IDC_INFO_NOTES), &before);
    SetWindowPos(host.m_hWnd, nullptr, 0, 0, 940, 690, SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    RECT hidden;
    WinGetRectInParent(Item(IDC_INFO_NOTES), &hidden);
    EXPECT_EQ(before.right, hidden.right);
    EXPECT_EQ(before.bottom, hidden.bottom);
    // Notifications of a box still waiting for its text store nothing.
    SendMessageA(host.info->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_INFO_COMMENT, EN_KILLFOCUS),
                 reinterpret_cast<LPARAM>(Item(IDC_INFO_COMMENT)));
    EXPECT_EQ("Dry wood only", pine->GetProperty("comment"));

    ShowWindow(host.source->m_hWnd, SW_HIDE);
    ShowWindow(host.info->m_hWnd, SW_SHOW);
    EXPECT_EQ("Dry wood only", TextOf(IDC_INFO_COMMENT));
    EXPECT_EQ("Cut long parts first", TextOf(IDC_INFO_NOTES));
    RECT page, heading, notes;
    GetClientRect(host.info->m_hWnd, &page);
    WinGetRectInParent(Item(IDC_INFO_COMMENT_TITLE), &heading);
    WinGetRectInParent(Item(IDC_INFO_NOTES), &notes);
    EXPECT_EQ(page.right - 4, heading.right);
    EXPECT_EQ(page.bottom - heading.left, notes.bottom);
    // Typing into the shown page stores again.
    SetWindowTextA(Item(IDC_INFO_COMMENT), "Oak");
    SendMessageA(host.info->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_INFO_COMMENT, EN_CHANGE),
                 reinterpret_cast<LPARAM>(Item(IDC_INFO_COMMENT)));
    EXPECT_EQ("Oak", pine->GetProperty("comment"));
}

TEST_F(InfoPage, TheBoxesFollowTheWidthAndTheNotesTheHeight)
{
    SetWindowPos(host.m_hWnd, nullptr, 0, 0, 900, 640, SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    RECT page, heading, comment, notes, check;
    GetClientRect(host.info->m_hWnd, &page);
    WinGetRectInParent(Item(IDC_INFO_COMMENT_TITLE), &heading);
    WinGetRectInParent(Item(IDC_INFO_COMMENT), &comment);
    WinGetRectInParent(Item(IDC_INFO_NOTES), &notes);
    WinGetRectInParent(Item(IDC_INFO_NOTES_ADD), &check);
    const long margin = heading.left;
    EXPECT_EQ(page.right - 4, heading.right);
    EXPECT_EQ(heading.right - margin, comment.right);
    EXPECT_EQ(heading.right - margin, notes.right);
    EXPECT_EQ(page.bottom - margin, notes.bottom);
    EXPECT_EQ(notes.right - notes.left, check.right - check.left);
}
