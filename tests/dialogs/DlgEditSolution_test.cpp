// The project name dialog in its two modes: what it requires, its note, and
// what it hands back.
#include "dialogs/DlgEditSolution.h"

#include "support/DialogFixture.h"

#include <functional>
#include <vector>

#include "dialogs/DialogIds.h"

namespace {

struct Outcome {
    std::string title;
    std::string noteAtOpening;
    bool okAtOpening = false;
    std::vector<std::string> notes;
    std::vector<bool> oks;
    INT_PTR result = -5;
    DProps params;
};

// Opens the dialog with the bag, runs the steps (each may type and is
// followed by a look at the note and OK), then presses the final button.
Outcome RunDialog(UINT templateId, CWnd* parent, const DProps& in,
            std::vector<std::function<void(HWND)>> steps, UINT finalButton)
{
    Outcome out;
    DlgEditSolution dialog(templateId, parent);
    dialog.SetParams(in);
    UiScript script;
    script.Then([&] { return dialog.m_hWnd && IsWindowVisible(dialog.m_hWnd); },
                [&] {
                    HWND d = dialog.m_hWnd;
                    char text[256] = "";
                    GetWindowTextA(d, text, sizeof(text));
                    out.title = text;
                    out.noteAtOpening = WindowText(d, IDC_NOTE);
                    out.okAtOpening = Enabled(d, IDOK);
                    for (auto& step : steps) {
                        step(d);
                        out.notes.push_back(WindowText(d, IDC_NOTE));
                        out.oks.push_back(Enabled(d, IDOK));
                    }
                    PostMessageA(d, WM_COMMAND, finalButton, 0);
                });
    script.Start();
    out.result = dialog.DoModal();
    EXPECT_EQ("", script.Failure());
    out.params.CopyFrom(&dialog.Params(), 0, -1);
    return out;
}

std::function<void(HWND)> Set(int id, const char* text)
{
    return [id, text](HWND d) { SetDlgItemTextA(d, id, text); };
}

DProps Params(const char* mode, const char* name, const char* desc)
{
    DProps p;
    p.Set("mode", mode);
    p.Set("name", name);
    p.Set("desc", desc);
    p.Set("material", "");
    return p;
}

class ProjectDialog : public DialogTest {};

} // namespace

TEST_F(ProjectDialog, CreatingAProjectNeedsANameAndAFirstMaterial)
{
    Outcome out = RunDialog(IDD_EDITSOLUTION_NEW, &main, Params("1", "", ""),
                      {Set(IDC_NAME_EDIT, "   "), Set(IDC_NAME_EDIT, "  Garage  "),
                       Set(IDC_MATERIAL_EDIT, "a-->b"), Set(IDC_MATERIAL_EDIT, " Pine 40x20 "),
                       Set(IDC_DESC_EDIT, "  Two shelves  ")},
                      IDOK);
    EXPECT_EQ("Create Project", out.title);
    EXPECT_EQ("Name is not specified\r\nMaterial is not specified", out.noteAtOpening);
    EXPECT_FALSE(out.okAtOpening);
    ASSERT_EQ(5u, out.notes.size());
    EXPECT_EQ("Name is not specified\r\nMaterial is not specified", out.notes[0]);
    EXPECT_EQ("Material is not specified", out.notes[1]);
    EXPECT_FALSE(out.oks[1]);
    EXPECT_EQ("A project file cannot keep this material name", out.notes[2]);
    EXPECT_FALSE(out.oks[2]);
    EXPECT_EQ("", out.notes[3]);
    EXPECT_TRUE(out.oks[3]);
    EXPECT_EQ(1, out.result);
    EXPECT_EQ("Garage", DProps::GetString(out.params, "name", ""));
    EXPECT_EQ("Two shelves", DProps::GetString(out.params, "desc", ""));
    EXPECT_EQ("Pine 40x20", DProps::GetString(out.params, "material", ""));
}

TEST_F(ProjectDialog, EditingNeedsTheNameOnlyAndTakesAnEmptyDescription)
{
    Outcome out = RunDialog(IDD_EDITSOLUTION, &main, Params("", "Garage", "Shelves"), {Set(IDC_DESC_EDIT, "")}, IDOK);
    EXPECT_EQ("Edit Project", out.title);
    EXPECT_EQ("", out.noteAtOpening);
    EXPECT_TRUE(out.okAtOpening);
    EXPECT_EQ(1, out.result);
    EXPECT_EQ("Garage", DProps::GetString(out.params, "name", ""));
    EXPECT_EQ("", DProps::GetString(out.params, "desc", "x"));

    Outcome cleared = RunDialog(IDD_EDITSOLUTION, &main, Params("0", "Garage", ""), {Set(IDC_NAME_EDIT, "")}, IDCANCEL);
    EXPECT_EQ("Name is not specified", cleared.notes[0]);
    EXPECT_FALSE(cleared.oks[0]);
    // Cancelled: nothing is stored.
    EXPECT_EQ(0, cleared.result);
    EXPECT_EQ("Garage", DProps::GetString(cleared.params, "name", ""));
}

TEST_F(ProjectDialog, ALocaleMessageWithAWrittenLineBreakShowsOnTwoLines)
{
    DProps original;
    ASSERT_TRUE(App().Locale().GetSection("dialog.editsolution", original));
    DProps section(original);
    section.Set("error.name.empty", "Name is\\r\\nmissing");
    App().Locale().SetSection("dialog.editsolution", section);
    Outcome out = RunDialog(IDD_EDITSOLUTION, &main, Params("", "", ""), {}, IDCANCEL);
    App().Locale().SetSection("dialog.editsolution", original);
    EXPECT_EQ("Name is\r\nmissing", out.noteAtOpening);
}

TEST_F(ProjectDialog, OkWithSomethingMissingKeepsTheDialogOpen)
{
    bool stillOpen = false;
    Outcome out = RunDialog(IDD_EDITSOLUTION_NEW, &main, Params("1", "Garage", ""),
                      {[&](HWND d) {
                          SendMessageA(d, WM_COMMAND, IDOK, 0);
                          stillOpen = IsWindowVisible(d) != FALSE;
                      }},
                      IDCANCEL);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(0, out.result);
}
