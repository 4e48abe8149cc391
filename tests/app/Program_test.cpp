// The real program, started as a user starts it.
#include "support/AppRunner.h"

#include "appsvc/AppSettingsKeys.h"
#include "support/TestFiles.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace {

std::string ReadFile(const std::string& path)
{
    return ReadBytes(path);
}

using Texts = std::vector<std::string>;

// ---- Start-up and shutdown ------------------------------------------------------------------

TEST_F(ProgramTest, AFirstStartWritesTheDefaultSettingsAndTheLogAndExitsWithZero)
{
    AppRun app;
    ASSERT_TRUE(app.Start());
    EXPECT_EQ("KORVA Bravik", app.Title());
    // Left in the temporary folder while the program runs: gone after exit.
    std::ofstream(ProgramTempFolder() + "\\left.tmp") << "x";
    ASSERT_TRUE(FileExists(ProgramTempFolder() + "\\left.tmp"));

    app.Command(32775);
    EXPECT_EQ(0u, app.WaitExit());

    struct Default {
        const char* key;
        const char* value;
    };
    const Default defaults[] = {
        {"list.separator", " "}, {"length.units", "0"}, {"pieces.units", "0"}, {"length.digits", "2"},
        {"length.zeroes", "0"}, {"cost.units", "0"},   {"cost.digits", "2"},  {"cost.zeroes", "0"},
        {"version", "1.2.20.1 "},
    };
    for (const Default& d : defaults)
        EXPECT_EQ(d.value, Setting(d.key)) << d.key;
    // They are the key table's, and they lead the file in the table's order.
    Texts filled;
    size_t count = 0;
    const AppSettingKey* const* keys = AppSettingKeys(count);
    for (size_t i = 0; i < count; ++i)
        if (keys[i]->filledAtStart)
            filled.push_back(std::string(keys[i]->name) + "=" + keys[i]->def);
    std::istringstream file(ReadFile(DataPath("Bravik.properties")));
    Texts lines;
    for (std::string line; lines.size() < filled.size() && std::getline(file, line);)
        lines.push_back(line.substr(0, line.find_last_not_of('\r') + 1));
    EXPECT_EQ(filled, lines);
    EXPECT_FALSE(FileExists(ProgramTempFolder() + "\\left.tmp"));
    EXPECT_TRUE(FileExists(ProgramTempFolder()));

    const std::string log = ReadFile(DataPath("Bravik.log"));
    EXPECT_NE(std::string::npos, log.find(" Build=1.2.20.1 ; System=")) << log;
    EXPECT_TRUE(log.find("(x64)\r\n") != std::string::npos || log.find("(x32)\r\n") != std::string::npos) << log;
    EXPECT_NE(std::string::npos, log.find(" Root: Z:\\")) << log;
    EXPECT_NE(std::string::npos, log.find("; Data: " + DataFolder() + "\r\n")) << log;
}

TEST_F(ProgramTest, TheMenusHoldTheCommandsInTheirOrder)
{
    AppRun app;
    ASSERT_TRUE(app.Start());
    EXPECT_EQ((Texts{"&File >", "&Help >"}), app.MenuTexts(""));
    EXPECT_EQ((Texts{"&Create...\tCtrl+N", "&Open...", "-", "&Save (grayed)", "Save &As... (grayed)", "-",
                     "O&ptions...", "-", "&Recent Projects > (grayed)", "-", "E&xit"}),
              app.MenuTexts("0"));
    EXPECT_EQ((Texts{"View &Log", "&Clean Out Log", "-", "&Help", "&About KORVA Bravik..."}),
              app.MenuTexts("1"));
    const UINT ids[] = {32772, 32771, 0, 32790, 32791, 0, 32774, 0, 0, 0, 32775};
    for (int i = 0; i < 11; ++i) {
        if (ids[i]) {
            EXPECT_EQ(ids[i], app.MenuId("0." + std::to_string(i))) << i;
        }
    }
    const UINT helpIds[] = {32779, 32799, 0, 32785, 32781};
    for (int i = 0; i < 5; ++i) {
        if (helpIds[i]) {
            EXPECT_EQ(helpIds[i], app.MenuId("1." + std::to_string(i))) << i;
        }
    }
}

