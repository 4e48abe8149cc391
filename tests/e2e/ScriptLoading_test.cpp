// What the program makes of a script file before it runs a command: the
// encodings Windows' editors write, files that are no text, a script without
// its [commands], repeated command lines, the case of the file's extension
// and a log that cannot be written.
#include "ScriptRun.h"

#include <gtest/gtest.h>

#include "document/DCSSolution.h"
#include "support/TestFiles.h"

namespace {

// A text of code page 1252 as UTF-16 (little or big endian) or UTF-8, with
// or without the byte-order mark.
enum class Encoding { Ansi, Utf8Bom, Utf16LeBom, Utf16BeBom, Utf16LeNoBom };

std::string Encode(const std::string& text, Encoding encoding)
{
    if (encoding == Encoding::Ansi)
        return text;
    std::wstring wide(text.size(), L'\0');
    wide.resize(static_cast<size_t>(
        MultiByteToWideChar(1252, 0, text.data(), static_cast<int>(text.size()), &wide[0], static_cast<int>(wide.size()))));
    if (encoding == Encoding::Utf8Bom) {
        std::string utf8(wide.size() * 3, '\0');
        utf8.resize(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                                             &utf8[0], static_cast<int>(utf8.size()), nullptr, nullptr)));
        return "\xEF\xBB\xBF" + utf8;
    }
    const bool big = encoding == Encoding::Utf16BeBom;
    std::string bytes;
    if (encoding != Encoding::Utf16LeNoBom)
        bytes = big ? "\xFE\xFF" : "\xFF\xFE";
    for (wchar_t c : wide) {
        const char low = static_cast<char>(c & 0xFF);
        const char high = static_cast<char>((c >> 8) & 0xFF);
        bytes += big ? high : low;
        bytes += big ? low : high;
    }
    return bytes;
}

struct EncodingCase {
    const char* name;
    Encoding encoding;
    DWORD exitCode;
};

class ScriptEncodings : public ScriptTest, public ::testing::WithParamInterface<EncodingCase> {};

// The description carries letters outside ASCII, so a script that was read
// at all must also have been converted to the program's code page.
TEST_P(ScriptEncodings, ATextIsReadInItsEncodingAndAnythingElseIsRefused)
{
    const EncodingCase& c = GetParam();
    MakeProject("job.brvk");
    const std::string text = "[vars]\r\ndir=" + m_files + "\r\n"
                             "[commands]\r\n"
                             "project.open={ \"file\": \"${dir}\\job.brvk\" }\r\n"
                             "project.material.add={ \"name\": \"Pine\", \"desc\": \"Gr\xFC\xDF" "e, caf\xE9\" }\r\n"
                             "project.save={ \"file\": \"${dir}\\out.brvk\" }\r\n";
    const std::string script = Path("encoded.kvauto");
    WriteBytes(script, Encode(text, c.encoding));
    const ScriptOutcome run = RunScript(script, 60000);
    EXPECT_EQ(c.exitCode, run.exitCode) << run.log;
    EXPECT_FALSE(run.windowShown) << run.shownWindow;
    if (c.exitCode == 0) {
        EXPECT_EQ(3u, CountOf(run.log, " finished, params=")) << run.log;
        DCSSolution saved;
        ASSERT_TRUE(saved.Load(Path("out.brvk").c_str()));
        ASSERT_EQ(2, saved.GetCount(false));
        EXPECT_EQ("Gr\xFC\xDF" "e, caf\xE9", saved.GetProject(1, false)->GetProperty("desc"));
    } else {
        EXPECT_NE(std::string::npos, run.log.find("Cannot load script " + script)) << run.log;
        EXPECT_NE(std::string::npos, run.log.find("zero byte")) << run.log;
        EXPECT_EQ(std::string::npos, run.log.find("Script finished")) << run.log;
        EXPECT_FALSE(FileExists(Path("out.brvk")));
    }
}

const EncodingCase kEncodings[] = {
    {"CodePage", Encoding::Ansi, 0},
    {"Utf8WithMark", Encoding::Utf8Bom, 0},
    {"Utf16LittleEndianWithMark", Encoding::Utf16LeBom, 0},
    {"Utf16BigEndianWithMark", Encoding::Utf16BeBom, 0},
    {"Utf16WithoutMark", Encoding::Utf16LeNoBom, 3},
};

INSTANTIATE_TEST_SUITE_P(, ScriptEncodings, ::testing::ValuesIn(kEncodings),
                         [](const ::testing::TestParamInfo<EncodingCase>& info) { return info.param.name; });

