#include "dialogs/DelimitedImport.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/DCSProject.h"
#include "foundation/DAppSettings.h"
#include "support/PropsTestHelpers.h"
#include "support/TestFiles.h"

namespace {

using Record = Entries;

std::vector<Record> RecordsOf(const DData& table)
{
    std::vector<Record> out;
    for (const DProps& r : table.Records())
        out.push_back(EntriesOf(r));
    return out;
}

} // namespace

// ---- Separator lists ---------------------------------------------------------------------

TEST(SeparatorLists, HoldFourEntriesEachStartingWithItsCharacter)
{
    EXPECT_EQ((std::vector<std::string>{"\t \\tab", "; \\semi-colon", ", \\comma", "\r \\linebreak"}),
              ImportSeparators());
    // The final "~" ends the list; it makes no fifth entry.
    EXPECT_EQ((std::vector<std::string>{"\t \\tab", "; \\semi-colon", ", \\comma", "| \\vertical bar"}),
              ExportSeparators());
    EXPECT_STREQ("\\empty", EmptyFieldKey);
    EXPECT_STREQ("\\Empty field", EmptyFieldTitle);
}

// ---- Detection ---------------------------------------------------------------------------

TEST(DetectSeparator, TakesTheFirstCandidateSeenTwiceInEveryLine)
{
    struct Case {
        const char* text;
        const char* expected;          // DetectSeparator
        const char* orLineBreak;       // the dialog's variant
        const char* byCount;           // the equal-count fallback
    };
    const Case cases[] = {
        {"a;b;c\r\n1;2;3", "; \\semi-colon", "; \\semi-colon", "; \\semi-colon"},
        // One separator per line is not enough for the plain rule.
        {"1;2\r\n3;4", "", "", "; \\semi-colon"},
        {"1;2\r\n3;4;5", "", "", ""},
        // List order breaks ties: TAB before ";" before ",".
        {"1,2,3;4;5\r\n6,7,8;9;0", "; \\semi-colon", "; \\semi-colon", "; \\semi-colon"},
        {"a\tb\tc,d,e", "\t \\tab", "\t \\tab", "\t \\tab"},
        // A blank line ends the examination: the third line never counts.
        {"a,b,c\r\n\r\nx;y;z", ", \\comma", ", \\comma", ", \\comma"},
        // Lines are trimmed first, so outer TABs do not count.
        {"\t1\t\r\n\t2\t", "", "", ""},
        // Five CRs and no separator: one field per line, for the dialog only.
        {"1\r\n2\r\n3\r\n4\r\n5\r\n6", "", "\r", ""},
        {"1\r\n2\r\n3\r\n4", "", "", ""},
        // Nothing to look at, nothing found.
        {"\r\n1;2;3", "", "", ""},
        {"", "", "", ""},
    };
    const std::vector<std::string> candidates = ImportSeparators();
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, DetectSeparator(c.text, candidates, "")) << c.text;
        EXPECT_EQ(c.orLineBreak, DetectSeparatorOrLineBreak(c.text, candidates, "\r\n")) << c.text;
        EXPECT_EQ(c.byCount, DetectSeparatorByCount(c.text, candidates, "\r\n")) << c.text;
    }
    EXPECT_EQ("", DetectSeparator("a;b;c", {}, ""));
    EXPECT_EQ("; x", DetectSeparator("a;b;c", {"", "; x"}, ""));
    EXPECT_EQ("| bar", DetectSeparator("a|b|c#d|e|f", {"; s", "| bar"}, "#"));
}

// ---- ImportRecords ---------------------------------------------------------------------------

class ImportRecordsTest : public TempFolderTest {
protected:
    ImportRecordsTest() : TempFolderTest("bravik_import_") {}
    // The path of a new file holding bytes.
    std::string Write(const char* name, const std::string& bytes)
    {
        WriteBytes(Path(name), bytes);
        return Path(name);
    }
};