TEST_F(ProgramTest, EnterAndTabInTheMainWindowChangeNothing)
{
    AppRun app;
    ASSERT_TRUE(app.Start());
    const HWND main = app.Main();
    for (WPARAM key : {VK_RETURN, VK_TAB, VK_RETURN}) {
        PostMessageA(main, WM_KEYDOWN, key, 1);
        PostMessageA(main, WM_KEYUP, key, 0xC0000001);
    }
    // A message sent after the keys returns once they have been handled.
    EXPECT_TRUE(SendBounded(main, WM_NULL, 0, 0)) << "the program does not answer";
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_TRUE(app.IsRunning());
    EXPECT_EQ("KORVA Bravik", app.Title());
    // Escape is the Exit command.
    PostMessageA(main, WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_EQ(0u, app.WaitExit());
}

TEST_F(ProgramTest, ALocaleFileBesideTheProgramGivesTheMenuTexts)
{
    // A copy of the program, so the locale file lies beside it alone.
    const std::string program = Path("Bravik.exe");
    ASSERT_TRUE(CopyFileA(ProgramPath().c_str(), program.c_str(), FALSE));
    std::ofstream(Path("Bravik.en_US.ini"), std::ios::binary)
        << "[menu]\r\nfile=&Project\r\nfile.open=&Load...\r\nfile.save=\r\nhelp.about=About &Us\r\n"
        << "[globals]\r\nproject.open=Load a project\r\n";
    {
        AppRun app;
        ASSERT_TRUE(app.StartProgram(program, ""));
        EXPECT_EQ((Texts{"&Project >", "&Help >"}), app.MenuTexts(""));
        const Texts file = app.MenuTexts("0");
        ASSERT_EQ(11u, file.size());
        EXPECT_EQ("&Load...", file[1]);
        // An empty text leaves the item as the menu resource has it.
        EXPECT_EQ("&Save (grayed)", file[3]);
        EXPECT_EQ("Save &As... (grayed)", file[4]);
        EXPECT_EQ("About &Us", app.MenuTexts("1").at(4));
        // The file dialog takes its title from the same locale.
        app.Command(32771);
        EXPECT_TRUE(app.AnswerFileDialog("Load a project", Path("none.brvk")));
        app.Kill();
    }
    // Without a "menu" section the texts stay those of the menu resource.
    std::ofstream(Path("Bravik.en_US.ini"), std::ios::binary) << "[globals]\r\nof=of\r\n";
    AppRun app;
    ASSERT_TRUE(app.StartProgram(program, ""));
    EXPECT_EQ((Texts{"&File >", "&Help >"}), app.MenuTexts(""));
    EXPECT_EQ("&Open...", app.MenuTexts("0").at(1));
}

// ---- Projects and the recent list -------------------------------------------------------------

TEST_F(ProgramTest, AProjectOnTheCommandLineIsOpenedAndRemembered)
{
    const std::string project = MakeProject("first.brvk");
    {
        AppRun app;
        ASSERT_TRUE(app.Start("\"" + project + "\""));
        ASSERT_TRUE(WaitFor([&] { return app.Title() == "KORVA Bravik  " + project; })) << app.Title();
        EXPECT_EQ(Path("first"), Setting("history"));
        // Save As is offered once the project has a material.
        EXPECT_EQ("Save &As...", app.MenuTexts("0").at(4));
        app.Command(32775);
        EXPECT_EQ(0u, app.WaitExit());
    }
    {
        AppRun app;
        ASSERT_TRUE(app.Start());
        EXPECT_EQ("&Recent Projects >", app.MenuTexts("0").at(8));
        EXPECT_EQ((Texts{Path("first")}), app.MenuTexts("0.8"));
        EXPECT_EQ(32820u, app.MenuId("0.8.0"));
        // Choosing the entry opens the project again.
        app.Command(32820);
        EXPECT_TRUE(WaitFor([&] { return app.Title() == "KORVA Bravik  " + project; })) << app.Title();
        app.Command(32775);
        EXPECT_EQ(0u, app.WaitExit());
    }
    ASSERT_TRUE(DeleteFileA(project.c_str()));
    {
        AppRun app;
        ASSERT_TRUE(app.Start());
        EXPECT_EQ("&Recent Projects > (grayed)", app.MenuTexts("0").at(8));
        EXPECT_EQ(Texts{}, app.MenuTexts("0.8"));
    }
}

TEST_F(ProgramTest, AProjectThatCannotBeOpenedIsReported)
{
    AppRun app;
    const std::string missing = Path("missing.brvk");
    ASSERT_TRUE(app.Start("\"" + missing + "\""));
    HWND box = app.WaitForBox("Cannot open the project " + missing);
    ASSERT_NE(nullptr, box) << "no message box";
    EXPECT_TRUE(AppRun::PressToClose(box, IDOK));
    EXPECT_EQ("KORVA Bravik", app.Title());
    EXPECT_EQ("<missing>", Setting("history"));
    app.Command(32775);
    EXPECT_EQ(0u, app.WaitExit());
    EXPECT_NE(std::string::npos, ReadFile(DataPath("Bravik.log")).find("ERR >> Cannot open the project"));
}

TEST_F(ProgramTest, SaveAsAddsTheProjectExtension)
{
    const std::string project = MakeProject("source.brvk");
    AppRun app;
    ASSERT_TRUE(app.Start("\"" + project + "\""));
    ASSERT_TRUE(WaitFor([&] { return app.Title() == "KORVA Bravik  " + project; }));
    app.Command(32791);
    ASSERT_TRUE(app.AnswerFileDialog("Save Project As...", Path("plan.txt")));
    const std::string saved = Path("plan.txt.brvk");
    EXPECT_TRUE(WaitFor([&] { return app.Title() == "KORVA Bravik  " + saved; })) << app.Title();
    EXPECT_TRUE(FileExists(saved));
    EXPECT_FALSE(FileExists(Path("plan.txt")));
    EXPECT_EQ(Path("plan.txt") + "|" + Path("source"), Setting("history"));
    app.Command(32775);
    EXPECT_EQ(0u, app.WaitExit());
}

TEST_F(ProgramTest, ASaveThatCannotWriteSaysSoAndKeepsThePreviousFile)
{
    const std::string project = MakeProject("source.brvk");
    const std::string target = MakeProject("locked.brvk");
    const std::string before = ReadFile(target);
    AppRun app;
    ASSERT_TRUE(app.Start("\"" + project + "\""));
    ASSERT_TRUE(WaitFor([&] { return app.Title() == "KORVA Bravik  " + project; }));
    ASSERT_TRUE(app.RenameProject("Hall roof"));
    // Held open without sharing, the file can be neither replaced nor written.
    HANDLE held = CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    app.Command(32791);
    ASSERT_TRUE(app.AnswerFileDialog("Save Project As...", target));
    HWND box = app.WaitForBox("Cannot save the project to " + target);
    ASSERT_NE(nullptr, box);
    AppRun::Press(box, IDOK);
    CloseHandle(held);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }));
    EXPECT_EQ("KORVA Bravik  " + project + " *", app.Title());
    // The project is still modified: Save is offered.
    EXPECT_EQ("&Save", app.MenuTexts("0").at(3));
    EXPECT_EQ(before, ReadFile(target));
    EXPECT_EQ(Path("source"), Setting("history"));
    app.Kill();
    EXPECT_TRUE(WaitFor([&] {
        return ReadFile(DataPath("Bravik.log")).find("ERR >> Cannot save the project") != std::string::npos;
    }));
}

