// The warnings list: one row per warning across the materials, the place
// with its words filled in and the status text of its code.
#include "dialogs/DlgMessages.h"

#include <commctrl.h>

#include "support/DialogFixture.h"
#include "dialogs/DialogIds.h"
#include "support/KeyPress.h"

namespace {

DProps Warnings(const char* material, std::vector<std::pair<const char*, const char*>> entries)
{
    DProps bag;
    bag.Name(material);
    for (auto& e : entries)
        bag.Set(e.first, e.second);
    return bag;
}

std::vector<std::string> Rows(const std::vector<DlgMessages::Row>& rows)
{
    std::vector<std::string> texts;
    for (const auto& r : rows)
        texts.push_back(r.material + "|" + r.place + "|" + r.message);
    return texts;
}

class MessagesList : public DialogTest {};

} // namespace

TEST(WarningRows, EveryEntryOfEveryBagIsARowWithItsWordsAndText)
{
    const std::vector<DProps> bags = {
        Warnings("Steel", {{"36", "${blanks.list}"}, {"102", "${project}"}}),
        Warnings("Pine", {{"43", "${piece} #3 (2500)"}, {"999", "no reference here"}, {"0", "done"}}),
    };
    EXPECT_EQ((std::vector<std::string>{
                  "Steel|Stock list|No stock is given",
                  "Steel|Project|Material is not specified",
                  "Pine|Part #3 (2500)|A part is longer than every stock",
                  "Pine|no reference here|Error",
                  "Pine|done|Done",
              }),
              Rows(DlgMessages::BuildRows(bags)));
}

TEST_F(MessagesList, EmptyBagsAndListsAreRefused)
{
    DlgMessages dialog(&main);
    EXPECT_FALSE(dialog.AddMessage(DProps()));
    EXPECT_FALSE(dialog.SetMessages({}));
    EXPECT_TRUE(dialog.GetMessages().empty());
    EXPECT_TRUE(dialog.AddMessage(Warnings("Steel", {{"36", "x"}})));
    EXPECT_EQ(1u, dialog.GetMessages().size());
}

TEST_F(MessagesList, TheDialogListsTheRowsUnderTheLocalesColumnTitles)
{
    DlgMessages dialog(&main);
    dialog.SetMessages({Warnings("Steel", {{"36", "${blanks.list}"}, {"37", "${pieces.list}"}}),
                        Warnings("Pine", {{"41", "${order}"}})});
    std::vector<std::string> titles, rows;
    UiScript script;
    script.OnWindow("Messages", [&](HWND d) {
        HWND list = GetDlgItem(d, IDC_MESSAGES_LIST);
        HWND header = ListView_GetHeader(list);
        for (int c = 0; c < Header_GetItemCount(header); ++c) {
            char text[128] = "";
            HDITEMA item = {};
            item.mask = HDI_TEXT;
            item.pszText = text;
            item.cchTextMax = sizeof(text);
            SendMessageA(header, HDM_GETITEMA, c, reinterpret_cast<LPARAM>(&item));
            titles.push_back(text);
        }
        for (int r = 0; r < ListView_GetItemCount(list); ++r) {
            char cells[3][256] = {};
            for (int c = 0; c < 3; ++c)
                ListView_GetItemText(list, r, c, cells[c], sizeof(cells[c]));
            rows.push_back(std::string(cells[0]) + "|" + cells[1] + "|" + cells[2]);
        }
        EXPECT_EQ("Close", WindowText(d, IDCANCEL));
        PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
    });
    script.Start();
    EXPECT_EQ(0, dialog.DoModal());
    EXPECT_EQ("", script.Failure());
    EXPECT_EQ((std::vector<std::string>{"Material", "Where", "Message"}), titles);
    EXPECT_EQ((std::vector<std::string>{"Steel|Stock list|No stock is given",
                                        "Steel|Parts list|No parts are given",
                                        "Pine|Order|Not enough stock"}),
              rows);
}

TEST_F(MessagesList, ATitleParameterReplacesTheCaption)
{
    DlgMessages dialog(&main);
    DProps params;
    params.Set("title", "Before calculating");
    dialog.CopyParams(params);
    dialog.SetMessages({Warnings("Steel", {{"36", "x"}})});
    UiScript script;
    script.OnWindow("Before calculating", [](HWND d) { PostMessageA(d, WM_COMMAND, IDOK, 0); });
    script.Start();
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ("", script.Failure());
}

// The list has the focus when the dialog opens; the keys reach Close and end
// the dialog as its buttons do.
TEST_F(MessagesList, TabReachesCloseAndEnterOrEscapeEndsTheList)
{
    struct Case {
        std::vector<UINT> keys;
        std::vector<int> focus;  // the control with the focus after each key but the last
        INT_PTR result;
    };
    const Case cases[] = {
        {{VK_ESCAPE}, {}, 0},
        {{VK_RETURN}, {}, IDOK},
        {{VK_TAB, VK_RETURN}, {IDCANCEL}, 0},
        {{VK_TAB, VK_TAB, VK_ESCAPE}, {IDCANCEL, IDC_MESSAGES_LIST}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys.size());
        DlgMessages dialog(&main);
        dialog.SetMessages({Warnings("Steel", {{"36", "${blanks.list}"}})});
        int start = 0;
        std::vector<int> focus;
        UiScript script;
        script.OnWindow("Messages", [&](HWND) {
            start = GetDlgCtrlID(GetFocus());
            for (size_t i = 0; i < c.keys.size(); ++i) {
                PressKey(c.keys[i]);
                if (i + 1 < c.keys.size())
                    focus.push_back(GetDlgCtrlID(GetFocus()));
            }
        });
        ExpectClosedByKeys(script, "Messages");
        script.Start();
        EXPECT_EQ(c.result, dialog.DoModal());
        EXPECT_EQ("", script.Failure());
        EXPECT_EQ(IDC_MESSAGES_LIST, start);
        EXPECT_EQ(c.focus, focus);
    }
}
