// PList<T>: appending, indexing, removal with block compaction.
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "support/PException.h"
#include "support/PList.h"
#include "tests/common/CaughtException.h"

namespace {

// Appends 0, 1, ... count - 1.
void
Fill(PList<int>& list, int count)
{
    for (int i = 0; i < count; i++)
        list.AddTail(i);
}

// Every block but the last is full; block counts add up to the item count.
void
ExpectBlocksCompact(const PList<int>& list, int32 blockSize)
{
    int32 blocks = list.CountBlocks();
    int32 total = 0;
    for (int32 i = 0; i < blocks; i++) {
        int32 n = list.BlockCountAt(i);
        EXPECT_GT(n, 0) << "block " << i;
        if (i + 1 < blocks) {
            EXPECT_EQ(blockSize, n) << "block " << i << " of " << blocks;
        }
        total += n;
    }
    EXPECT_EQ(list.CountItems(), total);
    EXPECT_EQ((list.CountItems() + blockSize - 1) / blockSize, blocks);
}

void
ExpectSame(const std::vector<int>& model, const PList<int>& list)
{
    ASSERT_EQ((int32)model.size(), list.CountItems());
    for (size_t i = 0; i < model.size(); i++)
        ASSERT_EQ(model[i], list.ItemAt((int32)i)) << "index " << i;
}

}   // namespace

TEST(PList, Empty_NoBlocks)
{
    PList<int> list(10);
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(0, list.CountBlocks());
    EXPECT_EQ(-1, list.BlockCountAt(0));
}

TEST(PList, Append25BlockSize10_ThreeBlocks10And10And5)
{
    PList<int> list(10);
    for (int i = 0; i < 25; i++)
        EXPECT_EQ(i, list.AddTail(i * 3));
    EXPECT_EQ(25, list.CountItems());
    EXPECT_EQ(3, list.CountBlocks());
    EXPECT_EQ(10, list.BlockCountAt(0));
    EXPECT_EQ(10, list.BlockCountAt(1));
    EXPECT_EQ(5, list.BlockCountAt(2));
    for (int i = 0; i < 25; i++)
        EXPECT_EQ(i * 3, list.ItemAt(i));
}

TEST(PList, RemoveIndex3_ReturnsItAndKeepsOrderAndFullBlocks)
{
    PList<int> list(10);
    Fill(list, 25);
    EXPECT_EQ(3, list.RemoveSomeItems(3, 1));
    EXPECT_EQ(24, list.CountItems());
    EXPECT_EQ(10, list.BlockCountAt(0));
    EXPECT_EQ(10, list.BlockCountAt(1));
    EXPECT_EQ(4, list.BlockCountAt(2));
    int expected = 0;
    for (int32 i = 0; i < 24; i++, expected++) {
        if (expected == 3)
            expected++;
        EXPECT_EQ(expected, list.ItemAt(i));
    }
}

TEST(PList, IndexOutsideList_RaisesBoundsWithIndex)
{
    PList<int> list(4);
    Fill(list, 6);
    for (int32 index : { 6, -1, 1000 }) {
        auto e = CatchP<PBoundsException>([&] { list.ItemAt(index); });
        ASSERT_NE(nullptr, e) << index;
        EXPECT_EQ((double)index, e->value);
    }
    auto e = CatchP<PBoundsException>([&] { list.RemoveSomeItems(6, 1); });
    ASSERT_NE(nullptr, e);
    EXPECT_EQ(6.0, e->value);
    EXPECT_EQ(6, list.CountItems());
}

TEST(PList, RemoveAcrossBlocks_FreesAndCompacts)
{
    PList<int>       list(4);
    std::vector<int> model;
    for (int i = 0; i < 14; i++)
        model.push_back(i);
    Fill(list, 14);
    EXPECT_EQ(2, list.RemoveSomeItems(2, 9));   // spans blocks 0, 1 and 2
    model.erase(model.begin() + 2, model.begin() + 11);
    ExpectSame(model, list);
    ExpectBlocksCompact(list, 4);
}

TEST(PList, RemoveCounts_ZeroRemovesNothingAndTooManyCutToEnd)
{
    PList<int> list(3);
    Fill(list, 7);
    EXPECT_EQ(2, list.RemoveSomeItems(2, 0));
    EXPECT_EQ(7, list.CountItems());
    EXPECT_EQ(5, list.RemoveSomeItems(5, 100));
    EXPECT_EQ(5, list.CountItems());
    ExpectBlocksCompact(list, 3);
    EXPECT_EQ(0, list.RemoveSomeItems(0, 5));
    EXPECT_EQ(0, list.CountBlocks());
    EXPECT_EQ(0, list.AddTail(9));
}

TEST(PList, MakeEmpty_FreesEveryBlock)
{
    PList<int> list(2);
    Fill(list, 9);
    list.MakeEmpty();
    EXPECT_EQ(0, list.CountItems());
    EXPECT_EQ(0, list.CountBlocks());
    list.AddTail(5);
    EXPECT_EQ(5, list.ItemAt(0));
}

TEST(PList, BlockSizeZero_TakenAsOne)
{
    PList<int> list(0);
    Fill(list, 3);
    EXPECT_EQ(3, list.CountBlocks());
    EXPECT_EQ(2, list.ItemAt(2));
}

TEST(PList, PointerItems_AsTheRegistryUsesThem)
{
    int         values[3] = { 7, 8, 9 };
    PList<int*> list(10);
    for (int* p = values; p < values + 3; p++)
        list.AddTail(p);
    EXPECT_EQ(&values[1], list.RemoveItem(1));
    EXPECT_EQ(&values[2], list.ItemAt(1));
}

TEST(PList, RandomAddRemove_AgreesWithVectorAndStaysCompact)
{
    std::mt19937 random(20240611);
    for (int32 blockSize : { 1, 2, 3, 7, 10 }) {
        PList<int>       list(blockSize);
        std::vector<int> model;
        int              next = 0;
        for (int step = 0; step < 3000; step++) {
            int action = (int)(random() % 10);
            if (action < 6 || model.empty()) {
                ASSERT_EQ((int32)model.size(), list.AddTail(next));
                model.push_back(next++);
            } else {
                int32 index = (int32)(random() % model.size());
                int32 n = (int32)(random() % (3 * blockSize + 2));
                ASSERT_EQ(model[index], list.RemoveSomeItems(index, n));
                size_t end = std::min(model.size(), (size_t)index + (size_t)n);
                model.erase(model.begin() + index, model.begin() + (ptrdiff_t)end);
            }
            if (step % 50 == 0 || step == 2999) {
                ExpectSame(model, list);
                ExpectBlocksCompact(list, blockSize);
            }
        }
    }
}
