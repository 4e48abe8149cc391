#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "foundation/OBJProps.h"
#include "foundation/StrUtil.h"

namespace {

// Counts its own destructions so a test can see that a bag deleted it.
class Probe : public UBaseObject {
public:
    explicit Probe(int* deaths) : m_deaths(deaths) {}
    ~Probe() override { ++*m_deaths; }

private:
    int* m_deaths;
};

void List(DProps& bag, const char* key, const void* object, const char* comment)
{
    bag.Set(key, StrFromPointer(object).c_str(), comment, true);
}

} // namespace

TEST(OBJProps, DestroyingTheBagReleasesEveryKindOnce)
{
    int deaths = 0;
    HBRUSH brush = CreateSolidBrush(0x0000FF);
    ASSERT_NE(nullptr, brush);
    {
        OBJProps bag;
        List(bag, "101", new Probe(&deaths), "${release:delete.UBaseObject}");
        List(bag, "102", brush, "${release:DeleteObject}");
        List(bag, "103", malloc(16), "${release:free}");
        bag.Set("plain", "value", "a comment", true);
    }
    EXPECT_EQ(1, deaths);
    EXPECT_EQ(0u, GetObjectType(brush)); // the handle is gone
}

TEST(OBJProps, ReleaseEmptiesTheEntriesAndASecondReleaseFindsNothing)
{
    int deaths = 0;
    OBJProps bag;
    List(bag, "1", new Probe(&deaths), "${release:delete.UBaseObject}");
    List(bag, "2", new Probe(&deaths), "${release:delete.UBaseObject}");
    bag.Set("plain", "value", "${size:4}", true);

    EXPECT_EQ(2, bag.ReleaseObjects());
    EXPECT_EQ(2, deaths);
    ASSERT_EQ(3, bag.Count());
    for (int i = 0; i < 2; ++i) {
        EXPECT_STREQ(i == 0 ? "1" : "2", bag.GetKeyAt(i));
        EXPECT_STREQ("", bag.GetValueAt(i));
        EXPECT_STREQ("", bag.GetCommentAt(i));
    }
    EXPECT_STREQ("value", bag.Get("plain"));
    EXPECT_STREQ("${size:4}", bag.GetComment("plain"));

    EXPECT_EQ(0, bag.ReleaseObjects());
    EXPECT_EQ(2, deaths);
}

// Entries that must be passed over: they keep their value and comment.
TEST(OBJProps, EntriesThatDoNotParseAreLeftAlone)
{
    struct Case {
        const char* value;
        const char* comment;
    } cases[] = {
        {"00000000", "${release:DeleteObject}"}, // null address
        {"", "${release:free}"},                 // no address
        {nullptr, "${release:Free}"},            // kind compared case-sensitively
        {nullptr, "${release:CloseHandle}"},     // unknown kind
        {nullptr, "${release:}"},                // empty kind
        {nullptr, "${owner:free}"},              // no release tag
        {nullptr, "release:free"},               // no tag at all
    };
    // Never released: a static block stands for a live heap block.
    static char block[8];
    std::string address = StrFromPointer(block);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.comment);
        DProps bag;
        const char* value = c.value ? c.value : address.c_str();
        bag.Set("k", value, c.comment, true);
        EXPECT_EQ(0, ReleaseListedObjects(bag));
        EXPECT_STREQ(value, bag.Get("k"));
        EXPECT_STREQ(c.comment, bag.GetComment("k"));
    }
}

TEST(OBJProps, AReleaseTagAmongOtherTagsCounts)
{
    DProps bag;
    List(bag, "k", malloc(10), "${size:10}${release:free}");
    EXPECT_EQ(1, ReleaseListedObjects(bag));
    EXPECT_STREQ("", bag.Get("k"));
    DProps empty;
    EXPECT_EQ(0, ReleaseListedObjects(empty));
}

TEST(OBJProps, AnObjectListedTwiceIsReleasedOnce)
{
    int deaths = 0;
    Probe* probe = new Probe(&deaths);
    OBJProps bag;
    List(bag, "first", probe, "${release:delete.UBaseObject}");
    List(bag, "second", probe, "${release:delete.UBaseObject}");
    EXPECT_EQ(1, bag.ReleaseObjects());
    EXPECT_EQ(1, deaths);
    EXPECT_STREQ("", bag.Get("first"));
    EXPECT_STREQ("", bag.Get("second"));
}

// The GDI objects of a dialog's lifetimes do not pile up. The system's count
// is compared where it is kept (Wine reports 0 throughout), and every handle
// made is checked to be gone.
TEST(OBJProps, NoGdiObjectOutlivesItsBag)
{
    DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    std::vector<HGDIOBJ> made;
    for (int round = 0; round < 50; ++round) {
        OBJProps bag;
        made.push_back(CreateSolidBrush(RGB(round, 0, 0)));
        made.push_back(CreatePen(PS_SOLID, 1, RGB(0, round, 0)));
        made.push_back(CreateFontA(-12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Tahoma"));
        for (size_t i = made.size() - 3; i < made.size(); ++i)
            List(bag, std::to_string(i).c_str(), made[i], "${release:DeleteObject}");
    }
    for (HGDIOBJ object : made)
        EXPECT_EQ(0u, GetObjectType(object));
    EXPECT_EQ(before, GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
}
