// The application's services on an application object without its
// executable half, as the layers above them use it in their own tests.
#include "appsvc/OXRApp.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

namespace {

class AppServices : public ::testing::Test {
protected:
    void SetUp() override
    {
        app.Locale().Parse("[globals]\r\nunits.mm=mm\r\nunits.in=in\r\nunits.pcs=pcs\r\n"
                           "[messages]\r\nstatus.41=Not enough material\r\n"
                           "[variables]\r\nproject=P\r\n");
        app.LoadLocale("en_US");
    }
    void TearDown() override
    {
        // The numeric conventions are process-wide: leave them as found.
        setlocale(LC_NUMERIC, "C");
        NumSetSeparator(".");
    }
    void Formats(std::vector<std::pair<const char*, const char*>> values)
    {
        for (auto& v : values)
            app.Settings().Set(v.first, v.second);
        app.LoadNumberFormats();
    }
    std::string Global(const char* key) { return app.GetGlobalText(key, "<none>"); }

    OXRApp app;
};

TEST_F(AppServices, TheBroadcastAndTheDocumentReachThisObject)
{
    EXPECT_EQ(&app, GetApp());
    EXPECT_EQ(static_cast<DAppServices*>(&app), GetAppServices());
}

TEST_F(AppServices, CostsLengthsAndPiecesFollowTheSettings)
{
    Formats({{"decimal.separator", "1"}, {"cost.units", "1"}, {"cost.digits", "2"}, {"cost.zeroes", "0"},
             {"length.units", "0"}, {"pieces.units", "1"}});
    EXPECT_EQ("$12.5", app.FormatQuantity(QuantityCost, true, 12.5));
    EXPECT_EQ("1200 ", app.FormatQuantity(QuantityLength, true, 1200));
    EXPECT_EQ("3 pcs", app.FormatQuantity(QuantityPieces, true, 2.5));
    EXPECT_EQ("-3", app.FormatQuantity(QuantityPieces, false, -2.5));
    EXPECT_EQ("2", app.FormatQuantity(QuantityPieces, false, 2.4999));
    EXPECT_EQ("1.235", app.FormatQuantity(7, true, 1.23456));
    Formats({{"cost.units", "3"}});
    EXPECT_EQ("12.5 p", app.FormatQuantity(QuantityCost, true, 12.5));
    Formats({{"length.units", "1"}, {"length.digits", "3"}, {"length.zeroes", "1"}});
    EXPECT_EQ("1.500 mm", FormatLengthText("1.5", true));
    EXPECT_EQ("0.000", FormatLengthText("", false));
    EXPECT_EQ("p", app.GetUnitLabel(2, nullptr));
    EXPECT_EQ("[mm]", app.GetUnitLabel(0, "[%s]"));
    EXPECT_EQ("", app.GetUnitLabel(3, "[%s]"));
}

TEST_F(AppServices, SettingsOutOfRangeAreClamped)
{
    struct Case {
        const char* key;
        const char* value;
        const char* global;
        const char* expected;
    };
    const Case cases[] = {
        {"list.separator", "9", "list.separator", ": "},
        {"list.separator", "9", "list.separator.index", "5"},
        {"decimal.separator", "-1", "decimal.separator.index", "0"},
        {"cost.units", "4", "cost.units", ""},
        {"cost.units", "4", "cost.units.index", "4"},
        {"cost.units", "x", "cost.units.index", "0"},
        {"length.digits", "7", "length.digits", "4"},
        {"cost.digits", "3", "cost.digits", "2"},
        {"pieces.units", "0", "pieces.units", ""},
        {"length.units", "4", "length.units", "in"},
    };
    for (const Case& c : cases) {
        Formats({{c.key, c.value}});
        EXPECT_EQ(c.expected, Global(c.global)) << c.key << "=" << c.value;
    }
    EXPECT_EQ("pcs", Global("pcs.units"));
}

TEST_F(AppServices, TheEuroSignIsTheActiveCodePagesOwn)
{
    Formats({{"cost.units", "2"}});
    const wchar_t euro[] = {0x20AC, 0};
    char bytes[8] = "";
    WideCharToMultiByte(CP_ACP, 0, euro, -1, bytes, sizeof(bytes), nullptr, nullptr);
    EXPECT_EQ(std::string(bytes), Global("cost.units"));
    EXPECT_NE("\x88", Global("cost.units"));
}

TEST_F(AppServices, TheFormatsChecksumFollowsEveryIndex)
{
    Formats({});
    const std::string first = Global("globals.crc32");
    app.LoadNumberFormats();
    EXPECT_EQ(first, Global("globals.crc32"));
    const char* keys[] = {"decimal.separator", "list.separator", "pieces.units", "length.units",
                          "length.digits", "length.zeroes", "cost.units", "cost.digits", "cost.zeroes"};
    for (const char* key : keys) {
        std::string old = app.Settings().Get(key, "").GetText();
        Formats({{key, "1"}});
        EXPECT_NE(first, Global("globals.crc32")) << key;
        Formats({{key, old.c_str()}});
        EXPECT_EQ(first, Global("globals.crc32")) << key;
    }
    EXPECT_EQ(std::string::npos, first.find_first_of("abcdef"));
}

TEST_F(AppServices, TheDecimalSettingGovernsFormattingAndReading)
{
    Formats({{"decimal.separator", "2"}, {"length.digits", "1"}, {"length.zeroes", "1"}});
    EXPECT_EQ(",", Global("decimal.separator"));
    EXPECT_EQ("1,5", app.FormatQuantity(QuantityLength, false, 1.5));
    Formats({{"decimal.separator", "1"}});
    EXPECT_EQ(".", Global("decimal.separator"));
    EXPECT_EQ("1.5", app.FormatQuantity(QuantityLength, false, 1.5));
}

TEST_F(AppServices, TextsComeFromTheLocaleWithDefaults)
{
    EXPECT_EQ("Not enough material", app.GetStatusText(41));
    EXPECT_EQ("Ok", app.GetStatusText(0));
    EXPECT_EQ("Error", app.GetStatusText(2));
    EXPECT_EQ("KORVA Bravik", app.Parser().Expand("${app.name}"));
    EXPECT_EQ("P 1.2.20 ", app.Parser().Expand("${project} ${app.version}"));
    EXPECT_EQ("en_US", app.GetLanguage());
    EXPECT_EQ("mm", app.GetLocaleText("globals", "units.mm", "x"));
    EXPECT_EQ("x", app.GetLocaleText("dialog.none", "k", "x"));
    EXPECT_EQ("; ", app.GetListSeparator(nullptr));
    Formats({{"list.separator", "2"}});
    EXPECT_EQ("| ", app.GetListSeparator("list.separator"));
}

TEST_F(AppServices, NamedColoursAndFonts)
{
    EXPECT_EQ(0xFBF8F4u, app.GetNamedColor("splash.back"));
    EXPECT_EQ(0xFFFFFFu, app.GetNamedColor("panel.back"));
    EXPECT_EQ(0xF5E7EAu, app.GetNamedColor("report.back"));
    EXPECT_EQ(0u, app.GetNamedColor("Splash.back"));
    EXPECT_EQ(nullptr, app.GetFont("hint"));
    app.CreateUiFonts();
    EXPECT_NE(nullptr, app.GetFont("hint"));
    EXPECT_EQ(app.GetFont("body", false), app.GetFont("body"));
    EXPECT_EQ(nullptr, app.GetFont("no such font", false));
    EXPECT_EQ(app.GetFont("body"), app.GetFont("no such font"));   // "body" is first in key order
}

TEST_F(AppServices, MessageBoxesAreSilentInAutomationMode)
{
    app.SetAutomation(1);
    EXPECT_EQ(IDYES, app.ShowMessage(nullptr, nullptr, "question", MB_YESNO, IDYES));
    EXPECT_EQ(IDOK, app.ReportError("failed", nullptr, false));
    EXPECT_EQ(-1, app.ReportError("  \t ", nullptr, true));
    EXPECT_EQ(0, app.IsInMessageBox());
}

TEST_F(AppServices, TheCommandLineKeepsTheFirstPlainArgumentAndTheLastOption)
{
    const wchar_t* arguments[] = {L"-mode:x", L"a.brvk", L"b.brvk", L"-mode:y", L"--gui:0"};
    app.ParseArguments(5, arguments);
    EXPECT_EQ("a.brvk", std::string(app.CommandLine().Get("file").GetText()));
    EXPECT_EQ("y", std::string(app.CommandLine().Get("mode").GetText()));
    EXPECT_EQ("0", std::string(app.CommandLine().Get("gui").GetText()));
    const wchar_t* option[] = {L"-file:c.brvk", L"d.brvk"};
    app.ParseArguments(2, option);
    EXPECT_EQ("c.brvk", std::string(app.CommandLine().Get("file").GetText()));
}

TEST_F(AppServices, AnExcludedPrinterWithACommaInItsNameStaysOneName)
{
    app.Settings().Set("excluded", "\"Office, 2nd floor\", \"PDF\",Plain");
    app.LoadExcludedPrinters();
    std::vector<std::string> names;
    for (const UString& name : app.ExcludedPrinters())
        names.push_back(name.GetText());
    EXPECT_EQ((std::vector<std::string>{"Office, 2nd floor", "PDF", "Plain"}), names);
    app.Settings().Set("excluded", "");
    app.LoadExcludedPrinters();
    EXPECT_TRUE(app.ExcludedPrinters().empty());
}

TEST_F(AppServices, TemporaryNamesAndTheBusyCount)
{
    app.SetTempFolder("C:\\t");
    std::string name = app.MakeTempFileName("rep", "bmp").GetText();
    EXPECT_EQ(0u, name.find("C:\\t\\rep"));
    EXPECT_EQ(name.size() - 4, name.rfind(".bmp"));
    std::string plain = app.MakeTempFileName(nullptr, nullptr).GetText();
    EXPECT_EQ(plain.size() - 4, plain.rfind(".tmp"));

    BeginBusyCursor();
    BeginBusyCursor();
    EXPECT_EQ(2, app.BusyCount());
    EndBusyCursor();
    EndBusyCursor();
    EndBusyCursor();
    EXPECT_EQ(0, app.BusyCount());
}

} // namespace
