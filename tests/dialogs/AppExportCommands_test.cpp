// The application's exports of the active materials' results: what reaches
// the export dialog, what OK and Close keep, and a file named by the caller
// or a script, neither of which waits for a dialog.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "appsvc/OXRApp.h"
#include "dialogs/DlgExport.h"
#include "document/DCSProject.h"
#include "support/DialogFixture.h"
#include "support/DocumentProbe.h"

namespace {

DProps Cutting(const char* copies, const char* remains)
{
    return RowOf({{"blank", "1"}, {"copies", copies}, {"remains", remains}, {"signature", "1#a1-"}});
}

// Picks the separator entry that begins with the character, as the user would.
void ChooseSeparator(HWND window, char separator)
{
    HWND combo = GetDlgItem(window, DlgDelimited::kSeparator);
    const long count = static_cast<long>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (long i = 0; i < count; ++i) {
        char text[128] = "";
        SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        if (text[0] == separator) {
            SendMessageA(combo, CB_SETCURSEL, i, 0);
            SendMessageA(window, WM_COMMAND, MAKEWPARAM(DlgDelimited::kSeparator, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(combo));
            return;
        }
    }
    ADD_FAILURE() << "no separator " << separator;
}

class AppExports : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        ASSERT_TRUE(App().Document().New("P", "", "Steel"));
        material = App().Document().GetProject(0, false);
        material->AppendRows({RowOf({{"length", "6000"}, {"quantity", "5"}, {"knife", "3"}})}, 1);
        material->AppendRows({RowOf({{"length", "1500"}, {"quantity", "4"}})}, 2);
        material->SetProperty("remnants", "500");
        App().Settings().Set("length.digits", "2");
        App().LoadNumberFormats();
        DocumentProbe::Cuttings(*material) = {Cutting("3", "500.5"), Cutting("2", "500"), Cutting("4", "0")};
        App().Settings().Set("export.remnants.separator", ";");
        App().Settings().Set("export.remnants.fields", "id;length;quantity");
    }

    DCSProject* material = nullptr;
};

TEST_F(AppExports, RemnantsAboveTheOptionReachTheDialogAndOkKeepsItsChoices)
{
    std::string output;
    UiScript script;
    script.OnWindow("Export", [&](HWND window) {
        output = WindowText(window, DlgDelimited::kText);
        ChooseSeparator(window, ',');
        SendMessageA(window, WM_COMMAND, IDOK, 0);
    });
    script.Start();
    EXPECT_TRUE(App().ExportRemnants());
    EXPECT_EQ("", script.Failure());
    // 500.5 is longer than the option and goes with its three copies; an
    // offcut of exactly 500 is no remnant.
    EXPECT_EQ("1;" + FormatLengthText("500.5", false) + ";3\r\n", output);
    EXPECT_NE(FormatLengthText("500.5", false), FormatLengthText("500", false));
    EXPECT_EQ(",", App().Settings().Get("export.remnants.separator", "").ToStdString());
    EXPECT_EQ("id;length;quantity", App().Settings().Get("export.remnants.fields", "").ToStdString());
}

TEST_F(AppExports, CloseReportsFalseAndKeepsTheStoredChoices)
{
    UiScript script;
    script.OnWindow("Export", [&](HWND window) {
        ChooseSeparator(window, ',');
        SendMessageA(window, WM_COMMAND, IDCANCEL, 0);
    });
    script.Start();
    EXPECT_FALSE(App().ExportRemnants());
    EXPECT_EQ("", script.Failure());
    EXPECT_EQ(";", App().Settings().Get("export.remnants.separator", "").ToStdString());
}

TEST_F(AppExports, NothingToExportIsNoFailureAndShowsNothing)
{
    // No offcut is longer than 6000; no part is unplaced; an inactive
    // material gives no cuttings.
    material->SetProperty("remnants", "6000");
    EXPECT_TRUE(App().ExportRemnants());
    EXPECT_TRUE(App().ExportOrphans());
    ASSERT_TRUE(App().Document().SetActive(0, false));
    EXPECT_TRUE(App().ExportCuttings());
    EXPECT_EQ(nullptr, UiScript::FindThreadWindow("Export", false));
}

TEST_F(AppExports, ANamedFileTakesTheStoredChoicesWithoutADialog)
{
    const std::string path = App().MakeDataPath("remnants.txt").ToStdString();
    for (uint8_t automation : {0, 1}) {
        App().SetAutomation(automation);
        std::remove(path.c_str());
        EXPECT_TRUE(App().ExportRemnants(path.c_str()));
        std::ifstream file(path, std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        EXPECT_EQ("1;" + FormatLengthText("500.5", false) + ";3\r\n", text.str()) << int(automation);
        EXPECT_EQ(nullptr, UiScript::FindThreadWindow("Export", false));
    }
    std::remove(path.c_str());
}

TEST_F(AppExports, AScriptThatNamesNoFileExportsNothing)
{
    App().SetAutomation(1);
    const std::string besideProject = App().MakeDataPath("remnants.txt").ToStdString();
    std::remove(besideProject.c_str());
    EXPECT_FALSE(App().ExportRemnants());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(besideProject.c_str()));
    EXPECT_EQ(nullptr, UiScript::FindThreadWindow("Export", false));
}

} // namespace
