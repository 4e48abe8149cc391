// The settings dialog and the Options command around it: the choice lists
// from the locale, when OK may be pressed, the decimal note, the printer
// exclusions, and what accepting and cancelling leave in the settings.
#include "dialogs/DlgSettings.h"

#include "support/DialogFixture.h"

#include <commctrl.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "dialogs/DialogIds.h"
#include "support/DialogDriving.h"

namespace {

const char* const kFormatKeys[] = {"decimal.separator", "list.separator", "pieces.units", "length.units",
                                   "length.digits",     "length.zeroes",  "cost.units",   "cost.digits",
                                   "cost.zeroes",       "excluded"};

std::vector<std::string> ComboItems(HWND dialog, int id)
{
    std::vector<std::string> items;
    const long count = static_cast<long>(SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0));
    for (long i = 0; i < count; ++i) {
        char text[256] = "";
        SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

long Selection(HWND dialog, int id)
{
    return static_cast<long>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0));
}

// As a user picks an item: the selection, then the notification a pick sends.
void Choose(HWND dialog, int id, long index)
{
    HWND combo = GetDlgItem(dialog, id);
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

void ClickBox(HWND dialog, int id)
{
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// Ticks or clears a printer's box as a click on it would.
void SetPrinterChecked(HWND dialog, int row, bool checked)
{
    ListView_SetItemState(GetDlgItem(dialog, IDC_SETTINGS_PRINTERS), row, INDEXTOSTATEIMAGEMASK(checked ? 2 : 1),
                          LVIS_STATEIMAGEMASK);
}

bool PrinterChecked(HWND dialog, int row)
{
    return (ListView_GetItemState(GetDlgItem(dialog, IDC_SETTINGS_PRINTERS), row, LVIS_STATEIMAGEMASK) >> 12) == 2;
}

class SettingsDialog : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        for (const char* key : kFormatKeys)
            App().Settings().Set(key, "");
        App().Settings().Set("decimal.separator", "1");
        App().LoadNumberFormats();
        App().PrinterNames().Clear();
        App().ExcludedPrinters().clear();
        main.events.clear();
    }
    void TearDown() override
    {
        App().Settings().Load("");
        for (const char* key : kFormatKeys)
            App().Settings().Set(key, "");
        App().LoadNumberFormats();
        if (!settingsFile.empty())
            remove(settingsFile.c_str());
        App().PrinterNames().Clear();
        App().ExcludedPrinters().clear();
        DialogTest::TearDown();
    }

    static DProps Formats(const char* decimal = "1", const char* lengthZeroes = "1")
    {
        return RowOf({{"decimal", decimal},
                    {"list.separator", "1"},
                    {"pieces.units", "0"},
                    {"length.units", "1"},
                    {"length.digits", "2"},
                    {"length.zeroes", lengthZeroes},
                    {"cost.units", "1"},
                    {"cost.digits", "2"},
                    {"cost.zeroes", "0"}});
    }

    // Opens the dialog on the bag, runs the actions once it shows and ends
    // it with the button `end`.
    INT_PTR Run(DlgSettings& dialog, const DProps& params, const std::function<void(HWND)>& act)
    {
        dialog.CopyParams(params);
        UiScript script;
        script.Then([&] { return dialog.m_hWnd && IsWindowVisible(dialog.m_hWnd); },
                    [&] {
                        act(dialog.m_hWnd);
                        PostMessageA(dialog.m_hWnd, WM_COMMAND, end, 0);
                    },
                    "the settings dialog");
        script.Start();
        const INT_PTR result = dialog.DoModal();
        EXPECT_EQ("", script.Failure());
        return result;
    }

    // The Options command with the actions done in its dialog.
    void Options(const std::function<void(HWND)>& act, const std::function<void(HWND)>& refresh = nullptr)
    {
        UiScript script;
        script.OnWindow("Settings", [&](HWND dialog) {
            act(dialog);
            PostMessageA(dialog, WM_COMMAND, end, 0);
        });
        script.Start();
        App().ShowOptions(refresh);
        EXPECT_EQ("", script.Failure());
    }

    // The settings are written to a file of their own.
    void UseSettingsFile()
    {
        char folder[MAX_PATH] = "";
        GetTempPathA(sizeof(folder), folder);
        settingsFile = std::string(folder) + "bravik-settings-test.properties";
        remove(settingsFile.c_str());
        App().Settings().Load(settingsFile.c_str());
    }

    int end = IDOK;
    std::string settingsFile;
};

} // namespace