TEST_F(ProgramTest, AModifiedProjectIsNotLeftWithoutConsent)
{
    const std::string project = MakeProject("source.brvk");
    const std::string before = ReadFile(project);
    AppRun app;
    ASSERT_TRUE(app.Start("\"" + project + "\""));
    ASSERT_TRUE(WaitFor([&] { return app.Title() == "KORVA Bravik  " + project; }));
    ASSERT_TRUE(app.RenameProject("Hall roof"));
    EXPECT_EQ("&Save", app.MenuTexts("0").at(3));

    // Exit asks; No keeps the program running with the project as it was.
    app.Command(32775);
    HWND box = app.WaitForBox("Project has been changed.\r\nContinue anyway?");
    ASSERT_NE(nullptr, box);
    ASSERT_TRUE(AppRun::PressToClose(box, IDNO));
    EXPECT_EQ(STILL_ACTIVE, app.WaitExit(500));
    EXPECT_EQ("KORVA Bravik  " + project + " *", app.Title());

    // So does Open, which then changes nothing either.
    app.Command(32771);
    box = app.WaitForBox("Project has been changed.");
    ASSERT_NE(nullptr, box);
    ASSERT_TRUE(AppRun::PressToClose(box, IDNO));
    EXPECT_EQ("KORVA Bravik  " + project + " *", app.Title());

    // Yes leaves the project unsaved and ends the program.
    app.Command(32775);
    box = app.WaitForBox("Project has been changed.");
    ASSERT_NE(nullptr, box);
    AppRun::Press(box, IDYES);
    EXPECT_EQ(0u, app.WaitExit());
    EXPECT_EQ(before, ReadFile(project));
}

// ---- The log -------------------------------------------------------------------------------------

TEST_F(ProgramTest, CleanOutLogAsksAndStartsTheLogAgainWithTheSystemInformation)
{
    AppRun app;
    ASSERT_TRUE(app.Start());
    const std::string project = MakeProject("p.brvk");
    app.Command(32771);
    ASSERT_TRUE(app.AnswerFileDialog("Open Project", project));
    ASSERT_TRUE(WaitFor([&] { return app.Title() == "KORVA Bravik  " + project; }));
    ASSERT_TRUE(WaitFor([&] { return ReadFile(DataPath("Bravik.log")).find("Project loaded ") != std::string::npos; }));

    app.Command(32799);
    HWND box = app.WaitForBox("Delete the log file?");
    ASSERT_NE(nullptr, box);
    ASSERT_TRUE(AppRun::PressToClose(box, IDNO));
    EXPECT_NE(std::string::npos, ReadFile(DataPath("Bravik.log")).find("Project loaded "));

    app.Command(32799);
    box = app.WaitForBox("Delete the log file?");
    ASSERT_NE(nullptr, box);
    AppRun::Press(box, IDYES);
    // The log is emptied first and its system line written after: wait for both.
    EXPECT_TRUE(WaitFor([&] {
        const std::string text = ReadFile(DataPath("Bravik.log"));
        return text.find("Project loaded ") == std::string::npos && text.find(" ; System=") != std::string::npos;
    }));
    const std::string log = ReadFile(DataPath("Bravik.log"));
    EXPECT_EQ(1, std::count(log.begin(), log.end(), '\n')) << log;
    EXPECT_NE(std::string::npos, log.find(" Build=1.2.20.1 ; System=")) << log;
    app.Command(32775);
    EXPECT_EQ(0u, app.WaitExit());
}

} // namespace
