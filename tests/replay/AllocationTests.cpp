// One Play allocates nothing: every operator new of this test program is counted.
#include "ReplayTest.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<uint64> allocations { 0 };

void*
CountedAllocation(std::size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* block = std::malloc(size == 0 ? 1 : size))
        return block;
    throw std::bad_alloc();
}

}   // namespace

void*
operator new(std::size_t size)
{
    return CountedAllocation(size);
}
void*
operator new[](std::size_t size)
{
    return CountedAllocation(size);
}
void*
operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size == 0 ? 1 : size);
}
void*
operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size == 0 ? 1 : size);
}
void
operator delete(void* block) noexcept
{
    std::free(block);
}
void
operator delete[](void* block) noexcept
{
    std::free(block);
}
void
operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}
void
operator delete[](void* block, std::size_t) noexcept
{
    std::free(block);
}

using namespace replaytest;

namespace {

// Plays `ticks` ticks through Play alone and returns how many allocations they made.
uint64
AllocationsDuring(ModTracker* player, uint32 ticks)
{
    uint64 before = allocations.load();
    for (uint32 t = 0; t < ticks; t++)
        player->Play();
    return allocations.load() - before;
}

}   // namespace


// Tempo changes, slides, loops, delays, jumps and the song's end, all without a new.
TEST(Allocation, Play_EveryKindOfRow_AllocatesNothing)
{
    Song song(
        ProTrackerModule({ { 0, 0, 0, "C-2", 1, 0xF, 0x7D }, { 0, 1, 0, "D-2", 1, 0xF, 0x7E },
                             { 0, 2, 0, "E-2", 1, 0x0, 0x37 }, { 0, 3, 1, "C-2", 1, 0x3, 0x08 },
                             { 0, 4, 1, "", 0, 0x4, 0x8F }, { 0, 5, 2, "C-2", 1, 0xE, 0xFF },
                             { 0, 6, 2, "", 0, 0xE, 0x62 }, { 0, 7, 3, "G-2", 1, 0xE, 0xE2 },
                             { 0, 8, 3, "G-2", 1, 0x9, 0x01 }, { 1, 0, 0, "", 0, 0xF, 0x00 },
                             { 1, 1, 1, "", 0, 0xB, 0x00 } },
            { 0, 1, 0 }),
        MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    EXPECT_EQ(AllocationsDuring(song.Player(), 20000), 0u);
    EXPECT_NE(song.Player()->bpm, 0);
}

TEST(Allocation, Play_AMSounds_AllocateNothing)
{
    AMSample r {};
    r.mark = AM_MARK;
    r.attack1Level = 200;
    r.attack1Speed = 8;
    r.releaseSpeed = 4;
    r.waveform = 3;
    r.vibratoDepth = 20;
    r.vibratoSpeed = 30;
    AMSong am(r, "C-2", true, { { 0, 16, 0, "D-2", 1, 0, 0 } });
    ASSERT_TRUE(am.song->Loaded());
    EXPECT_EQ(AllocationsDuring(am.song->Player(), 5000), 0u);
}

// The counter itself works: a new vector of one element is two allocations.
TEST(Allocation, Counter_NewVector_CountsBothAllocations)
{
    uint64            before = allocations.load();
    std::vector<int>* values = new std::vector<int>(1);
    EXPECT_EQ(allocations.load() - before, 2u);
    delete values;
}