TEST_F(ImportRecordsTest, ParsesTextUnderTheGivenOrDetectedSeparator)
{
    struct Case {
        const char* name;
        const char* text;
        const char* separator;   // null: not given
        const char* format;
        bool ok;
        const char* separatorUsed;
        std::vector<Record> records;
    };
    const Case cases[] = {
        {"detected", "a;b;c\r\n1;2;3", nullptr, "x;y;z", true, ";",
         {{{"x", "a"}, {"y", "b"}, {"z", "c"}}, {{"x", "1"}, {"y", "2"}, {"z", "3"}}}},
        {"given, first character only", "1:2\r\n", "::", "a;b", true, ":",
         {{{"a", "1"}, {"b", "2"}}}},
        // Two columns with one separator each: the equal count decides.
        {"two columns", "1000;2\r\n1500;4\r\n", nullptr, "length;quantity", true, ";",
         {{{"length", "1000"}, {"quantity", "2"}}, {{"length", "1500"}, {"quantity", "4"}}}},
        // One key needs no separator: the line is the field.
        {"one key", "1000\r\n1500", nullptr, "length", true, "",
         {{{"length", "1000"}}, {{"length", "1500"}}}},
        // Several keys and no way to tell the columns apart: no import.
        {"undecidable", "1000\r\n1500 2", nullptr, "length;quantity", false, "", {}},
        {"ragged", "1;2\r\n3;4;5", nullptr, "a;b;c", false, "", {}},
        // A separator that the lines do not hold cannot split them as asked.
        {"given but absent", "1000;2\r\n1500;4", ",", "length;quantity", false, ",", {}},
        {"absent from one line", "1000;2\r\n1500", ";", "length;quantity", false, ";", {}},
        {"one field per line", "1000\r\n2\r\n1500\r\n4", "\r", "length;quantity", true, "\r",
         {{{"length", "1000"}, {"quantity", "2"}}, {{"length", "1500"}, {"quantity", "4"}}}},
        // Text written with bare line feeds reads line by line.
        {"line feeds", "6000;10;3\n4000;5;3\n", nullptr, "length;quantity;knife", true, ";",
         {{{"length", "6000"}, {"quantity", "10"}, {"knife", "3"}},
          {{"length", "4000"}, {"quantity", "5"}, {"knife", "3"}}}},
        {"blank text", " \r\n\t ", ";", "a", false, ";", {}},
        {"no format", "1;2", ";", "", false, ";", {}},
    };
    for (const Case& c : cases) {
        DProps params;
        params.Set("text", c.text).Set("format", c.format);
        if (c.separator)
            params.Set("field.separator", c.separator);
        DData table;
        EXPECT_EQ(c.ok, ImportRecords(table, params)) << c.name;
        EXPECT_EQ(c.records, RecordsOf(table)) << c.name;
        EXPECT_EQ(c.separatorUsed, DProps::GetString(params, "field.separator", "<none>")) << c.name;
    }
}

TEST_F(ImportRecordsTest, ReadsFilesAndTakesTheSeparatorFromTheirExtension)
{
    const std::string body = "1;2,3\r\n4;5,6\r\n";
    struct Case {
        const char* file;
        const char* separator;
        const char* first;
    };
    const Case cases[] = {
        {"rows.csv", ",", "1;2"},
        {"rows.tab", "\t", "1;2,3"},
        {"rows.CSV", "", "1;2,3"},      // capitals are not the extension: detected, nothing found
        {"rows.txt", "", "1;2,3"},
    };
    for (const Case& c : cases) {
        const std::string path = Write(c.file, body);
        DProps params;
        params.Set("file", path.c_str()).Set("format", "a");
        DData table;
        EXPECT_TRUE(ImportRecords(table, params)) << c.file;
        EXPECT_EQ(c.separator, DProps::GetString(params, "field.separator")) << c.file;
        ASSERT_EQ(2, table.Count()) << c.file;
        EXPECT_EQ(c.first, DProps::GetString(table.Records()[0], "a")) << c.file;
    }
    // Text wins over the file; a missing or empty file reads nothing.
    DProps params;
    params.Set("text", "9").Set("file", Path("none.csv").c_str()).Set("format", "a");
    DData table;
    EXPECT_TRUE(ImportRecords(table, params));
    params.Set("text", "");
    EXPECT_FALSE(ImportRecords(table, params));
    params.Set("file", Write("empty.txt", "").c_str());
    EXPECT_FALSE(ImportRecords(table, params));
    params.Set("file", "");
    EXPECT_FALSE(ImportRecords(table, params));
}

TEST_F(ImportRecordsTest, TakesTheFieldOrderFromAFormatFileWhenNoneIsGiven)
{
    const std::string fmt = Write("order.fmt", "quantity ;\r\n length;");
    DProps params;
    params.Set("text", "2;1000").Set("format.file", fmt.c_str());
    DData table;
    EXPECT_TRUE(ImportRecords(table, params));
    EXPECT_EQ("quantity;length", DProps::GetString(params, "format"));
    EXPECT_EQ((std::vector<Record>{{{"quantity", "2"}, {"length", "1000"}}}), RecordsOf(table));

    // A present but empty format is kept, and nothing can be read.
    DProps empty;
    empty.Set("text", "2;1000").Set("format", "").Set("format.file", fmt.c_str());
    EXPECT_FALSE(ImportRecords(table, empty));
    EXPECT_EQ("", DProps::GetString(empty, "format", "<none>"));

    // An unreadable format file leaves the order unset.
    DProps missing;
    missing.Set("text", "2;1000").Set("format.file", Path("none.fmt").c_str());
    EXPECT_FALSE(ImportRecords(table, missing));
    EXPECT_EQ(-1, missing.IndexOf("format"));
}

