// The host's threads against the plug-in: seeks from one thread while another pulls
// blocks, several playbacks at once, and the support library's shared state (string
// registry, shared string texts) from many threads. Run under ThreadSanitizer, any
// unsynchronised access fails the run.
#include <gtest/gtest.h>

#include <atomic>
#include <dlfcn.h>
#include <random>
#include <thread>
#include <vector>

#include "beos/OS.h"
#include "modtracker/ModTracker.h"
#include "plugin/MyPlugin.h"
#include "support/PException.h"
#include "support/PString.h"
#include "support/PStringResource.h"
#include "tests/common/TempDir.h"
#include "tools/modwriter/ModWriter.h"

namespace {

const int kBlockBytes = 4096;
const int kBlocks = 10000;

// Eight positions of fast rows over looping samples, so every seek lands on a new
// pattern and every block mixes sound.
std::vector<uint8>
BusySong(const char* mark = "M.K.")
{
    zw::ModWriter mod(mark);
    mod.SetSample(1, std::vector<int8>(2000, 50), 64, 100, 800);
    mod.SetSample(2, std::vector<int8>(300, -40), 40);
    mod.SetPositions({ 0, 1, 2, 3, 0, 1, 2, 3 });
    for (int p = 0; p < 4; p++) {
        for (int row = 0; row < 64; row += 2) {
            for (int c = 0; c < mod.channels; c++)
                mod.Cell(p, row, c) = { zw::NotePeriod(row % 4 ? "C-2" : "G-2"), uint8(1 + c % 2),
                    0xA, 0x01 };
        }
        mod.Cell(p, 0, 0).effect = 0xF;
        mod.Cell(p, 0, 0).param = 2;
    }
    return mod.Build();
}

struct PlayResult
{
    int blocks = 0;
    int badSizes = 0;
    int badPositions = 0;
};

// Pulls blocks until `blocks` arrived; every size must be 0 or a whole block.
PlayResult
PullBlocks(InputPlugin& plugin, PlayerInfoStruct& info, int blocks)
{
    PlayResult result;
    for (int b = 0; b < blocks; b++) {
        char* buffer = nullptr;
        int   bytes = plugin.GetAudio(&buffer, kBlockBytes);
        if ((bytes != 0 && bytes != kBlockBytes) || buffer == nullptr)
            result.badSizes++;
        if (info.position < 0 || info.position >= 1000)
            result.badPositions++;
        result.blocks++;
    }
    return result;
}

}   // namespace


TEST(ThreadStress, JumpToFromAnotherThread_BlocksKeepComing)
{
    TempDir          dir;
    std::string      path = dir.Write("busy.mod", BusySong());
    MyPlugin         plugin;
    PlayerInfoStruct info = {};
    ASSERT_TRUE(plugin.InitPlaying(path.c_str(), &info));

    std::atomic<bool> done { false };
    std::atomic<int>  seeks { 0 };
    std::thread       seeker([&] {
        std::mt19937                         random(42);
        std::uniform_int_distribution<int32> value(-200, 1200);
        while (!done.load()) {
            plugin.JumpTo(value(random));
            seeks++;
            std::this_thread::yield();
        }
    });
    PlayResult        result = PullBlocks(plugin, info, kBlocks);
    done = true;
    seeker.join();
    plugin.CleanupPlaying();

    EXPECT_EQ(result.blocks, kBlocks);
    EXPECT_EQ(result.badSizes, 0);
    EXPECT_EQ(result.badPositions, 0);
    EXPECT_GT(seeks.load(), 0);
}


// Seeks land between ticks: the player's position stays on the song all the while.
TEST(ThreadStress, SetSongPositionAgainstPlay_PositionStaysOnTheSong)
{
    TempDir          dir;
    std::string      path = dir.Write("busy.mod", BusySong("8CHN"));
    MyPlugin         plugin;
    PlayerInfoStruct info = {};
    ASSERT_TRUE(plugin.InitPlaying(path.c_str(), &info));

    std::atomic<bool>  done { false };
    std::thread        seeker([&] {
        for (int32 v = 0; !done.load(); v = (v + 37) % 1000)
            plugin.JumpTo(v);
    });
    std::vector<int32> positions;
    for (int b = 0; b < 3000; b++) {
        char* buffer = nullptr;
        plugin.GetAudio(&buffer, kBlockBytes);
        positions.push_back(info.position);
    }
    done = true;
    seeker.join();
    plugin.CleanupPlaying();
    for (int32 p : positions) {
        ASSERT_GE(p, 0);
        ASSERT_LT(p, 1000);
    }
}


