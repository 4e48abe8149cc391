#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "foundation/DProps.h"
#include "PropsEntries.h"
#include "PointerText.h"

namespace {

std::vector<std::string> Keys(const DProps& bag)
{
    std::vector<std::string> out;
    for (int i = 0; i < bag.Count(); ++i)
        out.push_back(bag.GetKeyAt(i));
    return out;
}

DProps BagWithKeys(const std::vector<const char*>& keys)
{
    DProps bag;
    int n = 0;
    for (const char* k : keys)
        bag.Set(k, std::to_string(++n).c_str());
    return bag;
}

// Polls a condition for up to ten seconds.
bool WaitFor(const std::function<bool()>& condition)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// A bag whose parent the tests can set; the program itself never sets one.
class ChildProps : public DProps {
public:
    void SetParent(DProps* parent) { m_parent = parent; }
};

} // namespace

// ---- Setting ---------------------------------------------------------------------

TEST(DPropsSet, EmptyOrNullKeyIsRefusedAndNullValueStoredEmpty)
{
    DProps bag;
    EXPECT_FALSE(bag.Set("", "1", nullptr, true));
    EXPECT_FALSE(bag.Set(nullptr, "1", nullptr, true));
    EXPECT_EQ(0, bag.Count());
    EXPECT_TRUE(bag.Set("k", nullptr, "c", true));
    EXPECT_EQ((Lines{"k=;c"}), Entries(bag));
}

TEST(DPropsSet, SetStringAppendsAnEmptyKeyEveryTime)
{
    DProps bag;
    EXPECT_TRUE(bag.SetString("", std::string("1"), nullptr, true));
    EXPECT_TRUE(bag.SetString("", std::string("2"), nullptr, true));
    EXPECT_EQ((Lines{"=1;", "=2;"}), Entries(bag));
    EXPECT_EQ(-1, bag.IndexOf(""));
    EXPECT_EQ(nullptr, bag.Get(""));
}

TEST(DPropsSet, SetStringCutsAtTheFirstNul)
{
    DProps bag;
    bag.SetString("k", std::string("ab\0cd", 5));
    EXPECT_STREQ("ab", bag.Get("k"));
}

TEST(DPropsSet, ChainingSettersOverwriteAndEraseTheComment)
{
    DProps bag;
    bag.Set("k", "1", "old");
    bag.Set("K", "2");
    EXPECT_EQ((Lines{"k=2;"}), Entries(bag));
    bag.SetString("k", std::string("3"), "c3").SetLong("k", 4);
    EXPECT_EQ((Lines{"k=4;"}), Entries(bag));
    EXPECT_FALSE(bag.SetString("k", std::string("5"), nullptr, false));
    EXPECT_EQ((Lines{"k=4;"}), Entries(bag));
}

TEST(DPropsSet, NumbersInTheirFormats)
{
    DProps bag;
    bag.SetDouble("length", 1234.5, "%.5f", "mm")
        .SetDouble("brest", 0.26, "%.1f")
        .SetLong("quantity", -7)
        .SetInt64("big", -9007199254740993LL)
        .SetPointer("font", reinterpret_cast<void*>(static_cast<uintptr_t>(0xAB12)));
    EXPECT_EQ((Lines{"length=1234.50000;mm", "brest=0.3;", "quantity=-7;",
                     "big=-9007199254740993;", "font=" + PointerText(0xAB12) + ";"}),
              Entries(bag));
}

TEST(DPropsSet, SetPrefixedHasNoComment)
{
    DProps bag;
    bag.Set("b001", "x", "comment");
    EXPECT_TRUE(bag.SetPrefixed("b", "001", "y"));
    EXPECT_FALSE(bag.SetPrefixed("b", "001", "z", false));
    EXPECT_TRUE(bag.SetPrefixed(nullptr, "q", "1"));
    EXPECT_FALSE(bag.SetPrefixed("b", nullptr, "1"));
    EXPECT_FALSE(bag.SetPrefixed("b", "2", nullptr));
    EXPECT_TRUE(bag.SetPrefixed("p.", "k", "v", "c", true)); // the bag form keeps its comment
    EXPECT_EQ((Lines{"b001=y;", "q=1;", "p.k=v;c"}), Entries(bag));
}

