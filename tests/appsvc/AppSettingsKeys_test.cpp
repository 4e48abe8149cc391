// The table of settings keys: one name per key, and what the start-up and
// the readers make of a missing or empty entry.
#include "appsvc/AppSettingsKeys.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

TEST(AppSettingsKeys, EveryKeyHasItsOwnName)
{
    size_t count = 0;
    const AppSettingKey* const* keys = AppSettingKeys(count);
    std::set<std::string> names;
    for (size_t i = 0; i < count; ++i) {
        ASSERT_NE(nullptr, keys[i]->name);
        EXPECT_TRUE(names.insert(keys[i]->name).second) << keys[i]->name;
        // A key the start-up fills has something to fill it with.
        if (keys[i]->filledAtStart) {
            EXPECT_NE(nullptr, keys[i]->def) << keys[i]->name;
        }
    }
}

TEST(AppSettingsKeys, TheStartUpFillsOnlyEmptyEntriesAndKeepsTheRest)
{
    DAppSettings settings;
    settings.Set(kSetLengthDigits.name, "3");
    settings.Set(kSetCostUnits.name, "");
    FillSettingDefaults(settings);
    EXPECT_EQ("3", GetSetting(settings, kSetLengthDigits).ToStdString());
    EXPECT_EQ("0", GetSetting(settings, kSetCostUnits).ToStdString());
    EXPECT_EQ(" ", GetSetting(settings, kSetListSeparator).ToStdString());
    // Keys the start-up leaves alone stay missing.
    EXPECT_EQ("<none>", settings.Get(kSetPrinter.name, "<none>").ToStdString());
    EXPECT_EQ("<none>", settings.Get(kSetExportCuttings.separator.name, "<none>").ToStdString());
}

TEST(AppSettingsKeys, AMissingEntryReadsAsTheTablesDefault)
{
    DAppSettings settings;
    struct Case {
        const AppSettingKey& key;
        const char* expected;
    } cases[] = {
        {kSetExportCuttings.separator, ";"},
        {*kSetImportBlanks.compact, "1"},
        {kSetReportColors, ""},
        // Filled at start, so missing only before it: empty, not the default.
        {kSetLengthDigits, ""},
        // The reader knows the default.
        {kSetImportPieces.format, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, GetSetting(settings, c.key).ToStdString()) << c.key.name;
    EXPECT_EQ("length;quantity", GetSetting(settings, kSetImportPieces.format, "length;quantity").ToStdString());
    SetSetting(settings, kSetExportCuttings.separator, ",");
    EXPECT_EQ(",", GetSetting(settings, kSetExportCuttings.separator).ToStdString());
}
