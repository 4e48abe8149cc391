#include <gtest/gtest.h>

#include <string>

#include "document/DAppServices.h"
#include "tests/document/TestAppServices.h"
#include "support/PropsTestHelpers.h"

TEST(DAppServices, DefaultIsInForceWhenNoneIsSet)
{
    DAppServices* fallback = GetAppServices();
    ASSERT_NE(nullptr, fallback);
    {
        TestAppServices app;
        EXPECT_EQ(&app, GetAppServices());
        GetAppServices()->OnAppEvent(13, 0);
        GetAppServices()->OnAppEvent(3, 1, &app);
        ASSERT_EQ(2u, app.Events().size());
        EXPECT_EQ(3, app.Events()[1].code);
        EXPECT_EQ(1, app.Events()[1].argument);
        EXPECT_EQ(&app, app.Events()[1].sender);
        EXPECT_EQ(1, app.CountEvents(13));
    }
    EXPECT_EQ(fallback, GetAppServices());
    fallback->OnAppEvent(13, 0); // goes nowhere, harmlessly
}

TEST(DAppServices, DefaultTextsApplyWithoutALocale)
{
    DAppServices* app = GetAppServices();
    DProps section = BagOf({{"stale", "x"}});
    EXPECT_FALSE(app->GetLocaleSection("globals", section));
    EXPECT_EQ(0, section.Count());
    EXPECT_EQ("Incomplete", app->GetLocaleText("messages", "status.42", "Incomplete"));
    EXPECT_EQ("", app->GetLocaleText("globals", "no", nullptr));
    EXPECT_EQ("", app->GetLanguage());
    for (const char* key : {"list.separator", "", "other"})
        EXPECT_EQ("; ", app->GetListSeparator(key)) << key;
    EXPECT_EQ("; ", app->GetListSeparator(nullptr));
}

TEST(DAppServices, LocaleTextsComeFromTheSections)
{
    TestAppServices app;
    app.SetLocaleText("globals", "no", "N");
    app.SetLocaleText("messages", "status.42", "");
    EXPECT_EQ("N", app.GetLocaleText("GLOBALS", "NO", "#"));
    EXPECT_EQ("", app.GetLocaleText("messages", "status.42", "Incomplete")) << "present but empty";
    EXPECT_EQ("of", app.GetLocaleText("globals", "of", "of"));
    DProps globals;
    EXPECT_TRUE(app.GetLocaleSection("globals", globals));
    EXPECT_EQ((Entries{{"no", "N"}}), EntriesOf(globals));
    app.SetListSeparator("| ");
    EXPECT_EQ("| ", app.GetListSeparator("list.separator"));
    EXPECT_EQ("; ", app.GetListSeparator(""));
}

TEST(DAppServices, DefaultFormats)
{
    struct Case {
        int mode;
        bool units;
        double value;
        const char* text;
    };
    const Case cases[] = {
        {QuantityLength, false, 1200.0, "1200"}, {QuantityLength, false, 12.5, "12.5"},
        {QuantityLength, false, 2.256, "2.26"},  {QuantityLength, true, 1200.0, "1200 "},
        {QuantityPieces, false, 2.5, "3"},       {QuantityPieces, false, -2.5, "-3"},
        {QuantityPieces, false, 2.4999, "2"},    {QuantityPieces, true, 4, "4 "},
        {QuantityCost, false, 1.5, "1.5"},       {QuantityCost, true, 1.5, "1.5  "},
        {7, true, 1.23456, "1.235"},             {-1, false, 3.0, "3"},
    };
    DAppServicesDefault app;
    for (const Case& c : cases)
        EXPECT_EQ(c.text, app.FormatQuantity(c.mode, c.units, c.value)) << c.mode << " " << c.value;
    EXPECT_EQ("0", app.FormatLengthText("", false));
    EXPECT_EQ("0", app.FormatLengthText(nullptr, false));
    EXPECT_EQ("6000.5", app.FormatLengthText("6000.50000", false));
}

TEST(DAppServices, FormatterFollowsTheDerivedFormats)
{
    struct Case {
        Entries formats;
        int mode;
        double value;
        const char* text;
    };
    const Case cases[] = {
        {{{"cost.units", "$"}, {"cost.digits", "2"}, {"cost.zeroes", "0"}}, QuantityCost, 12.5, "$12.5"},
        {{{"cost.units", "p"}, {"cost.digits", "2"}, {"cost.zeroes", "0"}}, QuantityCost, 12.5, "12.5 p"},
        {{{"cost.units", ""}, {"cost.digits", "2"}, {"cost.zeroes", "1"}}, QuantityCost, 12.5, "12.50 "},
        {{{"length.units", "mm"}, {"length.digits", "1"}, {"length.zeroes", "1"}}, QuantityLength, 7,
         "7.0 mm"},
        {{{"length.digits", "0"}}, QuantityLength, 7.6, "8 "},
        {{{"pieces.units", "pcs"}}, QuantityPieces, 1e30, "9200000000000000000 pcs"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.text, FormatQuantityWith(BagOf(c.formats), c.mode, true, c.value)) << c.text;
}
