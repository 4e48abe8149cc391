// Saving and opening in the real program where it used to go wrong: a file
// another program changed since it was opened, names the code page cannot
// write, and settings that cannot be saved.
#include "support/AppRunner.h"

#include "support/TestFiles.h"

#include <shlobj.h>

#include "document/DCSSolution.h"

namespace {

bool WideFileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Another program writes the project: it adds a material and saves.
void SaveFromAnotherProgram(const std::string& path, const char* material)
{
    DCSSolution other;
    ASSERT_TRUE(other.Load(path.c_str()));
    ASSERT_TRUE(other.AddMaterial(material, ""));
    ASSERT_TRUE(other.Save(path.c_str()));
}

const char* const kChanged = "Another program has changed the project file ";

// Save over a file that another program changed since the project was opened
// or saved asks: Cancel leaves the file alone, No saves under another name,
// Yes overwrites.
TEST_F(ProgramTest, SavingOverAFileAnotherProgramChangedAsksFirst)
{
    const std::string project = MakeProject("plan.brvk");
    AppRun app;
    ASSERT_TRUE(app.Start("\"" + project + "\""));
    ASSERT_TRUE(WaitFor([&] { return app.Title() == "KORVA Bravik  " + project; }));
    ASSERT_TRUE(app.RenameProject("Mine"));
    SaveFromAnotherProgram(project, "Copper");
    const std::string theirs = ReadBytes(project);

    // Cancel: nothing is written, the project stays modified.
    app.Command(32790);
    HWND box = app.WaitForBox(kChanged + project);
    ASSERT_NE(nullptr, box);
    EXPECT_NE(std::string::npos, AppRun::BoxText(box).find("Yes: overwrite it")) << AppRun::BoxText(box);
    ASSERT_TRUE(AppRun::PressToClose(box, IDCANCEL));
    EXPECT_EQ("KORVA Bravik  " + project + " *", app.Title());
    EXPECT_EQ(theirs, ReadBytes(project));

    // No: saved under another name; the changed file stays as it is.
    app.Command(32790);
    box = app.WaitForBox(kChanged + project);
    ASSERT_NE(nullptr, box);
    AppRun::Press(box, IDNO);
    const std::string mine = Path("mine.brvk");
    ASSERT_TRUE(app.AnswerFileDialog("Save Project As...", mine));
    ASSERT_TRUE(WaitFor([&] { return app.Title() == "KORVA Bravik  " + mine; })) << app.Title();
    EXPECT_EQ(theirs, ReadBytes(project));
    EXPECT_NE(std::string::npos, ReadBytes(mine).find("name=Mine\r\n"));

    // Yes: the file the project now belongs to is overwritten.
    ASSERT_TRUE(app.RenameProject("Mine again"));
    SaveFromAnotherProgram(mine, "Zinc");
    app.Command(32790);
    box = app.WaitForBox(kChanged + mine);
    ASSERT_NE(nullptr, box);
    AppRun::Press(box, IDYES);
    ASSERT_TRUE(WaitFor([&] { return app.Title() == "KORVA Bravik  " + mine; })) << app.Title();
    DCSSolution saved;
    ASSERT_TRUE(saved.Load(mine.c_str()));
    EXPECT_EQ("Mine again", saved.GetName());
    EXPECT_EQ(nullptr, saved.FindMaterial("Zinc"));

    app.Command(32775);
    EXPECT_EQ(0u, app.WaitExit());
    EXPECT_NE(std::string::npos, ReadBytes(DataPath("Bravik.log")).find("ERR >> Cannot save the project to " + project));
}

// A name the code page cannot write reached the program with a look-alike
// or "?" in place of its letters: it opened another file, or said that the
// file was empty. Now it says why it cannot open it, and opens nothing.
TEST_F(ProgramTest, AProjectNamedInLettersTheCodePageLacksIsRefusedWithItsReason)
{
    // The file the look-alike of the third name would open.
    MakeProject("aex.brvk");
    const std::string source = MakeProject("source.brvk");
    const struct {
        const wchar_t* name;
        const char* shown;
    } cases[] = {
        {L"\x03B1\x03B2\x03B3.brvk", "???.brvk"},  // Greek: "α" and "β" have look-alikes, "γ" none
        {L"\x4E2D\x6587.brvk", "??.brvk"},          // Chinese
        {L"\x0101\x0113x.brvk", "??x.brvk"},         // the look-alike of this one is aex.brvk
    };
    for (const auto& c : cases) {
        const std::wstring path = WideOf(m_files) + L"\\" + c.name;
        SCOPED_TRACE(c.shown);
        if (!CopyFileW(WideOf(source).c_str(), path.c_str(), FALSE))
            GTEST_SKIP() << "the file system here cannot hold such names (no UTF-8 locale for Wine)";
        // The narrow calls that clear the test's folder cannot name it.
        struct Remove {
            const std::wstring& path;
            ~Remove() { DeleteFileW(path.c_str()); }
        } remove{path};
        AppRun app;
        ASSERT_TRUE(app.StartWide(L"\"" + path + L"\""));
        HWND box = app.WaitForBox("Cannot open the project " + Path(c.shown) + ".\r\n");
        ASSERT_NE(nullptr, box);
        const std::string text = AppRun::BoxText(box);
        EXPECT_NE(std::string::npos, text.find("holds characters that the program cannot use")) << text;
        EXPECT_EQ(std::string::npos, text.find("empty or cannot be read")) << text;
        EXPECT_TRUE(AppRun::PressToClose(box, IDOK));
        EXPECT_EQ("KORVA Bravik", app.Title());
        app.Command(32775);
        EXPECT_EQ(0u, app.WaitExit());
    }
    EXPECT_EQ("<missing>", Setting("history"));
}

// Save As to such a name wrote the look-alike's file; now it is refused
// with its reason, and no file is written.
TEST_F(ProgramTest, SaveAsToANameTheCodePageLacksIsRefused)
{
    const std::string project = MakeProject("source.brvk");
    AppRun app;
    ASSERT_TRUE(app.Start("\"" + project + "\""));
    ASSERT_TRUE(WaitFor([&] { return app.Title() == "KORVA Bravik  " + project; }));
    app.Command(32791);
    const std::wstring chosen = WideOf(m_files) + L"\\\x0101\x0113x.brvk";
    ASSERT_TRUE(app.AnswerFileDialog("Save Project As...", chosen));
    HWND box = app.WaitForBox("Cannot save the project to " + Path("??x.brvk") + ".\r\n");
    ASSERT_NE(nullptr, box);
    EXPECT_NE(std::string::npos, AppRun::BoxText(box).find("holds characters that the program cannot use"));
    EXPECT_TRUE(AppRun::PressToClose(box, IDOK));
    EXPECT_EQ("KORVA Bravik  " + project, app.Title());
    EXPECT_FALSE(FileExists(Path("aex.brvk")));
    EXPECT_FALSE(WideFileExists(chosen));
    app.Command(32775);
    EXPECT_EQ(0u, app.WaitExit());
}

// Settings that cannot be saved dropped every change without a word: now
// the user hears it once, however often a save fails afterwards.
TEST_F(ProgramTest, SettingsThatCannotBeSavedAreSaidOnce)
{
    const std::string project = MakeProject("source.brvk");
    SHCreateDirectoryExA(nullptr, DataFolder().c_str(), nullptr);
    const std::string settings = "length.units=0\r\n";
    WriteBytes(DataPath("Bravik.properties"), settings);
    ASSERT_TRUE(SetFileAttributesA(DataPath("Bravik.properties").c_str(), FILE_ATTRIBUTE_READONLY));

    AppRun app;
    ASSERT_TRUE(app.Start("\"" + project + "\""));
    HWND box = app.WaitForBox("The settings cannot be saved to " + DataPath("Bravik.properties") + ".\r\n");
    ASSERT_NE(nullptr, box);
    ASSERT_TRUE(AppRun::PressToClose(box, IDOK));
    ASSERT_TRUE(WaitFor([&] { return app.Title() == "KORVA Bravik  " + project; }));

    // Saving the project saves the recent projects too, which fails again.
    app.Command(32791);
    ASSERT_TRUE(app.AnswerFileDialog("Save Project As...", Path("copy.brvk")));
    ASSERT_TRUE(WaitFor([&] { return app.Title() == "KORVA Bravik  " + Path("copy.brvk"); }));
    EXPECT_EQ(nullptr, app.WaitForBox("The settings cannot be saved", 1500));
    app.Command(32775);
    EXPECT_EQ(0u, app.WaitExit());
    SetFileAttributesA(DataPath("Bravik.properties").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(settings, ReadBytes(DataPath("Bravik.properties")));
}

} // namespace