TEST_F(ImportRecordsTest, ImportsALargePartsFileWhole)
{
    std::string text;
    for (int i = 1; i <= 10000; ++i)
        text += std::to_string(500 + i) + ";" + std::to_string(i % 9 + 1) + ";P" + std::to_string(i) +
                ";part number " + std::to_string(i) + "\r\n";
    ASSERT_GT(text.size(), 140000u);
    DProps params;
    params.Set("file", Write("parts.txt", text).c_str()).Set("format", "length;quantity;label;comment");
    DData table;
    ASSERT_TRUE(ImportRecords(table, params));
    ASSERT_EQ(10000, table.Count());
    const DProps& last = table.Records().back();
    EXPECT_EQ("10500", DProps::GetString(last, "length"));
    EXPECT_EQ("2", DProps::GetString(last, "quantity"));  // 10000 % 9 + 1
    EXPECT_EQ("part number 10000", DProps::GetString(last, "comment"));
}

TEST_F(ImportRecordsTest, ReadsFilesAsTheyWereWrittenOrRefusesThemWithTheReason)
{
    struct Case {
        const char* name;
        std::string bytes;
        bool ok;
        std::vector<std::string> lengths;
        const char* error;   // a part of "error"
    };
    const Case cases[] = {
        // Spreadsheet programs begin their UTF-8 with a byte-order mark.
        {"UTF-8 mark", "\xEF\xBB\xBF" "6100;2\r\n5000;1\r\n", true, {"6100", "5000"}, nullptr},
        {"UTF-16 with its mark", std::string("\xFF\xFE" "6\0" "1\0" "0\0" "0\0;\0" "2\0\r\0\n\0" "5\0;\0" "1\0", 24),
         true, {"6100", "5"}, nullptr},
        // Old files end their lines with a carriage return alone.
        {"CR alone", "6100;2\r5000;1\r4000;3", true, {"6100", "5000", "4000"}, nullptr},
        {"binary holding a separator", std::string("PK\x03\x04;\x01\r\n\0\0;\x02", 12), false, {}, "zero byte (line 2)"},
        {"UTF-16 beyond the code page", std::string("\xFF\xFE" "6\0;\0" "2\0\x92\x21", 10), false, {},
         "code page cannot show (line 1)"},
    };
    for (const Case& c : cases) {
        DProps params;
        params.Set("file", Write("rows.txt", c.bytes).c_str()).Set("format", "length;quantity");
        DData table;
        EXPECT_EQ(c.ok, ImportRecords(table, params)) << c.name;
        std::vector<std::string> lengths;
        for (const DProps& r : table.Records())
            lengths.push_back(DProps::GetString(r, "length"));
        EXPECT_EQ(c.lengths, lengths) << c.name;
        const std::string error = DProps::GetString(params, "error", "<none>");
        if (c.error)
            EXPECT_NE(std::string::npos, error.find(c.error)) << c.name << ": " << error;
        else
            EXPECT_EQ("<none>", error) << c.name;
    }

    // A format file is read the same way.
    DProps marked;
    marked.Set("text", "2;1000").Set("format.file", Write("marked.fmt", "\xEF\xBB\xBF" "quantity;length").c_str());
    DData table;
    EXPECT_TRUE(ImportRecords(table, marked));
    EXPECT_EQ("quantity;length", DProps::GetString(marked, "format"));
    DProps binary;
    binary.Set("text", "2;1000").Set("format.file", Write("binary.fmt", std::string("length\0;", 8)).c_str());
    EXPECT_FALSE(ImportRecords(table, binary));
    EXPECT_NE(std::string::npos, DProps::GetString(binary, "error").find("binary.fmt: The file is not text"));
    std::vector<std::string> keys;
    EXPECT_FALSE(FormatFile(";", Path("binary.fmt").c_str(), true, keys));
}

