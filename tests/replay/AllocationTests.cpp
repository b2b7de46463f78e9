// One Play allocates nothing: every operator new of this test program is counted.
#include "ReplayTest.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace {

std::atomic<uint64> allocations{ 0 };

void*
CountedAllocation(std::size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* block = std::malloc(size == 0 ? 1 : size))
        return block;
    throw std::bad_alloc();
}

}   // namespace

void* operator new(std::size_t size) { return CountedAllocation(size); }
void* operator new[](std::size_t size) { return CountedAllocation(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size == 0 ? 1 : size);
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

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
TEST(Allocation, PlayAllocatesNothing)
{
    zw::ModWriter mod = ProTrackerModule();
    mod.SetPositions({ 0, 1, 0 });
    SetCell(mod, 0, 0, 0, "C-2", 1, 0xF, 0x7D);
    SetCell(mod, 0, 1, 0, "D-2", 1, 0xF, 0x7E);
    SetCell(mod, 0, 2, 0, "E-2", 1, 0x0, 0x37);
    SetCell(mod, 0, 3, 1, "C-2", 1, 0x3, 0x08);
    SetCell(mod, 0, 4, 1, "", 0, 0x4, 0x8F);
    SetCell(mod, 0, 5, 2, "C-2", 1, 0xE, 0xFF);
    SetCell(mod, 0, 6, 2, "", 0, 0xE, 0x62);
    SetCell(mod, 0, 7, 3, "G-2", 1, 0xE, 0xE2);
    SetCell(mod, 0, 8, 3, "G-2", 1, 0x9, 0x01);
    SetCell(mod, 1, 0, 0, "", 0, 0xF, 0x00);
    SetCell(mod, 1, 1, 1, "", 0, 0xB, 0x00);
    Song song(mod.Build(), MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    EXPECT_EQ(AllocationsDuring(song.Player(), 20000), 0u);
    EXPECT_NE(song.Player()->bpm, 0);
}


TEST(Allocation, AMSoundsAllocateNothing)
{
    std::string path = testing::TempDir() + "zw_alloc_" + std::to_string(getpid()) + ".mod";
    zw::ModWriter mod("FLT4");
    mod.SetSample(1, Ramp(64), 64);
    SetCell(mod, 0, 0, 0, "C-2", 1, 0, 0);
    SetCell(mod, 0, 16, 0, "D-2", 1, 0, 0);
    ASSERT_TRUE(mod.Save(path));
    zw::NtWriter nt;
    AMSample& r = nt.Record(0);
    r.attack1Level = 200;
    r.attack1Speed = 8;
    r.releaseSpeed = 4;
    r.waveform = 3;
    r.vibratoDepth = 20;
    r.vibratoSpeed = 30;
    ASSERT_TRUE(nt.Save(path + ".nt"));
    {
        Song song(path, MODTYPE_STARTRACKER);
        ASSERT_TRUE(song.Loaded());
        EXPECT_EQ(AllocationsDuring(song.Player(), 5000), 0u);
    }
    std::remove(path.c_str());
    std::remove((path + ".nt").c_str());
}


// The counter itself works: a vector of one element is one allocation.
TEST(Allocation, CounterCountsNew)
{
    uint64 before = allocations.load();
    std::vector<int>* values = new std::vector<int>(1);
    EXPECT_EQ(allocations.load() - before, 2u);
    delete values;
}
