#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "foundation/DProps.h"
#include "foundation/DSettings.h"

namespace {

// One line per section, "[name|charset]" then " key=value#comment" per entry:
// enough to see order, names, charsets and every entry at a glance.
std::string Dump(const DSettings& doc)
{
    std::string out;
    for (int i = 0; i < doc.Count(); ++i) {
        const DProps* s = doc.SectionAt(i);
        out += "[" + s->Name() + "|" + s->Charset() + "]";
        for (int j = 0; j < s->Count(); ++j) {
            out += std::string(" ") + s->GetKeyAt(j) + "=" + s->GetValueAt(j);
            if (*s->GetCommentAt(j))
                out += std::string("#") + s->GetCommentAt(j);
        }
        out += "\n";
    }
    return out;
}

std::string ParseDump(const char* text)
{
    DSettings doc;
    EXPECT_TRUE(doc.Parse(text));
    return Dump(doc);
}

// A file in the temporary folder, removed again at the end of the test.
class TempFile {
public:
    explicit TempFile(const char* tag)
    {
        char folder[MAX_PATH];
        GetTempPathA(MAX_PATH, folder);
        m_path = std::string(folder) + "dsettings_" + tag + "_" + std::to_string(GetCurrentProcessId()) + ".ini";
        DeleteFileA(m_path.c_str());
    }
    ~TempFile() { DeleteFileA(m_path.c_str()); }
    const char* Path() const { return m_path.c_str(); }
    void Write(const std::string& bytes) const
    {
        HANDLE h = CreateFileA(m_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        DWORD written = 0;
        if (!bytes.empty())
            WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(h);
        ASSERT_EQ(bytes.size(), written);
    }

private:
    std::string m_path;
};

struct ParseCase {
    const char* text;
    const char* dump;
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << ::testing::PrintToString(c.text); }

class DSettingsParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(DSettingsParse, ReadsSectionsAndEntries)
{
    EXPECT_EQ(GetParam().dump, ParseDump(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, DSettingsParse,
    ::testing::Values(
        // A key's first occurrence wins, compared ignoring case.
        ParseCase{"[a]\nx=1\nx=2\nX=3\n", "[a|] x=1\n"},
        // Only the first comment-only line of a section survives, in its place.
        ParseCase{"; first\n; second\nk=v\n", "[|] ;=#first k=v\n"},
        // A header without entries leaves no section; entries before the first
        // header form the unnamed section, first in the list.
        ParseCase{"k=v\n[empty]\n[b]\ny=2\n", "[|] k=v\n[b|] y=2\n"},
        // A repeated header makes a second section of the same name.
        ParseCase{"[a]\nx=1\n[a]\nx=2\n", "[a|] x=1\n[a|] x=2\n"},
        // Header names: inner blanks stay, text after "]" is ignored, a missing
        // "]" takes the rest, "[]" is the empty name.
        ParseCase{"[ my sec ] trailing\nk=1\n", "[ my sec |] k=1\n"},
        ParseCase{"[open\nk=1\n", "[open|] k=1\n"},
        ParseCase{"[]\nk=1\n", "[|] k=1\n"},
        // Entry lines: the comment starts after the last ";", the key ends at the
        // first "=", key, value and comment are trimmed.
        ParseCase{"k = a;b ; c\n", "[|] k=a;b#c\n"},
        ParseCase{"k=a;b\n", "[|] k=a#b\n"},
        ParseCase{"k=a=b\n", "[|] k=a=b\n"},
        ParseCase{"k\n", "[|] k=\n"},
        ParseCase{"= text\n", "[|] ;=text\n"},
        ParseCase{"k=;c\n", "[|] k=#c\n"},
        // Line breaks of every kind and runs of blank lines read alike.
        ParseCase{"a=1\nb=2", "[|] a=1 b=2\n"},
        ParseCase{"a=1\r\nb=2\r\n", "[|] a=1 b=2\n"},
        ParseCase{"a=1\rb=2\r", "[|] a=1 b=2\n"},
        ParseCase{"\r\n\r\n  \r\na=1\n\n\n\r\r\nb=2\n\n", "[|] a=1 b=2\n"},
        // Tabs: inside a value they stay, at the ends of a line they go.
        ParseCase{"\tk=a\tb\t\n", "[|] k=a\tb\n"},
        // Bytes above 127 are never trimmed.
        ParseCase{"k=\xA0v\xA0\n", "[|] k=\xA0v\xA0\n"}));

TEST(DSettings, ByteOrderMarkMakesHeadedSectionsUtf8)
{
    DSettings doc("ansi");
    EXPECT_EQ("ansi", doc.Charset());
    ASSERT_TRUE(doc.Parse("\xEF\xBB\xBFk=0\n[s]\nname=caf\xC3\xA9\n"));
    EXPECT_EQ("utf-8", doc.Charset());
    // The unnamed section was opened before any header, so it keeps no charset.
    EXPECT_EQ("[|] k=0\n[s|utf-8] name=caf\xC3\xA9\n", Dump(doc));

    char* ansi = doc.SectionAt(1)->GetAnsi("name");
    ASSERT_NE(nullptr, ansi);
    EXPECT_STREQ("caf\xE9", ansi);
    free(ansi);

    ASSERT_TRUE(doc.Parse("[s]\nk=1\n"));
    EXPECT_EQ("", doc.Charset());
    EXPECT_EQ("", doc.SectionAt(0)->Charset());
}

TEST(DSettings, TextOfOnlyTheMarkIsReadFromItsFirstByte)
{
    DSettings doc;
    ASSERT_TRUE(doc.Parse("\xEF\xBB\xBF"));
    EXPECT_EQ("", doc.Charset());
    EXPECT_EQ("[|] \xEF\xBB\xBF=\n", Dump(doc));
}

TEST(DSettings, EmptyOrNullTextFailsAndDropsTheSections)
{
    DSettings doc;
    ASSERT_TRUE(doc.Parse("[a]\nk=v\n"));
    EXPECT_FALSE(doc.Parse(""));
    EXPECT_EQ(0, doc.Count());
    ASSERT_TRUE(doc.Parse("[a]\nk=v\n"));
    EXPECT_FALSE(doc.Parse(nullptr));
    EXPECT_EQ(0, doc.Count());
    // Blank lines only: a successful parse without sections.
    EXPECT_TRUE(doc.Parse("\r\n  \r\n"));
    EXPECT_EQ(0, doc.Count());
}

TEST(DSettings, WritesHeadersEntriesAndComments)
{
    DSettings doc;
    DProps top;
    top.Set("k", "v");
    doc.SetSection("", top);
    DProps a;
    a.SetString(";", "", "note", true);
    a.Set("x", "1", "c");
    doc.SetSection("a", a);
    EXPECT_EQ("k=v\r\n\r\n[a]\r\n; note\r\nx=1    ; c\r\n", doc.Write());
}

TEST(DSettings, WritesEmptyValuesAndBareMarkerEntries)
{
    DSettings doc;
    DProps s;
    s.Set("empty", "", "why");    // marker right after "="
    s.Set("plain", "", nullptr);  // "plain=" alone
    s.SetString(";", "", "", true); // an empty line
    doc.SetSection("s", s);
    DProps t;
    t.Set("y", "2");
    doc.SetSection("t", t);
    EXPECT_EQ("[s]\r\nempty=; why\r\nplain=\r\n\r\n\r\n[t]\r\ny=2\r\n", doc.Write());
    EXPECT_EQ("", DSettings().Write());
}

TEST(DSettings, WrittenTextParsesToTheSameDocument)
{
    DSettings doc;
    ASSERT_TRUE(doc.Parse("; head\ntop=1\n[a]\nx=1 ; c\ny=\n; only\n[b b]\nz=a=b\n"));
    const std::string before = Dump(doc);
    DSettings again;
    ASSERT_TRUE(again.Parse(doc.Write().c_str()));
    EXPECT_EQ(before, Dump(again));
    EXPECT_EQ(doc.Write(), again.Write());
}

// A value holding ";" used to lose its tail on reading, because the reader
// takes the last ";" of a line as the start of the comment.
TEST(DSettings, ValuesWithSemicolonsSurviveTheRoundTrip)
{
    const struct {
        const char* value;
        const char* comment;
        const char* line;
    } cases[] = {
        {"Incomplete; Smax=2", "", "status=Incomplete; Smax=2;\r\n"},
        {"a;b", "", "status=a;b;\r\n"},
        {";", "", "status=;;\r\n"},
        {"a;", "", "status=a;;\r\n"},
        {"a;b", "note", "status=a;b    ; note\r\n"},
        {"plain", "", "status=plain\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        DSettings doc;
        DProps row;
        row.Set("status", c.value, c.comment);
        doc.SetSection("layout.summary", row);
        const std::string text = doc.Write();
        EXPECT_EQ(std::string("[layout.summary]\r\n") + c.line, text);

        DSettings back;
        ASSERT_TRUE(back.Parse(text.c_str()));
        DProps read;
        ASSERT_TRUE(back.GetSection("layout.summary", read));
        EXPECT_STREQ(c.value, read.Get("status"));
        EXPECT_STREQ(c.comment, read.GetComment("status"));
    }
}

// The reader takes the last ";" of a line as the start of its comment, so a
// comment holding ";" used to cut its own line wrongly: the value "v" with
// the comment "note; with" read back as "v    ; note" with the comment "with".
TEST(DSettings, CommentsWithSemicolonsAndLineBreaksSurviveTheRoundTrip)
{
    const struct {
        const char* value;
        const char* comment;
        const char* line;  // as written
    } cases[] = {
        {"v", "note; with", "k=v    ; note&59& with\r\n"},
        {"a;b", "c;d", "k=a;b    ; c&59&d\r\n"},
        {"", "x;", "k=; x&59&\r\n"},
        {"v", ";", "k=v    ; &59&\r\n"},
        {"v", "two\r\nlines", "k=v    ; two&13&&10&lines\r\n"},
        {"v", "R&D; pine", "k=v    ; R&38&D&59& pine\r\n"},
        // Texts that read as escapes are escaped themselves.
        {"v", "&59& as typed", "k=v    ; &38&59&38& as typed\r\n"},
        {"v", "a&38&b", "k=v    ; a&38&38&38&b\r\n"},
        // Everything else is written as typed.
        {"v", "R&D", "k=v    ; R&D\r\n"},
        {"v", "&1& &x& &", "k=v    ; &1& &x& &\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.comment);
        DSettings doc;
        DProps section;
        section.Set("k", c.value, c.comment);
        section.Set("next", "1", "");
        doc.SetSection("s", section);
        const std::string text = doc.Write();
        EXPECT_EQ(std::string("[s]\r\n") + c.line + "next=1\r\n", text);

        EXPECT_EQ(std::string("[s|] k=") + c.value + "#" + c.comment + " next=1\n", ParseDump(text.c_str()));
    }

    // A comment-only line takes the same escapes.
    DSettings doc;
    DProps section;
    section.SetString(";", "", "first; only", true);
    doc.SetSection("s", section);
    EXPECT_EQ("[s]\r\n; first&59& only\r\n", doc.Write());
    EXPECT_EQ("[s|] ;=#first; only\n", ParseDump(doc.Write().c_str()));
}

TEST(DSettings, HandWrittenCommentsReadAsBefore)
{
    // Locale and automation texts are written by hand: their comments keep
    // every "&" that is not one of the four escapes.
    EXPECT_EQ("[m|] k=a;b#R&D & &1& &x x=1#&;\n", ParseDump("[m]\nk = a;b ; R&D & &1& &x\nx=1;&38&&59&\n"));
}

TEST(DSettings, GetSectionFindsTheFirstByNameIgnoringCase)
{
    DSettings doc;
    ASSERT_TRUE(doc.Parse("u=0\n[Alpha]\nk=1\n[beta]\nk=2\n[ALPHA]\nk=3\n"));
    DProps out;
    int position = 99;
    ASSERT_TRUE(doc.GetSection("alpha", out, &position));
    EXPECT_EQ(1, position);
    EXPECT_STREQ("1", out.Get("k"));
    EXPECT_EQ("Alpha", out.Name());

    ASSERT_TRUE(doc.GetSection("", out, &position));
    EXPECT_EQ(0, position);
    EXPECT_STREQ("0", out.Get("u"));
    EXPECT_EQ(nullptr, out.Get("k")); // the copy replaced everything

    // A copy: changing it leaves the document alone.
    out.Set("u", "changed");
    DProps again;
    ASSERT_TRUE(doc.GetSection("", again));
    EXPECT_STREQ("0", again.Get("u"));
}

TEST(DSettings, GetSectionMissOrNullNameLeavesOutUntouched)
{
    DSettings doc;
    ASSERT_TRUE(doc.Parse("[a]\nk=1\n"));
    DProps out;
    out.Name("mine");
    out.Set("keep", "1");
    int position = 0;
    EXPECT_FALSE(doc.GetSection("b", out, &position));
    EXPECT_EQ(doc.Count(), position);
    EXPECT_FALSE(doc.GetSection(nullptr, out, &position));
    EXPECT_EQ(doc.Count(), position);
    EXPECT_STREQ("1", out.Get("keep"));
    EXPECT_EQ("mine", out.Name());
    // Without an unnamed section the empty name finds nothing.
    EXPECT_FALSE(doc.GetSection("", out));
}

TEST(DSettings, SetSectionAppendsANewSectionNamedAfterIt)
{
    DSettings doc;
    DProps bag;
    bag.Name("old");
    bag.Set("k", "1");
    EXPECT_TRUE(doc.SetSection("fresh", bag));
    EXPECT_EQ("fresh", bag.Name());
    ASSERT_EQ(1, doc.Count());
    // The document holds a copy of its own.
    bag.Set("k", "2");
    EXPECT_STREQ("1", doc.SectionAt(0)->Get("k"));
    EXPECT_EQ("fresh", doc.SectionAt(0)->Name());
}

TEST(DSettings, SetSectionMergesIntoTheFirstSectionOfThatName)
{
    DSettings doc;
    ASSERT_TRUE(doc.Parse("[s]\na=1 ; old\nb=2\n[S]\na=9\n"));
    DProps bag;
    bag.Set("A", "10");
    bag.Set("c", "3", "new");
    EXPECT_TRUE(doc.SetSection("s", bag));
    // Existing keys take the bag's value and comment, new ones go last, keys
    // missing from the bag stay; the second section of the name is untouched.
    EXPECT_EQ("[s|] a=10 b=2 c=3#new\n[S|] a=9\n", Dump(doc));
    EXPECT_EQ("", bag.Name());
}

TEST(DSettings, LoadReadsAFileAndKeepsItsName)
{
    TempFile file("load");
    file.Write("\xEF\xBB\xBF[s]\r\nk=v\r\n");
    DSettings doc;
    ASSERT_TRUE(doc.Load(file.Path()));
    EXPECT_EQ(file.Path(), doc.FileName());
    EXPECT_EQ("[s|utf-8] k=v\n", Dump(doc));
}

TEST(DSettings, LoadReadsUpToTheFirstNulByte)
{
    TempFile file("nul");
    file.Write(std::string("[s]\nk=v\n\0[t]\nx=1\n", 17));
    DSettings doc;
    ASSERT_TRUE(doc.Load(file.Path()));
    EXPECT_EQ("[s|] k=v\n", Dump(doc));
}

TEST(DSettings, LoadOfAMissingOrEmptyFileChangesNothing)
{
    TempFile good("good");
    good.Write("[s]\nk=v\n");
    DSettings doc;
    ASSERT_TRUE(doc.Load(good.Path()));

    TempFile missing("missing");
    EXPECT_FALSE(doc.Load(missing.Path()));
    EXPECT_FALSE(doc.Load(nullptr));
    TempFile empty("empty");
    empty.Write("");
    EXPECT_FALSE(doc.Load(empty.Path()));
    EXPECT_EQ(good.Path(), doc.FileName());
    EXPECT_EQ("[s|] k=v\n", Dump(doc));
}

TEST(DSettings, LoadOfAFileWithoutTextForgetsTheOldName)
{
    TempFile good("good2");
    good.Write("[s]\nk=v\n");
    TempFile nul("onlynul");
    nul.Write(std::string("\0\0", 2));
    DSettings doc;
    ASSERT_TRUE(doc.Load(good.Path()));
    // The file reads, but holds no text: the parse fails and empties the document.
    EXPECT_FALSE(doc.Load(nul.Path()));
    EXPECT_EQ("", doc.FileName());
    EXPECT_EQ(0, doc.Count());
}

}  // namespace
