#include "engine/Trace.h"

#include "TraceCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Sent = std::vector<std::string>;

std::vector<std::string> g_sent;

void Capture(const char* text)
{
    g_sent.push_back(text);
}

class TraceTest : public TraceCaptureTest {};

} // namespace

TEST_F(TraceTest, TraceFAlwaysEndsTheLine)
{
    TraceF("%ld", 7L);
    EXPECT_EQ((Sent{"7\r\n"}), sent);
}

TEST_F(TraceTest, NullFormatSendsNothing)
{
    TraceF(nullptr);
    TraceRecord record;
    TraceRecordF(record, "%s", "stale");
    sent.clear();
    TraceRecordF(record, nullptr);
    EXPECT_TRUE(sent.empty());
    EXPECT_TRUE(record.buffer.empty());
    EXPECT_EQ("", record.lastLine);
}

struct EndingCase {
    bool newline;
    int ending;
    const char* expected;
};

class TraceEndingTable : public TraceTest, public ::testing::WithParamInterface<EndingCase> {};

TEST_P(TraceEndingTable, EndingFollowsTheArgumentOrTheRecord)
{
    const EndingCase& c = GetParam();
    TraceRecord record;
    record.newline = c.newline;
    TraceWrite(record, "step 3", c.ending);
    EXPECT_EQ((Sent{c.expected}), sent);
    EXPECT_EQ("step 3", record.lastLine);
}

INSTANTIATE_TEST_SUITE_P(Endings, TraceEndingTable,
                         ::testing::Values(EndingCase{true, -1, "step 3\r\n"},
                                           EndingCase{false, -1, "step 3"},
                                           EndingCase{true, 0, "step 3"},
                                           EndingCase{false, 1, "step 3\r\n"},
                                           EndingCase{false, 7, "step 3\r\n"}));

TEST_F(TraceTest, EmptyTextIsRecordedButNotSent)
{
    TraceRecord record;
    TraceWrite(record, "first", -1);
    TraceWrite(record, "", -1);
    EXPECT_EQ((Sent{"first\r\n"}), sent);
    EXPECT_EQ("", record.lastLine);
    TraceWrite(record, nullptr, 1);
    EXPECT_EQ(1u, sent.size());
}

TEST_F(TraceTest, RecordFormatsIntoItsBufferWithoutCutting)
{
    TraceRecord record;
    TraceRecordF(record, "%s=%ld", "step", 12L);
    EXPECT_EQ("step=12", record.buffer);
    EXPECT_EQ("step=12", record.lastLine);

    const std::string longText(20000, 'x');
    TraceRecordF(record, "%s!", longText.c_str());
    ASSERT_EQ(2u, sent.size());
    EXPECT_EQ(longText + "!\r\n", sent[1]);
}

TEST_F(TraceTest, TraceTextSendsTextAndSuffixAsOneString)
{
    TraceText("Fixed set", "\r\n");
    TraceText("no ending", nullptr);
    TraceText(nullptr, nullptr);
    EXPECT_EQ((Sent{"Fixed set\r\n", "no ending"}), sent);
}

TEST_F(TraceTest, TraceLinesSendsEachTrimmedLineAndItsSuffix)
{
    TraceLines("first\nsecond  ", "\r\n");
    EXPECT_EQ((Sent{"first", "\r\n", "second", "\r\n"}), sent);
}

TEST_F(TraceTest, TraceLinesWithoutSuffixSendsTheLinesAlone)
{
    TraceLines("a \r\nb\t", "");
    TraceLines("", "\r\n");
    EXPECT_EQ((Sent{"a", "b"}), sent);
}

TEST(TraceSinkTest, NullRestoresTheDebuggerAndReturnsThePrevious)
{
    const TraceSink original = SetTraceSink(&Capture);
    EXPECT_EQ(&Capture, SetTraceSink(nullptr));
    // The default is back: our sink no longer sees anything.
    g_sent.clear();
    TraceF("to the debugger");
    EXPECT_TRUE(g_sent.empty());
    SetTraceSink(original);
}