// The chaining setters of the plain bag call the locked overrides.
TEST(DPropsSet, PlainBagSettersReachTheLockedOverrides)
{
    DProps bag;
    SProps& plain = bag;
    plain.Put("", "x").PutLong("", 1).PutDouble("", 2.0);
    EXPECT_FALSE(plain.SetPrefixed("", "", "v", nullptr, true));
    EXPECT_EQ(0, bag.Count());
    plain.PutDouble("d", 2.5);
    EXPECT_STREQ("2.500", bag.Get("d"));
    plain.Reset();
    EXPECT_EQ(0, bag.Count());
}

// ---- Typed getters -------------------------------------------------------------------

TEST(DPropsGetters, LongsAndTheirDefaults)
{
    DProps bag;
    bag.Set("empty", "").Set("n", " -12abc").Set("big", "9007199254740993");
    struct Case { const char* key; long plain; long withDefault; } cases[] = {
        {"absent", 0, 5}, {"empty", 0, 0}, {"N", -12, -12},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.plain, DProps::GetLong(bag, c.key)) << c.key;
        EXPECT_EQ(c.withDefault, DProps::GetLong(&bag, c.key, 5)) << c.key;
    }
    EXPECT_EQ(9007199254740993LL, DProps::GetInt64(bag, "big"));
    EXPECT_EQ(0, DProps::GetInt64(bag, "empty"));
    EXPECT_EQ(0, DProps::GetInt64(bag, "absent"));
    EXPECT_EQ(-12, DProps::GetInt64(bag, "n"));
}

TEST(DPropsGetters, DoublesAndDefaultsThatPassThroughTheirText)
{
    DProps bag;
    bag.Set("empty", "").Set("x", "2.5").Set("e", "1e3");
    EXPECT_DOUBLE_EQ(2.5, DProps::GetDouble(bag, "X"));
    EXPECT_DOUBLE_EQ(1000.0, DProps::GetDouble(bag, "e"));
    EXPECT_DOUBLE_EQ(0.0, DProps::GetDouble(bag, "absent"));
    EXPECT_DOUBLE_EQ(0.0, DProps::GetDouble(bag, "empty", 7.0));
    EXPECT_DOUBLE_EQ(2.5, DProps::GetDouble(bag, "x", 7.0));
    struct Case { double def; double read; } cases[] = {
        {7.25, 7.25}, {0.0000001, 0.0}, {1.23456789, 1.234568}, {-0.0000004, 0.0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(c.read, DProps::GetDouble(&bag, "absent", c.def)) << c.def;
}

TEST(DPropsGetters, StringsAndTheirDefaults)
{
    DProps bag;
    bag.Set("empty", "").Set("s", "text");
    EXPECT_EQ("text", DProps::GetString(bag, "S"));
    EXPECT_EQ("", DProps::GetString(bag, "empty", "dflt"));
    EXPECT_EQ("dflt", DProps::GetString(bag, "absent", "dflt"));
    EXPECT_EQ("", DProps::GetString(bag, "absent"));
    EXPECT_EQ("std", DProps::GetString(bag, "absent", std::string("std")));
    EXPECT_EQ("", DProps::GetString(bag, "empty", std::string("std")));
}

TEST(DPropsGetters, NullBagReadsAsEmpty)
{
    EXPECT_EQ(0, DProps::GetLong(nullptr, "k"));
    EXPECT_EQ(5, DProps::GetLong(nullptr, "k", 5));
    EXPECT_DOUBLE_EQ(1.5, DProps::GetDouble(nullptr, "k", 1.5));
    EXPECT_EQ(0, DProps::GetInt64(nullptr, "k"));
    EXPECT_EQ("d", DProps::GetString(nullptr, "k", "d"));
}

TEST(DPropsGetters, CommentFont)
{
    DProps bag;
    HFONT def = reinterpret_cast<HFONT>(static_cast<uintptr_t>(0x1234));
    EXPECT_EQ(def, GetCommentFont(&bag, def));
    bag.SetPointer("font.comment", reinterpret_cast<void*>(static_cast<uintptr_t>(0xBEEF0)));
    EXPECT_EQ(reinterpret_cast<HFONT>(static_cast<uintptr_t>(0xBEEF0)), GetCommentFont(&bag, def));
    bag.Set("FONT.COMMENT", "");
    EXPECT_EQ(nullptr, GetCommentFont(&bag, def));
}

// Doubles follow the run-time numeric locale, both ways.
class DPropsCommaLocale : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(nullptr, setlocale(LC_NUMERIC, "French_Canada.1252")); }
    void TearDown() override { setlocale(LC_NUMERIC, "C"); }
};