TEST_F(ImportRecordsTest, SaysWhichLineLacksTheSeparatorAndImportsNothing)
{
    struct Case {
        const char* text;
        const char* separator;
        const char* error;
    };
    const Case cases[] = {
        // Lines are counted as the text has them, blank ones included.
        {"\r\n\r\n1000;2\r\n1500 4\r\n800;1", ";", "line 4 (\"1500 4\") has no \";\""},
        {"1000\t2\r\n1500", "\t", "line 2 (\"1500\") has no tab"},
        {"1000 2\r\n1500 4 5", nullptr, "no field separator (tab, \";\" or \",\") stands the same number"},
    };
    for (const Case& c : cases) {
        DProps params;
        params.Set("text", c.text).Set("format", "length;quantity");
        if (c.separator)
            params.Set("field.separator", c.separator);
        DData table;
        EXPECT_FALSE(ImportRecords(table, params)) << c.text;
        EXPECT_EQ(0, table.Count()) << c.text;
        const std::string error = DProps::GetString(params, "error");
        EXPECT_NE(std::string::npos, error.find(c.error)) << error;
        EXPECT_EQ(0u, error.find("Nothing was imported: ")) << error;
    }
    std::string line;
    EXPECT_EQ(0, FirstUnsplitLine("1;2\r\n\r\n3;4", ";", "\r\n", 2, &line));
    EXPECT_EQ(0, FirstUnsplitLine("1\r\n2", ";", "\r\n", 1, &line));
    EXPECT_EQ(0, FirstUnsplitLine("1\r\n2", "\r", "\r\n", 2, &line));
    EXPECT_EQ(2, FirstUnsplitLine("1;2\r\n  34567890123456789012345678901234567890123  ", ";", "\r\n", 2, &line));
    EXPECT_EQ("Nothing was imported: line 2 (\"3456789012345678901234567890123456789012...\") has no \";\" to "
              "split it into fields.",
              UnsplitLineMessage(2, line, ";"));
}

// ---- Rows from records ---------------------------------------------------------------------

TEST(RowsFromRecords, GiveEveryFieldOfTheKindAndKeepUnreadableNumbersAsWritten)
{
    struct Case {
        const char* name;
        long kind;
        Record record;
        Record row;
    };
    const Case cases[] = {
        {"stock defaults", RowsBlanks, {{"length", "6000"}},
         {{"length", "6000"}, {"quantity", "0"}, {"knife", "0"}, {"indent", "0"}, {"cost", "1"}, {"comment", ""}}},
        {"empty numbers take the defaults too", RowsBlanks,
         {{"length", "6000"}, {"quantity", ""}, {"knife", " "}, {"cost", ""}, {"comment", "rack"}},
         {{"length", "6000"}, {"quantity", "0"}, {"knife", "0"}, {"indent", "0"}, {"cost", "1"}, {"comment", "rack"}}},
        {"numbers are trimmed, texts are not", RowsBlanks,
         {{"comment", " a "}, {"cost", " 12,5 "}, {"length", " 6000 "}, {"quantity", "3"}, {"uid", "7"}},
         {{"length", "6000"}, {"quantity", "3"}, {"knife", "0"}, {"indent", "0"}, {"cost", "12,5"}, {"comment", " a "}}},
        {"unreadable numbers stay as written", RowsBlanks,
         {{"length", "1,250.5"}, {"quantity", "2.5"}, {"knife", "3mm"}},
         {{"length", "1,250.5"}, {"quantity", "2.5"}, {"knife", "3mm"}, {"indent", "0"}, {"cost", "1"}, {"comment", ""}}},
        {"a part keeps its label", RowsPieces, {{"length", "1200"}, {"quantity", "4"}, {"label", "Door A"}},
         {{"length", "1200"}, {"quantity", "4"}, {"label", "Door A"}, {"comment", ""}}},
        {"a part without quantity is left for the check", RowsPieces, {{"length", "12mm"}, {"material", "Pine"}},
         {{"length", "12mm"}, {"quantity", ""}, {"label", ""}, {"comment", ""}}},
    };
    for (const Case& c : cases) {
        const PropsList rows = RowsFromRecords({BagOf(c.record)}, c.kind);
        ASSERT_EQ(1u, rows.size()) << c.name;
        EXPECT_EQ(c.row, EntriesOf(rows[0])) << c.name;
    }
    std::vector<std::string> keys;
    for (const ImportField& f : ImportFields(RowsPieces))
        keys.push_back(f.key);
    EXPECT_EQ((std::vector<std::string>{"length", "quantity", "label", "comment"}), keys);
}