TEST_F(SettingsDialog, ListsComeFromTheLocaleWithTheirSeparatorsWhole)
{
    DlgSettings dialog(&main);
    std::string title;
    std::vector<std::vector<std::string>> lists;
    std::vector<long> selections;
    bool lengthZeroes = false;
    bool costZeroes = true;
    end = IDCANCEL;
    Run(dialog, Formats(), [&](HWND d) {
        title = WindowText(d, 0);
        for (int id : {IDC_SETTINGS_SEPARATOR, IDC_SETTINGS_DECIMAL, IDC_SETTINGS_PCS_UNITS, IDC_SETTINGS_LENGTH_UNITS,
                       IDC_SETTINGS_LENGTH_DIGITS, IDC_SETTINGS_COST_UNITS, IDC_SETTINGS_COST_DIGITS}) {
            lists.push_back(ComboItems(d, id));
            selections.push_back(Selection(d, id));
        }
        lengthZeroes = IsDlgButtonChecked(d, IDC_SETTINGS_LENGTH_ZEROES) == BST_CHECKED;
        costZeroes = IsDlgButtonChecked(d, IDC_SETTINGS_COST_ZEROES) == BST_CHECKED;
    });
    EXPECT_EQ("Settings", title);
    ASSERT_EQ(7u, lists.size());
    EXPECT_EQ((std::vector<std::string>{"(space)", "; (semi-colon)", "| (vert. bar)", ", (comma)", "/ (slash)",
                                        ": (colon)"}),
              lists[0]);
    EXPECT_EQ((std::vector<std::string>{"(system)", ". (dot)", ", (comma)"}), lists[1]);
    EXPECT_EQ((std::vector<std::string>{"(do not display)", "pcs (pieces)"}), lists[2]);
    EXPECT_EQ(5u, lists[3].size());
    EXPECT_EQ((std::vector<std::string>{"0", "1", "2", "3"}), lists[4]);
    EXPECT_EQ(4u, lists[5].size());
    EXPECT_EQ((std::vector<std::string>{"0", "1", "2"}), lists[6]);
    EXPECT_EQ((std::vector<long>{1, 1, 0, 1, 2, 1, 2}), selections);
    EXPECT_TRUE(lengthZeroes);
    EXPECT_FALSE(costZeroes);
}

TEST_F(SettingsDialog, OkWaitsForAChangeAndUndoingItDisablesItAgain)
{
    App().PrinterNames().Set("Office", "Printer");
    DlgSettings dialog(&main);
    std::vector<bool> ok;
    end = IDCANCEL;
    Run(dialog, Formats(), [&](HWND d) {
        ok.push_back(Enabled(d, IDOK));
        Choose(d, IDC_SETTINGS_LENGTH_UNITS, 3);
        ok.push_back(Enabled(d, IDOK));
        Choose(d, IDC_SETTINGS_LENGTH_UNITS, 1);
        ok.push_back(Enabled(d, IDOK));
        SetPrinterChecked(d, 0, false);
        ok.push_back(Enabled(d, IDOK));
        SetPrinterChecked(d, 0, true);
        ok.push_back(Enabled(d, IDOK));
        ClickBox(d, IDC_SETTINGS_COST_ZEROES);
        ok.push_back(Enabled(d, IDOK));
    });
    EXPECT_EQ((std::vector<bool>{false, true, false, true, false, true}), ok);
}

TEST_F(SettingsDialog, ABoxStoredAsTwoShowsClearedAndTwoTogglesStillDifferFromIt)
{
    DlgSettings dialog(&main);
    bool checked = true;
    bool ok = false;
    end = IDCANCEL;
    Run(dialog, Formats("1", "2"), [&](HWND d) {
        checked = IsDlgButtonChecked(d, IDC_SETTINGS_LENGTH_ZEROES) == BST_CHECKED;
        ClickBox(d, IDC_SETTINGS_LENGTH_ZEROES);
        ClickBox(d, IDC_SETTINGS_LENGTH_ZEROES);
        ok = Enabled(d, IDOK);
    });
    EXPECT_FALSE(checked);
    EXPECT_TRUE(ok);
    EXPECT_EQ("0", DProps::GetString(dialog.Params(), "length.zeroes", ""));
}

TEST_F(SettingsDialog, TheDecimalNoteFollowsTheChoice)
{
    App().SetSystemDecimal("#");
    DlgSettings dialog(&main);
    std::vector<std::string> notes;
    end = IDCANCEL;
    Run(dialog, Formats("0"), [&](HWND d) {
        notes.push_back(WindowText(d, IDC_SETTINGS_DECIMAL_NOTE));
        Choose(d, IDC_SETTINGS_DECIMAL, 2);
        notes.push_back(WindowText(d, IDC_SETTINGS_DECIMAL_NOTE));
    });
    ASSERT_EQ(2u, notes.size());
    EXPECT_EQ("Numbers use the system's decimal separator (now '#').\r\nChange it in the Control Panel's regional "
              "settings.",
              notes[0]);
    EXPECT_EQ("Numbers use a comma as decimal separator. Check numbers imported from other programs.",
              notes[1]);
    EXPECT_EQ("2", DProps::GetString(dialog.Params(), "decimal", ""));
}