TEST_F(DPropsCommaLocale, NumbersAreWrittenAndReadWithAComma)
{
    DProps bag;
    bag.PutDouble("d", 2.5);
    bag.SetDouble("l", 0.125, "%.5f");
    EXPECT_STREQ("2,500", bag.Get("d"));
    EXPECT_STREQ("0,12500", bag.Get("l"));
    EXPECT_DOUBLE_EQ(2.5, DProps::GetDouble(bag, "d"));
    EXPECT_DOUBLE_EQ(3.75, DProps::GetDouble(bag, "absent", 3.75));
    bag.Set("dot", "2.5");
    EXPECT_DOUBLE_EQ(2.0, DProps::GetDouble(bag, "dot"));
}

// ---- Copying -------------------------------------------------------------------------

TEST(DPropsCopy, CopyFromNullOrItselfGivesZeroAndChangesNothing)
{
    DProps bag = BagWithKeys({"a", "b"});
    EXPECT_EQ(0, bag.CopyFrom(&bag));
    EXPECT_EQ(0, bag.CopyFrom(nullptr));
    EXPECT_EQ((Lines{"a=1;", "b=2;"}), Entries(bag));
    DProps other = BagWithKeys({"c"});
    EXPECT_EQ(3, bag.CopyFrom(&other));
}

TEST(DPropsCopy, AssignmentCopiesEntriesNameAndCharsetButNotParent)
{
    DProps parent;
    parent.Set("inherited", "p");
    ChildProps src;
    src.SetParent(&parent);
    src.Set("a", "1", "ca");
    src.Set("b", "", "");
    src.Name("section");
    src.Charset("utf-8");
    ChildProps dst;
    dst.Set("old", "x");
    dst = src;
    EXPECT_EQ((Lines{"a=1;ca", "b=;"}), Entries(dst));
    EXPECT_EQ("section", dst.Name());
    EXPECT_EQ("utf-8", dst.Charset());
    EXPECT_STREQ("p", src.GetInherited("inherited"));
    EXPECT_EQ(nullptr, dst.GetInherited("inherited"));

    DProps copied(src);
    EXPECT_TRUE(copied.Equals(&src));
    EXPECT_EQ("section", copied.Name());
    copied = copied;
    EXPECT_EQ(2, copied.Count());
}

TEST(DPropsCopy, CopyKeysTakesListedKeysOnly)
{
    DProps src = BagWithKeys({"Alpha", "b", "c", "d"});
    src.Set("b", "2", "cb");
    DProps dst;
    dst.Set("ALPHA", "old", "old");
    std::vector<std::string> one{"c"};
    EXPECT_EQ(1, dst.CopyKeys(&src, &one));
    std::vector<std::string> some{"alpha", "absent", "B"};
    EXPECT_EQ(2, dst.CopyKeys(&src, &some));
    EXPECT_EQ((Lines{"ALPHA=1;", "c=3;", "b=2;cb"}), Entries(dst));
    std::vector<std::string> none;
    EXPECT_EQ(0, dst.CopyKeys(&src, &none));
    EXPECT_EQ(0, dst.CopyKeys(nullptr, nullptr));
    EXPECT_EQ(0, dst.CopyKeys(&dst, nullptr));
}

TEST(DPropsCopy, CopyKeysWithoutListCopiesAllAndCountsTheSource)
{
    DProps src = BagWithKeys({"a", "b"});
    DProps dst = BagWithKeys({"x", "y", "z"});
    EXPECT_EQ(2, dst.CopyKeys(&src, nullptr));
    EXPECT_EQ((Lines{"x=1;", "y=2;", "z=3;", "a=1;", "b=2;"}), Entries(dst));
}

TEST(DPropsCopy, CopyPrefixedTakesMatchingKeysInOrder)
{
    DProps src = BagWithKeys({"p001", "q", "P002", "p.x"});
    src.SetCommentAt(2, "c2");
    DProps dst;
    dst.Set("p001", "old", "old");
    EXPECT_EQ(3, dst.CopyPrefixed(&src, "p"));
    EXPECT_EQ((Lines{"p001=1;", "P002=3;c2", "p.x=4;"}), Entries(dst));
    for (const char* prefix : {"", static_cast<const char*>(nullptr)})
        EXPECT_EQ(0, dst.CopyPrefixed(&src, prefix));
    DProps empty;
    EXPECT_EQ(0, dst.CopyPrefixed(&empty, "p"));
    EXPECT_EQ(0, dst.CopyPrefixed(nullptr, "p"));
    EXPECT_EQ(0, dst.CopyPrefixed(&dst, "p"));
    EXPECT_EQ(3, dst.Count());
}