TEST_F(ScriptTest, AFileThatIsNoTextIsRefusedWithThree)
{
    MakeProject("job.brvk");
    // Text up to the first zero byte would be a whole script of its own.
    const std::string bytes = "[commands]\r\nproject.open={ \"file\": \"" + Path("job.brvk") +
                              "\" }\r\n" + std::string("\0\x01\x02\x7F\xFF\0", 6) + "PK\x03\x04";
    const std::string script = Path("binary.kvauto");
    WriteBytes(script, bytes);
    const ScriptOutcome run = RunScript(script, 60000);
    EXPECT_EQ(3u, run.exitCode);
    EXPECT_FALSE(run.windowShown) << run.shownWindow;
    EXPECT_NE(std::string::npos, run.log.find("Cannot load file: " + script + ": The file is not text: it holds a zero byte")) << run.log;
    EXPECT_EQ(std::string::npos, run.log.find("Command #1")) << run.log;
}

TEST_F(ScriptTest, AScriptWithoutItsCommandsSectionSaysSoAndEndsWithOne)
{
    MakeProject("job.brvk");
    for (const char* header : {"[command]", "[Commands ]", ""}) {
        const std::string script =
            WriteScript("nothing.kvauto", "[options]\r\ntimeout=10\r\n" + std::string(header) +
                                              "\r\nproject.save={ \"file\": \"" + Path("out.brvk") + "\" }\r\n");
        const ScriptOutcome run = RunScript(script, 60000);
        EXPECT_EQ(1u, run.exitCode) << header;
        EXPECT_FALSE(run.windowShown) << run.shownWindow;
        EXPECT_NE(std::string::npos, run.log.find("ERR >> The script has no [commands] section")) << run.log;
        EXPECT_NE(std::string::npos, run.log.find("Script finished")) << run.log;
        EXPECT_FALSE(FileExists(Path("out.brvk")));
    }
}

TEST_F(ScriptTest, EveryLineOfTheCommandsRunsInOrderWhateverItsName)
{
    MakeProject("job.brvk");
    std::string text = "[vars]\r\ndir=" + m_files + "\r\n[commands]\r\nproject.open={ \"file\": \"${dir}\\job.brvk\" }\r\n";
    const int parts = 198;
    for (int i = 0; i < parts; ++i)
        text += "material.part.add={ \"length\": \"" + std::to_string(1000 + i) + "\", \"quantity\": \"1\" }\r\n";
    // The same line twice is two commands, and the second save sees the
    // material the first one did not.
    text += "project.save={ \"file\": \"${dir}\\first.brvk\" }\r\n"
            "project.material.add={ \"name\": \"Pine\" }\r\n"
            "PROJECT.SAVE={ \"file\": \"${dir}\\first.brvk\" }\r\n";
    const ScriptOutcome run = RunScript(WriteScript("many.kvauto", text));
    EXPECT_EQ(0u, run.exitCode) << run.log.substr(0, 2000);
    EXPECT_EQ(static_cast<size_t>(parts) + 4, CountOf(run.log, " finished, params="));

    DCSSolution saved;
    ASSERT_TRUE(saved.Load(Path("first.brvk").c_str()));
    ASSERT_EQ(2, saved.GetCount(false));
    const PropsList& rows = saved.GetProject(0, false)->GetPieceRows();
    ASSERT_EQ(static_cast<size_t>(parts), rows.size());
    for (int i = 0; i < parts; ++i)
        EXPECT_EQ(std::to_string(1000 + i), DProps::GetString(rows[static_cast<size_t>(i)], "length", "")) << i;
}

TEST_F(ScriptTest, TheExtensionOfAScriptIsReadWithoutRegardToCase)
{
    MakeProject("job.brvk");
    for (const char* name : {"JOB.KVAUTO", "Job.KvAuto"}) {
        const std::string script = WriteScript(name, "[commands]\r\nproject.open={ \"file\": \"" + Path("job.brvk") +
                                                         "\" }\r\n");
        const ScriptOutcome run = RunScript(script, 30000);
        EXPECT_EQ(0u, run.exitCode) << name;
        EXPECT_FALSE(run.windowShown) << name << ": " << run.shownWindow;
        EXPECT_NE(std::string::npos, run.log.find("Script finished: " + script)) << name;
    }
}

TEST_F(ScriptTest, ALogThatCannotBeWrittenStopsTheScriptWithThree)
{
    MakeProject("job.brvk");
    const std::string log = Path("no such folder\\run.log");
    const std::string script = WriteScript("unlogged.kvauto", "[options]\r\nlog=" + log + "\r\n[commands]\r\n"
                                                              "project.open={ \"file\": \"" + Path("job.brvk") + "\" }\r\n"
                                                              "project.save={ \"file\": \"" + Path("out.brvk") + "\" }\r\n");
    const ScriptOutcome run = RunScript(script, 60000);
    EXPECT_EQ(3u, run.exitCode);
    EXPECT_FALSE(run.windowShown) << run.shownWindow;
    EXPECT_FALSE(FileExists(Path("out.brvk")));
    const std::string programLog = ReadBytes(DataPath("Bravik.log"));
    EXPECT_NE(std::string::npos, programLog.find("ERR >> Cannot load script " + script)) << programLog;
    EXPECT_NE(std::string::npos, programLog.find(log)) << programLog;
}

} // namespace
