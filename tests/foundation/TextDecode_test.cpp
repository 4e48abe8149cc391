// Text files as the program reads them: marks honoured, binary refused, and
// nothing handed on that was not written.
#include "foundation/TextDecode.h"

#include <gtest/gtest.h>

#include <string>

#include "support/TestFiles.h"

namespace {

std::string Bytes(const char* text, size_t length)
{
    return std::string(text, length);
}

TEST(DecodeTextBytes, ReadsEachEncodingAsTheProgramsText)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::string text;
        TextEncoding encoding;
    };
    const Case cases[] = {
        {"plain bytes stay", "6100;2\r\n", "6100;2\r\n", TextEncoding::Ansi},
        {"code page bytes stay", "caf\xE9;1", "caf\xE9;1", TextEncoding::Ansi},
        {"a UTF-8 mark goes", "\xEF\xBB\xBF" "6100;2\r\n", "6100;2\r\n", TextEncoding::Utf8},
        {"UTF-8 behind a mark is converted", "\xEF\xBB\xBF" "T\xC3\xBCr;\xE2\x82\xAC", "T\xFCr;\x80",
         TextEncoding::Utf8},
        {"UTF-16 little-endian", Bytes("\xFF\xFE" "6\0;\0" "2\0\r\0\n\0", 12), "6;2\r\n",
         TextEncoding::Utf16LittleEndian},
        {"UTF-16 big-endian", Bytes("\xFE\xFF\0" "6\0;\0" "2", 8), "6;2", TextEncoding::Utf16BigEndian},
        {"UTF-16 beyond ASCII", Bytes("\xFF\xFE\xFC\0", 4), "\xFC", TextEncoding::Utf16LittleEndian},
        {"nothing at all", "", "", TextEncoding::Ansi},
    };
    for (const Case& c : cases) {
        std::string text = "old";
        const TextDecodeResult result = DecodeTextBytes(c.bytes.data(), c.bytes.size(), text);
        EXPECT_TRUE(result.Ok()) << c.name;
        EXPECT_EQ(c.encoding, result.encoding) << c.name;
        EXPECT_EQ(c.text, text) << c.name;
    }
}

TEST(DecodeTextBytes, RefusesWhatItCannotReadAsWrittenAndNamesTheLine)
{
    struct Case {
        const char* name;
        std::string bytes;
        TextDecodeError error;
        long line;
    };
    const Case cases[] = {
        {"a zero byte is binary", Bytes("PK\x03\x04;\r\nx\0y", 10), TextDecodeError::ZeroByte, 2},
        {"lines ended by CR alone count", Bytes("a\rb\r\0", 5), TextDecodeError::ZeroByte, 3},
        {"a zero character of UTF-16", Bytes("\xFF\xFE" "a\0\n\0\0\0", 8), TextDecodeError::ZeroByte, 2},
        {"broken UTF-8", "\xEF\xBB\xBF" "ok\r\n\xC3(", TextDecodeError::Malformed, 2},
        {"overlong UTF-8", "\xEF\xBB\xBF" "\xC0\xAF", TextDecodeError::Malformed, 1},
        {"UTF-8 cut short", "\xEF\xBB\xBF" "ab\xE2\x82", TextDecodeError::Malformed, 1},
        {"an odd UTF-16 byte count", Bytes("\xFF\xFE" "6\0;", 5), TextDecodeError::Malformed, 1},
        {"a sign the code page lacks", "\xEF\xBB\xBF" "a\r\nb\r\n\xE2\x86\x92", TextDecodeError::NotInCodePage, 3},
        {"a UTF-16 sign the code page lacks", Bytes("\xFF\xFE" "a\0\r\0\n\0\x92\x21", 10),
         TextDecodeError::NotInCodePage, 2},
    };
    for (const Case& c : cases) {
        std::string text = "old";
        const TextDecodeResult result = DecodeTextBytes(c.bytes.data(), c.bytes.size(), text);
        EXPECT_EQ(c.error, result.error) << c.name;
        EXPECT_EQ(c.line, result.line) << c.name;
        EXPECT_EQ("", text) << c.name;
        const std::string message = TextDecodeMessage(result);
        EXPECT_NE(std::string::npos, message.find("(line " + std::to_string(c.line) + ")")) << message;
    }
}

class ReadTextFileTest : public TempFolderTest {
protected:
    ReadTextFileTest() : TempFolderTest("bravik_textdecode_") {}
};

TEST_F(ReadTextFileTest, ReadsDecodesAndTellsAMissingFileFromAnEmptyOne)
{
    WriteBytes(Path("excel.csv"), "\xEF\xBB\xBF" "6100;2\r\n");
    std::string text;
    EXPECT_TRUE(ReadTextFile(Path("excel.csv").c_str(), text).Ok());
    EXPECT_EQ("6100;2\r\n", text);

    WriteBytes(Path("empty.txt"), "");
    text = "old";
    EXPECT_TRUE(ReadTextFile(Path("empty.txt").c_str(), text).Ok());
    EXPECT_EQ("", text);

    const TextDecodeResult missing = ReadTextFile(Path("nothing.txt").c_str(), text);
    EXPECT_EQ(TextDecodeError::Unreadable, missing.error);
    EXPECT_EQ("The file cannot be read", TextDecodeMessage(missing));
    EXPECT_EQ(TextDecodeError::Unreadable, ReadTextFile(nullptr, text).error);
    EXPECT_EQ("", TextDecodeMessage(TextDecodeResult()));
}

} // namespace