// ---- Prefix operations ---------------------------------------------------------------

TEST(DPropsPrefix, RemovePrefixed)
{
    struct Case { int n; int removed; Lines left; } cases[] = {
        {-1, 2, {"x"}}, {0, 1, {"x", "P002"}}, {1, 1, {"p001", "x"}}, {2, 0, {"p001", "x", "P002"}},
    };
    for (const Case& c : cases) {
        DProps bag = BagWithKeys({"p001", "x", "P002"});
        EXPECT_EQ(c.removed, bag.RemovePrefixed("p", c.n)) << c.n;
        EXPECT_EQ(c.left, Keys(bag)) << c.n;
    }
}

TEST(DPropsPrefix, RenamePrefix)
{
    struct Case { std::vector<const char*> keys; const char* from; const char* to;
                  int changed; Lines after; } cases[] = {
        {{"b001", "x", "b002"}, "b", "c", 2, {"c001", "x", "c002"}},
        {{"b001", "b002"}, "b", "bb", 2, {"bbb001", "b002"}},
        {{"B001", "x"}, "b", "cc", 1, {"cc001", "x"}},
        {{"b001", "x"}, "b", "B", 0, {"b001", "x"}},
        // An entry that would lose its whole key is found again every round.
        {{"b001", "b", "b2"}, "b", nullptr, 1, {"001", "b", "b2"}},
        {{"a", "b"}, "", "z.", 2, {"z.a", "z.b"}},
        {{"a", "b"}, nullptr, "", 2, {"a", "b"}},
        {{"a", "b"}, nullptr, nullptr, 0, {"a", "b"}},
    };
    for (const Case& c : cases) {
        DProps bag = BagWithKeys(c.keys);
        const std::string what = std::string(c.from ? c.from : "null") + "->" + (c.to ? c.to : "null");
        EXPECT_EQ(c.changed, bag.RenamePrefix(c.from, c.to)) << what;
        EXPECT_EQ(c.after, Keys(bag)) << what;
    }
}

TEST(DPropsPrefix, RenamedKeysKeepValuesAndTheFirstDuplicateWins)
{
    DProps bag;
    bag.Set("c001", "kept", "ck");
    bag.Set("b001", "renamed", "cr");
    EXPECT_EQ(1, bag.RenamePrefix("b", "c"));
    EXPECT_EQ((Lines{"c001=kept;ck", "c001=renamed;cr"}), Entries(bag));
    EXPECT_STREQ("kept", bag.Get("C001"));
    EXPECT_EQ(0, bag.IndexOf("c001"));
}

// ---- Comparing, names, inheritance, conversion -----------------------------------------

TEST(DPropsEquals, ValuesUnderTheSameKeysComparedByteForByte)
{
    DProps a;
    a.Set("Length", "10", "one comment").Set("name", "x");
    DProps b;
    b.Set("name", "x", "other").Set("LENGTH", "10");
    EXPECT_TRUE(a.Equals(&b));
    EXPECT_TRUE(b.Equals(&a));
    EXPECT_FALSE(a.Equals(nullptr));

    DProps c;
    c.Set("length", "10").Set("name", "X");
    EXPECT_FALSE(a.Equals(&c));
    DProps d;
    d.Set("length", "10");
    EXPECT_FALSE(a.Equals(&d));
    EXPECT_FALSE(d.Equals(&a));
    DProps e;
    e.Set("length", "10").Set("other", "x");
    EXPECT_FALSE(a.Equals(&e));
}

TEST(DPropsNames, NameAndCharsetReturnCopiesAndIgnoreNull)
{
    DProps bag;
    EXPECT_EQ("", bag.Name());
    EXPECT_EQ("", bag.Charset());
    EXPECT_EQ("solution", bag.Name("solution"));
    EXPECT_EQ("solution", bag.Name(nullptr));
    EXPECT_EQ("utf-8", bag.Charset("utf-8"));
    EXPECT_EQ("utf-8", bag.Charset(nullptr));
    EXPECT_EQ("", bag.Name(""));
}