// Each playback is its own plug-in object; they share only the add-on's process-wide
// state (tables, the string registry, the noise generator).
TEST(ThreadStress, SeveralPlaybacksAtOnce_EachPlaysThrough)
{
    TempDir                  dir;
    const char*              marks[] = { "M.K.", "FLT4", "6CHN", "TDZ3" };
    std::vector<std::string> paths;
    for (int i = 0; i < 4; i++)
        paths.push_back(dir.Write("song" + std::to_string(i) + ".mod", BusySong(marks[i])));
    zw::NtWriter nt;
    nt.Record(0).waveform = 3;   // noise, rewritten on every tick
    nt.Record(0).startAmplitude = 256;
    nt.Save(dir.File("song1.nt"));

    std::vector<PlayResult>  results(paths.size());
    std::vector<int>         started(paths.size(), 0);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < paths.size(); i++) {
        threads.emplace_back([&, i] {
            MyPlugin         plugin;
            PlayerInfoStruct info = {};
            for (int round = 0; round < 3; round++) {
                if (!plugin.IsOur(paths[i].c_str()) || !plugin.InitPlaying(paths[i].c_str(), &info))
                    return;
                started[i]++;
                PlayResult r = PullBlocks(plugin, info, 300);
                results[i].blocks += r.blocks;
                results[i].badSizes += r.badSizes;
                plugin.CleanupPlaying();
            }
        });
    }
    for (std::thread& t : threads)
        t.join();
    for (size_t i = 0; i < paths.size(); i++) {
        EXPECT_EQ(started[i], 3) << paths[i];
        EXPECT_EQ(results[i].blocks, 900) << paths[i];
        EXPECT_EQ(results[i].badSizes, 0) << paths[i];
    }
}


namespace {

const PStringResource kTableA[] = {
    { 1, "one" },
    { 2, "two" },
    { 7, "seven %d" },
    { -1, nullptr },
};
const PStringResource kTableB[] = {
    { 3, "three" },
    { 100, "hundred" },
    { -1, nullptr },
};

}   // namespace


// Registering, looking up and removing tables from many threads at once: every look-up
// finds its own table's text, and a miss raises without leaving the registry locked.
TEST(ThreadStress, StringResourcesFromManyThreads_EveryLookupFindsItsText)
{
    std::atomic<int>         wrong { 0 };
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; t++) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 300; i++) {
                const PStringResource* table = (t + i) % 2 ? kTableA : kTableB;
                int32                  id = AddStringResource(table);
                PString                text;
                text.LoadString(uint32(id), uint32(table[0].number));
                if (text != table[0].text)
                    wrong++;
                if (table == kTableA) {
                    PString formatted;
                    formatted.Format(uint32(id), 7, i);
                    if (formatted != ("seven " + std::to_string(i)).c_str())
                        wrong++;
                }
                try {
                    text.LoadString(uint32(id), 55);
                    wrong++;
                } catch (PException* e) {
                    e->Delete();
                }
                if (GetErrorString(0) != "No error.")
                    wrong++;
                RemoveStringResource(uint32(id));
            }
        });
    }
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(wrong.load(), 0);
}


// Players register their text table when made and remove it when destroyed; made on
// many threads at once they still read their own type names.
TEST(ThreadStress, PlayersMadeOnManyThreads_ReadTheirTexts)
{
    std::atomic<int>         wrong { 0 };
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; t++) {
        threads.emplace_back([&] {
            for (int i = 0; i < 100; i++) {
                ModTracker player(nullptr);
                if (player.GetName(7).IsEmpty()
                    || player.GetInfoString(0, RV_INFO_LABEL) != "Song Length:")
                    wrong++;
            }
        });
    }
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(wrong.load(), 0);
}


// Copies of one text live and die on several threads; each thread's edits stay its own.
TEST(ThreadStress, SharedStringCopiedAcrossThreads_OriginalUnchanged)
{
    const PString            original("shared text");
    std::atomic<int>         wrong { 0 };
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; t++) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 2000; i++) {
                PString copy(original);
                PString second = copy;
                if (i % 3 == 0)
                    second += "!";
                if (i % 5 == 0)
                    copy.MakeUpper();
                PString joined = original + PString(std::to_string(t).c_str());
                if (joined.GetLength() != original.GetLength() + 1)
                    wrong++;
                if (copy != (i % 5 == 0 ? "SHARED TEXT" : "shared text"))
                    wrong++;
            }
        });
    }
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(original, "shared text");
}

// Semaphores made, used and deleted on several threads while each also tries the ids
// the others deleted: a stale id is refused, and a live one keeps its own count.
TEST(ThreadStress, SemaphoresMadeAndDeletedOnManyThreads_StaleIdsRefused)
{
    std::atomic<sem_id>      lastDeleted { 0 };
    std::atomic<int>         wrong { 0 };
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; t++) {
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; i++) {
                const sem_id sem = create_sem(1, "stress");
                const sem_id stale = lastDeleted.load();
                if (stale != 0 && acquire_sem_etc(stale, 1, B_RELATIVE_TIMEOUT, 0) != B_BAD_SEM_ID)
                    wrong++;
                int32 count = 0;
                if (acquire_sem(sem) != B_OK || get_sem_count(sem, &count) != B_OK || count != 0
                    || release_sem(sem) != B_OK || delete_sem(sem) != B_OK)
                    wrong++;
                lastDeleted = sem;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(0, wrong.load());
}