TEST(AppendImportedRows, StampsAndNumbersTheNewRowsWithTheOldOnes)
{
    DCSProject material;
    ASSERT_EQ(MaterialNameOk, material.SetMaterial("Steel"));
    ASSERT_TRUE(material.AppendRows({BagOf({{"length", "6000"}, {"quantity", "2"}})}, RowsBlanks));
    EXPECT_FALSE(AppendImportedRows(material, {}, RowsBlanks));
    ASSERT_TRUE(AppendImportedRows(material, {BagOf({{"length", "5000"}}), BagOf({{"length", "4000"}})}, RowsBlanks));
    const PropsList& rows = material.GetBlankRows();
    ASSERT_EQ(3u, rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ("Steel", DProps::GetString(rows[i], "material")) << i;
        EXPECT_EQ(std::to_string(i + 1), DProps::GetString(rows[i], "id")) << i;
        EXPECT_NE("", DProps::GetString(rows[i], "uid")) << i;
    }
}

// ---- Separators kept in the settings ----------------------------------------------------------

TEST_F(ImportRecordsTest, EverySeparatorSurvivesTheSettingsFile)
{
    for (const std::string& entry : ImportSeparators()) {
        const std::string separator = entry.substr(0, 1);
        const std::string path = Path("Bravik.properties");
        {
            DAppSettings settings;
            settings.Load(path.c_str());
            settings.Set("import.pieces.separator", SeparatorToSetting(separator).c_str());
            ASSERT_EQ(2, settings.Save(false));
        }
        DAppSettings again;
        again.Load(path.c_str());
        EXPECT_EQ(separator, SeparatorFromSetting(again.Get("import.pieces.separator", ";").ToStdString()))
            << entry;
    }
    EXPECT_EQ(";", SeparatorToSetting(";"));
    EXPECT_EQ("|", SeparatorFromSetting("|"));
}

// ---- Format files ---------------------------------------------------------------------------

TEST_F(ImportRecordsTest, FormatFilesKeepAFieldOrder)
{
    std::vector<std::string> keys = {"length", "quantity", "knife", "comment"};
    const std::string path = Path("order.fmt");
    ASSERT_TRUE(FormatFile(";", path.c_str(), false, keys));
    EXPECT_EQ("length;quantity;knife;comment", ReadBytes(path));
    EXPECT_EQ(29u, ReadBytes(path).size());

    std::vector<std::string> back = {"first"};
    ASSERT_TRUE(FormatFile(";", path.c_str(), true, back));
    EXPECT_EQ((std::vector<std::string>{"first", "length", "quantity", "knife", "comment"}), back);

    struct Case {
        const char* bytes;
        bool ok;
        std::vector<std::string> keys;
    };
    const Case cases[] = {
        {"length ;\r\n quantity;", true, {"length", "quantity"}},
        {"a;;b", true, {"a", "", "b"}},
        {"a;b;\r\n", true, {"a", "b"}},
        {" \r\n", false, {}},
        // A format file saved by an editor as UTF-8 starts with a byte-order mark.
        {"\xEF\xBB\xBFlength;quantity", true, {"length", "quantity"}},
        {"\xEF\xBB\xBF", false, {}},
    };
    for (const Case& c : cases) {
        const std::string file = Write("case.fmt", c.bytes);
        std::vector<std::string> read;
        EXPECT_EQ(c.ok, FormatFile(";", file.c_str(), true, read)) << c.bytes;
        EXPECT_EQ(c.keys, read) << c.bytes;
    }
    std::vector<std::string> none;
    EXPECT_FALSE(FormatFile(";", Path("none.fmt").c_str(), true, none));
    EXPECT_FALSE(FormatFile(";", Write("empty.fmt", "").c_str(), true, none));
    EXPECT_TRUE(none.empty());

    // An empty list leaves an empty file and reports failure; the old file is replaced.
    std::vector<std::string> empty;
    EXPECT_FALSE(FormatFile(";", path.c_str(), false, empty));
    EXPECT_EQ("", ReadBytes(path));
}

TEST(TextToCrLf, EndsEveryLineTheWayItsTextEndsOne)
{
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"a\nb\n", "a\r\nb\r\n"}, {"a\r\nb", "a\r\nb"}, {"\n\n", "\r\n\r\n"},
        // Old files end lines with a carriage return alone.
        {"a\rb\r", "a\r\nb\r\n"}, {"a\r\n\nb", "a\r\n\r\nb"}, {"a\r\rb", "a\r\n\r\nb"}, {"", ""},
    };
    for (const Case& c : cases) {
        std::string text = c.in;
        EXPECT_EQ(c.out, TextToCrLf(text));
    }
}