TEST(DPropsInherited, AbsentKeysAskTheParent)
{
    DProps grandparent;
    grandparent.Set("deep", "g");
    ChildProps parent;
    parent.SetParent(&grandparent);
    parent.Set("up", "p");
    ChildProps child;
    child.SetParent(&parent);
    child.Set("own", "c").Set("blank", "");
    parent.Set("blank", "not asked");
    EXPECT_STREQ("c", child.GetInherited("OWN", "d"));
    EXPECT_STREQ("", child.GetInherited("blank", "d"));
    EXPECT_STREQ("p", child.GetInherited("up", "d"));
    EXPECT_STREQ("g", child.GetInherited("deep", "d"));
    EXPECT_STREQ("d", child.GetInherited("nowhere", "d"));
    EXPECT_STREQ("d", child.Get("up", "d")); // a plain read never asks the parent
    EXPECT_EQ(0, DProps::GetLong(child, "up"));
}

TEST(DPropsAnsi, ValuesComeBackInTheAnsiCodePage)
{
    struct Case { const char* charset; const char* value; const char* ansi; } cases[] = {
        {"", "caf\xE9", "caf\xE9"},
        {"utf-8", "caf\xC3\xA9", "caf\xE9"},
        {"UTF-8", "caf\xC3\xA9", "caf\xC3\xA9"}, // only the exact name means UTF-8
        {"utf-8", "", ""},
    };
    for (const Case& c : cases) {
        DProps bag;
        bag.Charset(c.charset);
        bag.Set("k", c.value);
        char* text = bag.GetAnsi("K");
        ASSERT_NE(nullptr, text) << c.charset;
        EXPECT_STREQ(c.ansi, text) << c.charset;
        free(text);
        EXPECT_EQ(nullptr, bag.GetAnsi("absent"));
    }
}

// ---- Locking ----------------------------------------------------------------------------

TEST(DPropsLock, OperationsNestInsideTheCallersHold)
{
    DProps bag;
    ASSERT_TRUE(bag.GetLock().Lock(-1));
    bag.Set("a", "1");
    bag.Get("a");
    bag.CopyKeys(&bag, nullptr);
    DProps::GetLong(bag, "a");
    bag.RemovePrefixed("a", -1);
    // The nested operations did not let go of the caller's hold.
    EXPECT_EQ(GetCurrentThreadId(), bag.GetLock().GetOwnerThread());
    bool otherGotIt = true;
    std::thread other([&] { otherGotIt = bag.GetLock().Lock(1); });
    other.join();
    EXPECT_FALSE(otherGotIt);
    bag.GetLock().Unlock();
    EXPECT_EQ(0u, bag.GetLock().GetOwnerThread());
}

TEST(DPropsLock, WritersOnManyThreadsLoseNothing)
{
    DProps bag;
    constexpr int threads = 4;
    constexpr int rounds = 3000;
    std::atomic<int> ready{0};
    std::atomic<int> lost{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            ++ready;
            while (ready < threads)
                std::this_thread::yield();
            for (int i = 0; i < rounds; ++i) {
                const std::string key = "t" + std::to_string(t) + "." + std::to_string(i);
                bag.Set(key.c_str(), key.c_str());
                bag.SetLong("shared", i);
                // Finding and removing by position must be one step: another
                // thread's removal would shift the position in between.
                DAutoLock hold(&bag.GetLock());
                const int at = bag.IndexOf(key.c_str());
                if (at < 0 || !bag.RemoveAt(at))
                    ++lost;
            }
            bag.Set(("t" + std::to_string(t)).c_str(), "done");
        });
    }
    for (std::thread& w : workers)
        w.join();
    EXPECT_EQ(0, lost.load());
    EXPECT_EQ(threads + 1, bag.Count());
    EXPECT_STREQ("2999", bag.Get("shared"));
}

TEST(DPropsLock, GettersCopyWhileAWriterReplacesTheValue)
{
    DProps bag;
    const std::string one(64, '1');
    const std::string two(80, '2');
    bag.Set("v", one.c_str());
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (int i = 0; !stop; ++i)
            bag.Set("v", (i % 2 ? one : two).c_str());
    });
    int bad = 0;
    for (int i = 0; i < 5000; ++i) {
        const std::string v = DProps::GetString(bag, "v");
        if (v != one && v != two)
            ++bad;
    }
    stop = true;
    writer.join();
    EXPECT_EQ(0, bad);
}