TEST_F(SettingsDialog, ExcludedNamesFollowThePrintersUncheckedAndBlankOnesGo)
{
    App().PrinterNames().Set("Office", "Printer");
    App().PrinterNames().Set("Plotter, 2nd floor", "Printer");
    App().ExcludedPrinters() = UStringList::Build("Gone", "  ", nullptr);
    std::vector<HWND> refreshed;
    DlgSettings dialog(&main, [&](HWND status) { refreshed.push_back(status); });
    std::vector<std::string> rows;
    std::vector<bool> checked;
    const INT_PTR result = Run(dialog, Formats(), [&](HWND d) {
        for (long row = 0; row < ListRows(d, IDC_SETTINGS_PRINTERS); ++row) {
            rows.push_back(ListCell(d, IDC_SETTINGS_PRINTERS, row, 0));
            checked.push_back(PrinterChecked(d, static_cast<int>(row)));
        }
        SetPrinterChecked(d, 1, false);
    });
    EXPECT_EQ(DlgFrame::Accepted, result);
    EXPECT_EQ((std::vector<std::string>{"Office", "Plotter, 2nd floor", "Gone"}), rows);
    EXPECT_EQ((std::vector<bool>{true, true, false}), checked);
    EXPECT_EQ("\"Plotter, 2nd floor\", \"Gone\"", dialog.GetExclusionText());
    ASSERT_EQ(2u, App().ExcludedPrinters().size());
    EXPECT_STREQ("Plotter, 2nd floor", App().ExcludedPrinters()[0].GetText());
    EXPECT_STREQ("Gone", App().ExcludedPrinters()[1].GetText());
    EXPECT_EQ(1u, refreshed.size());

    // What the setting keeps reads back as the same names, the comma
    // inside a name included.
    App().Settings().Set("excluded", dialog.GetExclusionText().c_str());
    App().LoadExcludedPrinters();
    ASSERT_EQ(2u, App().ExcludedPrinters().size());
    EXPECT_STREQ("Plotter, 2nd floor", App().ExcludedPrinters()[0].GetText());
}

TEST_F(SettingsDialog, UnchangedExclusionsRebuildNoPrinters)
{
    App().PrinterNames().Set("Office", "Printer");
    App().ExcludedPrinters() = UStringList::Build("Gone", nullptr);
    int refreshed = 0;
    DlgSettings dialog(&main, [&](HWND) { ++refreshed; });
    EXPECT_EQ(DlgFrame::Accepted, Run(dialog, Formats(), [](HWND d) { Choose(d, IDC_SETTINGS_COST_UNITS, 3); }));
    EXPECT_EQ(0, refreshed);
    EXPECT_EQ("\"Gone\"", dialog.GetExclusionText());
    ASSERT_EQ(1u, App().ExcludedPrinters().size());
}

TEST_F(SettingsDialog, OptionsStoresTheCommaSeparatorAndListsUseIt)
{
    UseSettingsFile();
    Options([](HWND d) { Choose(d, IDC_SETTINGS_SEPARATOR, 3); });
    EXPECT_STREQ("3", App().Settings().Get("list.separator", "").GetText());
    EXPECT_EQ(", ", App().GetListSeparator("list.separator"));
    EXPECT_EQ((std::vector<long>{kEventSettingsChanged}), main.Codes());
}

TEST_F(SettingsDialog, OptionsWithTheDecimalCommaWritesLengthsWithIt)
{
    App().Settings().Set("length.digits", "2");
    App().Settings().Set("length.zeroes", "0");
    App().LoadNumberFormats();
    Options([](HWND d) { Choose(d, IDC_SETTINGS_DECIMAL, 2); });
    EXPECT_STREQ("2", App().Settings().Get("decimal.separator", "").GetText());
    EXPECT_EQ("6000,5", App().FormatQuantity(QuantityLength, false, 6000.5));
}

TEST_F(SettingsDialog, OptionsCancelledStoresNothing)
{
    UseSettingsFile();
    App().PrinterNames().Set("Office", "Printer");
    int refreshed = 0;
    end = IDCANCEL;
    Options(
        [](HWND d) {
            Choose(d, IDC_SETTINGS_SEPARATOR, 3);
            SetPrinterChecked(d, 0, false);
        },
        [&](HWND) { ++refreshed; });
    EXPECT_STREQ("", App().Settings().Get("list.separator", "").GetText());
    EXPECT_STREQ("", App().Settings().Get("excluded", "").GetText());
    EXPECT_TRUE(App().ExcludedPrinters().empty());
    EXPECT_EQ(0, refreshed);
    EXPECT_TRUE(main.events.empty());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(settingsFile.c_str()));
}

TEST_F(SettingsDialog, OptionsAcceptedUnchangedStillSavesAndTellsTheWindows)
{
    UseSettingsFile();
    Options([](HWND) {});
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(settingsFile.c_str()));
    EXPECT_FALSE(App().Settings().IsDirty());
    EXPECT_STREQ("1", App().Settings().Get("decimal.separator", "").GetText());
    EXPECT_EQ((std::vector<long>{kEventSettingsChanged}), main.Codes());
}
