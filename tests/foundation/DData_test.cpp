#include "foundation/DData.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/PropsTestHelpers.h"
#include "foundation/RecordText.h"
#include "foundation/StrUtil.h"

namespace {

DProps Options(const char* format, const char* field = nullptr, const char* record = nullptr,
               const char* compact = nullptr)
{
    DProps options;
    if (format)
        options.Set("format", format);
    if (field)
        options.Set("field.separator", field);
    if (record)
        options.Set("record.separator", record);
    if (compact)
        options.Set("compact", compact);
    return options;
}

DData TableOf(const std::vector<Entries>& records)
{
    PropsList rows;
    for (const Entries& e : records)
        rows.push_back(BagOf(e));
    DData table;
    table.SetRecords(rows);
    return table;
}

std::vector<Entries> RecordsOf(const DData& table)
{
    std::vector<Entries> out;
    for (const DProps& r : table.Records())
        out.push_back(EntriesOf(r));
    return out;
}

} // namespace

// ---- Export --------------------------------------------------------------------------

TEST(DDataExport, WritesEveryRecordAsOneTerminatedLine)
{
    const DData table = TableOf({{{"a", "1"}, {"b", "2"}}, {{"a", "3"}}});
    struct Case {
        DProps options;
        std::string expected;
    };
    const Case cases[] = {
        // A missing value writes an empty field; the last line is ended too.
        {Options("a;b"), "1;2\r\n3;\r\n"},
        {Options("b;a"), "2;1\r\n;3\r\n"},
        // The placeholder always writes an empty column, even when a record
        // happens to hold a key of that name.
        {Options("a;\\empty;b"), "1;;2\r\n3;;\r\n"},
        {Options(" a ; b ", "|", "\n"), "1|2\n3|\n"},
        {Options("a,b", "\t", "\r\n"), "\r\n\r\n"},  // "a,b" is one unknown name
        {[] { DProps o = Options("a,b", "\t"); o.Set("format.separator", ","); return o; }(),
         "1\t2\r\n3\t\r\n"},
        // No name: nothing at all, not even line ends.
        {Options(nullptr), ""},
        {Options(""), ""},
        {Options(" ; "), ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, DData::Export(c.options, table)) << c.options.Get("format", "<none>");

    DData withPlaceholderKey = TableOf({{{"\\empty", "x"}, {"a", "1"}}});
    EXPECT_EQ(";1\r\n", DData::Export(Options("\\empty;a"), withPlaceholderKey));
}

TEST(DDataExport, WritesValuesUnprotectedAndWholeForLargeTables)
{
    // A value holding the separator is not quoted: the reader gets one more field.
    const DData table = TableOf({{{"c", "x;y"}, {"n", "1"}}});
    EXPECT_EQ("x;y;1\r\n", DData::Export(Options("c;n"), table));

    PropsList rows;
    std::string expected;
    for (int i = 0; i < 10000; ++i) {
        DProps row;
        row.SetLong("id", i + 1).Set("length", "1234.5").Set("quantity", "17");
        rows.push_back(row);
        expected += std::to_string(i + 1) + "|1234.5|17\r\n";
    }
    DData big;
    big.SetRecords(rows);
    const std::string text = DData::Export(Options("id;length;quantity", "|"), big);
    EXPECT_GT(text.size(), 150000u);
    EXPECT_EQ(expected, text);
}

// ---- Import --------------------------------------------------------------------------

TEST(DDataImport, SplitsRecordsAndFieldsOntoTheFormat)
{
    struct Case {
        const char* name;
        DProps options;
        std::string text;
        long read;
        std::vector<Entries> records;
    };
    const Case cases[] = {
        {"a missing field is left out", Options("a;b"), "1;2\r\n3", 2,
         {{{"a", "1"}, {"b", "2"}}, {{"a", "3"}}}},
        {"a trailing separator adds no field", Options("a;b"), "3;\r\n", 1, {{{"a", "3"}}}},
        {"empty middle field stays empty", Options("a;b;c"), "1;;3", 1,
         {{{"a", "1"}, {"b", ""}, {"c", "3"}}}},
        {"extra fields are dropped", Options("a"), "1;2;3", 1, {{{"a", "1"}}}},
        {"fields are not trimmed nor unquoted", Options("a;b"), " 1 ;\"2\"", 1,
         {{{"a", " 1 "}, {"b", "\"2\""}}}},
        {"trailing blanks of a line go, and with them its empty fields", Options("a;b;c", "\t"),
         "1\t\t\r\n", 1, {{{"a", "1"}}}},
        {"blank lines are counted but make no record", Options("a"), "1\r\n\r\n  \r\n2\r\n", 4,
         {{{"a", "1"}}, {{"a", "2"}}}},
        {"placeholder columns are read and dropped", Options("a;\\empty;b"), "1;x;2", 1,
         {{{"a", "1"}, {"b", "2"}}}},
        {"any backslash name is a placeholder", Options("\\skip;a"), "x;1", 1, {{{"a", "1"}}}},
        {"a name given twice keeps its last value", Options("a;a"), "1;2", 1, {{{"a", "2"}}}},
        {"flat run when both separators are ;", Options("a;b", ";", ";"), "1;2;3;4", 2,
         {{{"a", "1"}, {"b", "2"}}, {{"a", "3"}, {"b", "4"}}}},
        {"a partial last group still makes a record", Options("a;b", ";", ";"), "1;2;3", 2,
         {{{"a", "1"}, {"b", "2"}}, {{"a", "3"}}}},
        {"one field per line with CR", Options("length;quantity", "\r"), "10\r\n2\r\n20\r\n3\r\n30\r\n4",
         3,
         {{{"length", "10"}, {"quantity", "2"}},
          {{"length", "20"}, {"quantity", "3"}},
          {{"length", "30"}, {"quantity", "4"}}}},
        {"no field separator puts the line in the first field", Options("a;b", ""), "1;2", 1,
         {{{"a", "1;2"}}}},
        {"compact squeezes number texts only", Options("a;b;c;d", ";", nullptr, "1"),
         " 12 345 ;12 m;1 250,5;", 1,
         {{{"a", "12345"}, {"b", "12 m"}, {"c", "1250,5"}}}},
        {"compact must read as 1", Options("a", ";", nullptr, "yes"), "1 000", 1, {{{"a", "1 000"}}}},
        {"a text without record separator is one record", Options("a;b", ";", "\r\n"), "1;2\n3;4", 1,
         {{{"a", "1"}, {"b", "2\n3"}}}},
        {"empty text reads nothing", Options("a"), "", 0, {}},
        {"no format reads nothing", Options(nullptr), "1;2", 0, {}},
        {"format of blanks reads nothing", Options(" ; "), "1;2", 0, {}},
    };
    for (const Case& c : cases) {
        DData table;
        EXPECT_EQ(c.read, DData::Import(c.options, table, c.text, true)) << c.name;
        EXPECT_EQ(c.records, RecordsOf(table)) << c.name;
    }
}

TEST(DDataImport, AppendsOrClearsFirst)
{
    DData table = TableOf({{{"a", "old"}}});
    EXPECT_EQ(1, DData::Import(Options("a"), table, "new", false));
    EXPECT_EQ((std::vector<Entries>{{{"a", "old"}}, {{"a", "new"}}}), RecordsOf(table));
    // Clearing happens even when nothing can be read.
    EXPECT_EQ(0, DData::Import(Options(nullptr), table, "x", true));
    EXPECT_EQ(0, table.Count());
}

TEST(DDataImport, ReadsWhatExportWrote)
{
    const DData table = TableOf({{{"length", "6000"}, {"quantity", "10"}, {"comment", "a b"}},
                                 {{"length", "4000.5"}, {"quantity", "0"}, {"comment", ""}}});
    for (const char* separator : {"\t", ";", ",", "|"}) {
        const DProps options = Options("length;quantity;comment", separator);
        DData back;
        EXPECT_EQ(2, DData::Import(options, back, DData::Export(options, table), true)) << separator;
        // The empty last field does not come back: nothing marks an empty
        // field at the end of a line.
        EXPECT_EQ((std::vector<Entries>{{{"length", "6000"}, {"quantity", "10"}, {"comment", "a b"}},
                                        {{"length", "4000.5"}, {"quantity", "0"}}}),
                  RecordsOf(back))
            << separator;
    }
}

TEST(DDataImport, ReadsALargeTextWhole)
{
    std::string text;
    for (int i = 1; i <= 10000; ++i)
        text += std::to_string(1000 + i) + ";" + std::to_string(i % 7 + 1) + ";Label " +
                std::to_string(i) + ";comment of part " + std::to_string(i) + "\r\n";
    ASSERT_GT(text.size(), 150000u);
    DData table;
    EXPECT_EQ(10000, DData::Import(Options("length;quantity;label;comment"), table, text, true));
    ASSERT_EQ(10000, table.Count());
    const DProps& last = table.Records().back();
    EXPECT_EQ("11000", DProps::GetString(last, "length"));
    EXPECT_EQ("comment of part 10000", DProps::GetString(last, "comment"));
}

// ---- Checksum and change detection ------------------------------------------------------

TEST(DDataChecksum, IsTheCrcOfIndicesAndSignedRecordChecksums)
{
    const DData table = TableOf({{{"a", "1"}}, {{"b", "2"}}});
    std::string text;
    for (size_t i = 0; i < table.Records().size(); ++i)
        text += std::to_string(i) +
                std::to_string(static_cast<int32_t>(table.Records()[i].Checksum()));
    EXPECT_NE(std::string::npos, text.find('-'));  // both record checksums are above 2^31
    EXPECT_EQ(Crc32(text.c_str()), table.Checksum());
    EXPECT_EQ(table.Checksum(), table.StoredChecksum());
    EXPECT_EQ(Crc32(""), DData::Checksum(PropsList()));
}

TEST(DDataChecksum, CheckModifiedFollowsEveryKindOfChange)
{
    struct Case {
        const char* name;
        void (*change)(PropsList&);
    };
    const Case cases[] = {
        {"a value", [](PropsList& r) { r[1].Set("length", "4001"); }},
        {"a comment", [](PropsList& r) { r[0].Set("length", "6000", "note", true); }},
        {"a new key", [](PropsList& r) { r[0].Set("label", ""); }},
        {"a removed key", [](PropsList& r) { r[0].RemoveAt(r[0].IndexOf("quantity")); }},
        {"the order of records", [](PropsList& r) { std::swap(r[0], r[1]); }},
        {"a record more", [](PropsList& r) { r.push_back(DProps()); }},
        {"a record less", [](PropsList& r) { r.pop_back(); }},
    };
    for (const Case& c : cases) {
        DData table = TableOf({{{"length", "6000"}, {"quantity", "10"}}, {{"length", "4000"}, {"quantity", "5"}}});
        EXPECT_FALSE(table.CheckModified()) << c.name;
        c.change(table.Records());
        EXPECT_TRUE(table.CheckModified()) << c.name;
        EXPECT_TRUE(table.IsModified()) << c.name;
    }

    // Changing a value back, or swapping records back, is no change.
    DData table = TableOf({{{"a", "1"}}, {{"a", "2"}}, {{"a", "3"}}});
    std::swap(table.Records()[1], table.Records()[2]);
    EXPECT_TRUE(table.CheckModified());
    std::swap(table.Records()[1], table.Records()[2]);
    EXPECT_FALSE(table.CheckModified());
    table.Records()[0].Set("a", "9");
    table.Records()[0].Set("a", "1");
    EXPECT_FALSE(table.CheckModified());
}

// ---- Lookup by uid ----------------------------------------------------------------------

TEST(DDataGetRecord, CopiesTheFirstRecordWithThatUid)
{
    const DData table = TableOf({{{"uid", "7"}, {"length", "1"}},
                                 {{"uid", "70"}, {"length", "2"}},
                                 {{"uid", "70"}, {"length", "3"}}});
    DProps out = BagOf({{"length", "old"}, {"keep", "k"}});
    EXPECT_EQ(1, DData::GetRecord(table, "70", out));
    EXPECT_EQ((Entries{{"length", "2"}, {"keep", "k"}, {"uid", "70"}}), EntriesOf(out));

    for (const char* uid : {"", "07", "7 ", "8"}) {
        DProps untouched = BagOf({{"x", "y"}});
        EXPECT_EQ(-1, DData::GetRecord(table, uid, untouched)) << uid;
        EXPECT_EQ((Entries{{"x", "y"}}), EntriesOf(untouched));
    }
    EXPECT_EQ(-1, DData::GetRecord(table, nullptr, out));
    EXPECT_EQ(-1, DData::GetRecord(DData(), "7", out));
}