// A thread waiting for a bag keeps serving its windows, so a holder that
// sends it a message does not hang both threads.
TEST(DPropsLock, AWaitingThreadServesMessagesSentByTheHolder)
{
    DProps bag;
    std::atomic<HWND> window{nullptr};
    std::atomic<bool> waiterDone{false};
    std::atomic<bool> served{false};
    std::atomic<bool> holderHasLock{false};
    std::string seen;

    std::thread waiter([&] {
        HWND hwnd = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    nullptr, nullptr);
        window = hwnd;
        if (!WaitFor([&] { return holderHasLock.load(); }))
            return;
        seen = DProps::GetString(bag, "k"); // waits, pumping, while the holder sends
        DestroyWindow(hwnd);
        waiterDone = true;
    });
    ASSERT_TRUE(WaitFor([&] { return window.load() != nullptr; }));

    std::thread holder([&] {
        DAutoLock hold(&bag.GetLock());
        holderHasLock = true;
        DWORD_PTR result = 0;
        // WM_GETTEXTLENGTH is answered by the static control's procedure.
        if (SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_BLOCK, 10000, &result))
            served = true;
        bag.Set("k", "written under the lock");
    });
    holder.join();
    EXPECT_TRUE(served);
    EXPECT_TRUE(WaitFor([&] { return waiterDone.load(); }));
    waiter.join();
    EXPECT_EQ("written under the lock", seen);
}

TEST(DPropsLifetime, DestroyingABagItsOwnThreadHoldsDoesNotHang)
{
    std::atomic<bool> done{false};
    std::thread t([&] {
        DProps* bag = new DProps;
        bag->Set("a", "1");
        bag->GetLock().Lock(-1);
        delete bag;
        done = true;
    });
    const bool finished = WaitFor([&] { return done.load(); });
    EXPECT_TRUE(finished);
    if (finished)
        t.join();
    else
        t.detach();
}

TEST(DPropsCopy, MoveTakesEntriesNameAndCharsetButNotParentAndEmptiesTheSource)
{
    DProps parent;
    parent.Set("inherited", "p");
    ChildProps src;
    src.SetParent(&parent);
    src.Set("a", "1", "ca");
    src.Set("b", "2");
    src.Name("section");
    src.Charset("utf-8");
    const char* text = src.Get("a");

    DProps moved(std::move(src));
    EXPECT_EQ((Lines{"a=1;ca", "b=2;"}), Entries(moved));
    EXPECT_EQ("section", moved.Name());
    EXPECT_EQ("utf-8", moved.Charset());
    EXPECT_EQ(nullptr, moved.GetInherited("inherited"));
    // The entries themselves move: a text read before stays valid.
    EXPECT_EQ(text, moved.Get("a"));
    EXPECT_EQ(0, src.Count());

    DProps ownParent;
    ownParent.Set("mine", "m");
    ChildProps dst;
    dst.SetParent(&ownParent);
    dst.Set("old", "x");
    dst.Name("old name");
    static_cast<DProps&>(dst) = std::move(moved);
    EXPECT_EQ((Lines{"a=1;ca", "b=2;"}), Entries(dst));
    EXPECT_EQ("section", dst.Name());
    EXPECT_EQ(nullptr, dst.GetInherited("inherited"));
    EXPECT_STREQ("m", dst.GetInherited("mine"));
    EXPECT_EQ(nullptr, dst.Get("old"));

    // A moved-from bag is an ordinary empty bag.
    moved.Set("c", "3");
    EXPECT_EQ((Lines{"c=3;"}), Entries(moved));
}

TEST(DPropsCopy, CopiesAndMovesOfBagsAreIndependentAcrossThreads)
{
    DProps source;
    source.Set("k", "v");
    std::vector<DProps> bags;
    for (int i = 0; i < 100; ++i)
        bags.push_back(source);  // grows by moving
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&bags, t] {
            for (int i = t; i < 100; i += 4)
                bags[static_cast<size_t>(i)].SetLong("k", i);
        });
    }
    for (std::thread& th : threads)
        th.join();
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(i, DProps::GetLong(bags[static_cast<size_t>(i)], "k"));
    EXPECT_STREQ("v", source.Get("k"));
}

