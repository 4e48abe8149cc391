// The material name dialog: what it refuses and why, what it hands back,
// and the application's add-material command around it.
#include "dialogs/DlgMaterial.h"

#include "support/DialogFixture.h"

#include <algorithm>
#include "dialogs/DialogIds.h"

namespace {

struct Seen {
    std::string message;
    bool ok = false;
};

class MaterialDialog : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        ASSERT_TRUE(App().Document().New("P", "", "Steel"));
        ASSERT_TRUE(App().Document().AddMaterial("Pine", nullptr));
        main.events.clear();
    }
    // Opens the dialog on the initial name, types each text in turn and
    // records the message line and OK after each; then cancels.
    std::vector<Seen> Type(const char* initial, std::vector<const char*> texts, std::string* title = nullptr,
                           Seen* atOpening = nullptr, INT_PTR* result = nullptr)
    {
        DlgMaterial dialog(&main);
        DProps params;
        params.Set("title", "title.project");
        params.Set("material", initial);
        dialog.SetParams(params);
        std::vector<Seen> seen;
        UiScript script;
        script.Then([&] { return dialog.m_hWnd && IsWindowVisible(dialog.m_hWnd); },
                    [&] {
                        HWND d = dialog.m_hWnd;
                        if (title) {
                            char text[256] = "";
                            GetWindowTextA(d, text, sizeof(text));
                            *title = text;
                        }
                        if (atOpening)
                            *atOpening = {WindowText(d, IDC_MATERIAL_MESSAGE), Enabled(d, IDOK)};
                        for (const char* text : texts) {
                            SetDlgItemTextA(d, IDC_MATERIAL_EDIT, text);
                            seen.push_back({WindowText(d, IDC_MATERIAL_MESSAGE), Enabled(d, IDOK)});
                        }
                        PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
                    });
        script.Start();
        const INT_PTR r = dialog.DoModal();
        if (result)
            *result = r;
        EXPECT_EQ("", script.Failure());
        return seen;
    }
};

const char* const kExists = "This material already exists.\r\nPlease use another name.";
const char* const kEmpty = "Material is not specified";
const char* const kUnfit = "A project file cannot keep this name.\r\nPlease use another name.";

} // namespace

TEST_F(MaterialDialog, ANewMaterialNeedsANameTheProjectDoesNotHave)
{
    std::string title;
    Seen opening;
    INT_PTR result = -5;
    auto seen = Type("", {"Oak", "Pine", "  ", "pine", "a-->b", "#solution", "Oak"}, &title, &opening, &result);
    EXPECT_EQ("New Material", title);
    EXPECT_EQ("", opening.message);
    EXPECT_FALSE(opening.ok);
    ASSERT_EQ(7u, seen.size());
    EXPECT_EQ("", seen[0].message);
    EXPECT_TRUE(seen[0].ok);
    EXPECT_EQ(kExists, seen[1].message);
    EXPECT_FALSE(seen[1].ok);
    // Blanks only: not valid, and no message for a new material.
    EXPECT_EQ("", seen[2].message);
    EXPECT_FALSE(seen[2].ok);
    // Names differ by their bytes: another case is another name.
    EXPECT_TRUE(seen[3].ok);
    // Names the project file could not give back.
    EXPECT_EQ(kUnfit, seen[4].message);
    EXPECT_FALSE(seen[4].ok);
    EXPECT_EQ(kUnfit, seen[5].message);
    EXPECT_FALSE(seen[5].ok);
    EXPECT_TRUE(seen[6].ok);
    EXPECT_EQ(0, result);
}

TEST_F(MaterialDialog, RenamingStartsWithTheNameSelectedAndOkDisabled)
{
    Seen opening;
    auto seen = Type("Pine", {"", "Pine", "Birch"}, nullptr, &opening);
    EXPECT_EQ("", opening.message);
    EXPECT_FALSE(opening.ok);
    ASSERT_EQ(3u, seen.size());
    EXPECT_EQ(kEmpty, seen[0].message);
    EXPECT_FALSE(seen[0].ok);
    // The unchanged name: no message, yet nothing to take.
    EXPECT_EQ("", seen[1].message);
    EXPECT_FALSE(seen[1].ok);
    EXPECT_TRUE(seen[2].ok);
}

TEST_F(MaterialDialog, OkHandsBackTheTrimmedNameAndEnterOnAnInvalidNameKeepsItOpen)
{
    DlgMaterial dialog(&main);
    DProps params;
    params.Set("material", "");
    dialog.SetParams(params);
    bool stillOpen = false;
    UiScript script;
    script.Then([&] { return dialog.m_hWnd && IsWindowVisible(dialog.m_hWnd); },
                [&] {
                    SetDlgItemTextA(dialog.m_hWnd, IDC_MATERIAL_EDIT, "Pine");
                    // The dialog manager's Enter reaches OK even while it is disabled.
                    SendMessageA(dialog.m_hWnd, WM_COMMAND, IDOK, 0);
                    stillOpen = IsWindowVisible(dialog.m_hWnd) != FALSE;
                    SetDlgItemTextA(dialog.m_hWnd, IDC_MATERIAL_EDIT, "\t Larch  ");
                    PostMessageA(dialog.m_hWnd, WM_COMMAND, IDOK, 0);
                });
    script.Start();
    EXPECT_EQ(1, dialog.DoModal());
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ("Larch", DProps::GetString(dialog.Params(), "material", ""));
}

TEST_F(MaterialDialog, TheCaptionIsTheMaterialWordWithoutATitleKey)
{
    DlgMaterial dialog(&main);
    std::string title;
    UiScript script;
    script.Then([&] { return dialog.m_hWnd && IsWindowVisible(dialog.m_hWnd); },
                [&] {
                    char text[256] = "";
                    GetWindowTextA(dialog.m_hWnd, text, sizeof(text));
                    title = text;
                    PostMessageA(dialog.m_hWnd, WM_CLOSE, 0, 0);
                });
    script.Start();
    EXPECT_EQ(0, dialog.DoModal());
    EXPECT_EQ("Material", title);
}

TEST_F(MaterialDialog, AddMaterialAddsTheNameAsTheCurrentMaterialAndTellsTheMainWindow)
{
    UiScript script;
    script.OnWindow("New Material", [](HWND d) {
        SetDlgItemTextA(d, IDC_MATERIAL_EDIT, "Oak");
        PostMessageA(d, WM_COMMAND, IDOK, 0);
    });
    script.Start();
    EXPECT_TRUE(App().AddMaterial());
    EXPECT_EQ(3, App().Document().GetCount(false));
    EXPECT_EQ(2, App().Document().GetCurrent());
    EXPECT_EQ("Oak", App().Document().GetProject(-1, false)->GetProperty("material"));
    // A new material also reports its (empty) solutions as it is made.
    std::vector<long> codes = main.Codes();
    codes.erase(std::remove(codes.begin(), codes.end(), kEventSolutionsChanged), codes.end());
    EXPECT_EQ(std::vector<long>{kEventMaterialsChanged}, codes);

    main.events.clear();
    UiScript cancel;
    cancel.OnWindow("New Material", [](HWND d) { PostMessageA(d, WM_COMMAND, IDCANCEL, 0); });
    cancel.Start();
    EXPECT_FALSE(App().AddMaterial());
    EXPECT_EQ(3, App().Document().GetCount(false));
    EXPECT_TRUE(main.events.empty());
}
