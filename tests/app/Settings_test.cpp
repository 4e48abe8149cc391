// The properties file a first start writes, read back against the table of
// settings keys the program names them by.
#include "AppRunner.h"

#include <sstream>
#include <string>
#include <vector>

#include "appsvc/AppSettingsKeys.h"
#include "resources/resource.h"

#include "../foundation/TestFiles.h"

namespace {

// The file's lines as written, line ends taken off.
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line.substr(0, line.find_last_not_of('\r') + 1));
    return lines;
}

} // namespace

TEST_F(ProgramTest, AFirstStartWritesTheKeyTablesDefaultsFirstAndInItsOrder)
{
    AppRun app;
    ASSERT_TRUE(app.Start());
    app.Command(ID_FILE_EXIT);
    ASSERT_EQ(0u, app.WaitExit());

    std::vector<std::string> expected;
    size_t count = 0;
    const AppSettingKey* const* keys = AppSettingKeys(count);
    for (size_t i = 0; i < count; ++i)
        if (keys[i]->filledAtStart)
            expected.push_back(std::string(keys[i]->name) + "=" + keys[i]->def);
    // The number formats of a first start, as earlier builds wrote them.
    ASSERT_EQ(expected, (std::vector<std::string>{"list.separator= ", "length.units=0", "pieces.units=0",
                                                  "length.digits=2", "length.zeroes=0", "cost.units=0",
                                                  "cost.digits=2", "cost.zeroes=0"}));

    const std::string text = ReadBytes(DataPath("Bravik.properties"));
    const std::vector<std::string> lines = Lines(text);
    ASSERT_GE(lines.size(), expected.size()) << text;
    EXPECT_EQ(expected, std::vector<std::string>(lines.begin(), lines.begin() + expected.size())) << text;
    EXPECT_EQ("1.2.20.1 ", Setting(kSetVersion.name));
}