// Copies share their entries until one side writes; every kind of write must
// leave the other side as it was, whichever side makes it.
TEST(DPropsCopy, AWriteToACopyOrItsSourceNeverShowsInTheOther)
{
    const std::vector<std::pair<const char*, std::function<void(DProps&)>>> writes = {
        {"set new key", [](DProps& b) { b.Set("c", "3"); }},
        {"overwrite", [](DProps& b) { b.Set("a", "changed", "note"); }},
        {"value by position", [](DProps& b) { b.SetValueAt(1, "changed"); }},
        {"comment by position", [](DProps& b) { b.SetCommentAt(0, "changed"); }},
        {"remove", [](DProps& b) { b.RemoveAt(0); }},
        {"clear", [](DProps& b) { b.Clear(); }},
        {"rename", [](DProps& b) { b.RenamePrefix("a", "z"); }},
    };
    for (const auto& w : writes) {
        for (bool writeCopy : {true, false}) {
            DProps source;
            source.Set("a", "1", "ca");
            source.Set("b", "2");
            DProps copy(source);
            DProps assigned;
            assigned = source;
            w.second(writeCopy ? copy : source);
            const Lines untouched{"a=1;ca", "b=2;"};
            if (writeCopy) {
                EXPECT_EQ(untouched, Entries(source)) << w.first;
                EXPECT_EQ(untouched, Entries(assigned)) << w.first;
            } else {
                EXPECT_EQ(untouched, Entries(copy)) << w.first;
                EXPECT_EQ(untouched, Entries(assigned)) << w.first;
            }
        }
    }
}

TEST(DPropsCopy, TextsReadFromACopyOutliveTheSourceAndLaterWrites)
{
    auto source = std::make_unique<DProps>();
    source->Set("a", "a value too long for any short-string buffer");
    DProps copy(*source);
    const char* text = copy.Get("a");
    copy.Set("b", "2");
    source.reset();
    copy.Set("c", "3");
    copy.RemoveAt(1);
    EXPECT_STREQ("a value too long for any short-string buffer", text);
    EXPECT_EQ(text, copy.Get("a"));
}

TEST(DPropsCopy, CopyOfABagWithRenamedDuplicatesMergesThemLikeSettingEachEntry)
{
    DProps bag = BagWithKeys({"x.k", "y.k", "other"});
    bag.RenamePrefix("y.", "x.");
    ASSERT_EQ((Keys(bag)), (std::vector<std::string>{"x.k", "x.k", "other"}));
    DProps copy(bag);
    EXPECT_EQ((Lines{"x.k=2;", "other=3;"}), Entries(copy));
    DProps assigned;
    assigned = bag;
    EXPECT_EQ((Lines{"x.k=2;", "other=3;"}), Entries(assigned));
    EXPECT_EQ(3, bag.Count());
}

TEST(DPropsCopy, ALargeCopyAndItsSourceEachFindTheirOwnKeys)
{
    // Bags this large find their keys through an index, which copies share
    // until one side writes.
    DProps source;
    for (int i = 0; i < 50; ++i)
        source.SetLong(("k" + std::to_string(i)).c_str(), i);
    DProps copy(source);
    copy.RemoveAt(0);
    copy.Set("new", "x");
    copy.RenamePrefix("k4", "K9");
    source.Set("K1", "changed");
    for (int i = 0; i < 50; ++i) {
        const std::string key = "k" + std::to_string(i);
        EXPECT_EQ(i, source.IndexOf(key.c_str())) << key;
    }
    EXPECT_STREQ("changed", source.Get("k1"));
    EXPECT_EQ(-1, source.IndexOf("new"));
    EXPECT_EQ(-1, copy.IndexOf("k0"));
    EXPECT_EQ(0, copy.IndexOf("K1"));
    EXPECT_STREQ("1", copy.Get("k1"));
    EXPECT_EQ(49, copy.IndexOf("NEW"));
    // The k4 entries were renamed in place (k4 to K9, k40 to K90, ...): the
    // renamed K9 comes before the old k9 and is the one found.
    EXPECT_EQ(3, copy.IndexOf("k9"));
    EXPECT_EQ(43, copy.IndexOf("k94"));
    EXPECT_EQ(-1, copy.IndexOf("k4"));
    EXPECT_EQ(-1, copy.IndexOf("k40"));
}
