// The string-resource registry.
#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "support/PException.h"
#include "support/PString.h"
#include "support/PStringResource.h"
#include "tests/common/CaughtException.h"
#include "tests/common/RunThreads.h"

namespace {

const PStringResource kTableA[] = { { 1, "one" }, { 5, "five" }, { 9, "nine %d" },
    { -1, nullptr } };

const PStringResource kTableB[] = { { -7, "minus seven" },
    { -1, "minus one" },   // an ordinary entry: it has a text
    { 0, "zero" }, { 1000, "%s has %d rows" }, { -1, nullptr } };

const PStringResource kSingle[] = { { 42, "answer" }, { -1, nullptr } };

const PStringResource kEmptyTable[] = { { -1, nullptr } };

// Registers a table for the length of one test.
class Registered
{
public:
    explicit Registered(const PStringResource* table) : fId(AddStringResource(table)) {}
    ~Registered() { RemoveStringResource(fId); }
    Registered(const Registered&) = delete;
    Registered& operator=(const Registered&) = delete;
    uint32      Id() const { return (uint32)fId; }

private:
    int32 fId;
};

bool
LookupRaises(uint32 id, uint32 number)
{
    PString s;
    return CatchP<PResourceException>([&] { s.LoadString(id, number); }) != nullptr;
}

}   // namespace

TEST(PStringResource, TwoTables_ConsecutiveIds)
{
    int32 a = AddStringResource(kTableA);
    int32 b = AddStringResource(kTableB);
    EXPECT_EQ(a + 1, b);
    EXPECT_EQ(0, RemoveStringResource(a));
    PString s;
    EXPECT_EQ(0, s.LoadString(b, 0));
    EXPECT_STREQ("zero", (const char*)s);
    EXPECT_TRUE(LookupRaises(a, 1));
    EXPECT_EQ(0, RemoveStringResource(b));
}

TEST(PStringResource, IdsNeverReused)
{
    int32 a = AddStringResource(kSingle);
    RemoveStringResource(a);
    int32 b = AddStringResource(kSingle);
    RemoveStringResource(b);
    EXPECT_GT(b, a);
}

TEST(PStringResource, LoadString_FindsEveryEntry)
{
    Registered a(kTableA);
    Registered b(kTableB);
    PString    s;
    for (const PStringResource* table : { kTableA, kTableB }) {
        uint32 id = table == kTableA ? a.Id() : b.Id();
        for (int i = 0; table[i].text != nullptr; i++) {
            EXPECT_EQ(0, s.LoadString(id, (uint32)table[i].number));
            EXPECT_STREQ(table[i].text, (const char*)s);
        }
    }
}

TEST(PStringResource, NegativeNumbers_SortedAsSigned)
{
    Registered b(kTableB);
    PString    s;
    s.LoadString(b.Id(), (uint32)-7);
    EXPECT_STREQ("minus seven", (const char*)s);
    s.LoadString(b.Id(), 0xffffffff);
    EXPECT_STREQ("minus one", (const char*)s);
}

TEST(PStringResource, NumberNotInTable_RaisesResource)
{
    Registered a(kTableA);
    Registered single(kSingle);
    Registered empty(kEmptyTable);
    PString    s;
    s.LoadString(single.Id(), 42);
    EXPECT_STREQ("answer", (const char*)s);
    struct
    {
        uint32 id;
        uint32 number;
    } cases[] = {
        { a.Id(), 3 },
        { a.Id(), 0 },
        { a.Id(), 10 },   // between, before and after the entries
        { single.Id(), 41 },
        { single.Id(), 43 },
        { empty.Id(), 0 },
    };
    for (const auto& c : cases)
        EXPECT_TRUE(LookupRaises(c.id, c.number)) << c.id << ":" << c.number;
}

TEST(PStringResource, FailedLookup_LeavesRegistryUnlockedForAnotherThread)
{
    Registered a(kTableA);
    EXPECT_TRUE(LookupRaises(a.Id(), 4));
    std::atomic<bool> found { false };
    std::thread       other([&] {
        PString s;
        found = s.LoadString(a.Id(), 5) == 0 && s == "five";
    });
    other.join();
    EXPECT_TRUE(found);

    // An unknown resource id fails the same way.
    EXPECT_TRUE(LookupRaises(0x7fffffff, 1));
    std::thread another([&] {
        int32 id = AddStringResource(kSingle);
        found = id >= 0 && RemoveStringResource(id) == 0;
    });
    another.join();
    EXPECT_TRUE(found);
}

TEST(PStringResource, RemoveUnknownId_ChangesNothing)
{
    Registered a(kTableA);
    EXPECT_EQ(0, RemoveStringResource(0x7ffffff0));
    PString s;
    s.LoadString(a.Id(), 1);
    EXPECT_STREQ("one", (const char*)s);
}

TEST(PStringResource, FormatFromResource_UsesTextAsFormat)
{
    Registered a(kTableA);
    Registered b(kTableB);
    PString    s;
    s.Format(a.Id(), 9, 12);
    EXPECT_STREQ("nine 12", (const char*)s);
    s.Format(b.Id(), 1000, "Pattern", 64);
    EXPECT_STREQ("Pattern has 64 rows", (const char*)s);
}

TEST(PStringResource, ConcurrentUsers_AllSucceed)
{
    std::atomic<int> failures { 0 };
    RunThreads(4, [&failures] {
        for (int i = 0; i < 200; i++) {
            int32   id = AddStringResource(kTableA);
            PString s;
            if (s.LoadString(id, 5) != 0 || s != "five")
                failures++;
            if (RemoveStringResource(id) != 0)
                failures++;
        }
    });
    EXPECT_EQ(0, failures.load());
}
