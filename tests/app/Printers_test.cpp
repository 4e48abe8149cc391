// The printer list of the running program: filled beside the start-up, and
// the user told when there is no printer to print on.
#include "AppRunner.h"

#include "../foundation/TestFiles.h"
#include "support/PrintQueue.h"

#include <shlobj.h>

#include <string>

namespace {

// A properties file as an earlier run would have left it.
void StoreSettings(const std::string& path, const std::string& lines)
{
    const std::string folder = path.substr(0, path.rfind('\\'));
    SHCreateDirectoryExA(nullptr, folder.c_str(), nullptr);
    WriteBytes(path, lines);
}

} // namespace

TEST_F(ProgramTest, WithEveryPrinterExcludedTheUserIsToldThereIsNoPrinter)
{
    std::string excluded;
    for (const std::string& name : PrintQueue::Printers())
        excluded += (excluded.empty() ? "\"" : ", \"") + name + "\"";
    ASSERT_NE(std::string::npos, excluded.find("\"PDF\""));
    StoreSettings(DataPath("Bravik.properties"), "excluded=" + excluded + "\r\nprinter=PDF\r\n");

    AppRun app;
    ASSERT_TRUE(app.Start());
    HWND box = app.WaitForBox("Cannot find system printers. You won't be able to print your reports");
    ASSERT_NE(nullptr, box);
    AppRun::Press(box, IDOK);
    app.Command(32775);
    EXPECT_EQ(0u, app.WaitExit());

    EXPECT_EQ("", Setting("printer"));
    EXPECT_EQ(excluded, Setting("excluded"));
}

TEST_F(ProgramTest, TheExclusionOfAPrinterThatIsGoneIsDroppedAtStart)
{
    StoreSettings(DataPath("Bravik.properties"), "excluded=\"Removed last week\"\r\nprinter=pdf\r\n");

    AppRun app;
    ASSERT_TRUE(app.Start());
    EXPECT_TRUE(WaitFor([this] { return Setting("excluded").empty(); }));
    app.Command(32775);
    EXPECT_EQ(0u, app.WaitExit());
    EXPECT_EQ("pdf", Setting("printer"));
}
