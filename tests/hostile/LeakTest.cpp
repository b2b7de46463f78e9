// Every way InitPlaying can fail, an allocation failing at every point of a start, and
// a full play and clean-up: afterwards nothing the attempt allocated is left. This
// program replaces the global allocation operators to count live blocks and to make
// the n-th allocation fail on request (LeakSanitizer checks the same in the ASan build).
#include "HostileTestSupport.h"

#include <atomic>
#include <cstdlib>
#include <new>

#include "mixer/RVMixer.h"
#include "support/PException.h"

using namespace hostile;

namespace {

std::atomic<long> gLive { 0 };
std::atomic<int>  gFailAfter { 0 };   // 0: never; n: the n-th allocation from now fails

bool
FailNow()
{
    int left = gFailAfter.load();
    while (left > 0 && !gFailAfter.compare_exchange_weak(left, left - 1)) {}
    return left == 1;
}

void*
Allocate(std::size_t size)
{
    if (FailNow())
        return nullptr;
    void* block = malloc(size != 0 ? size : 1);
    if (block != nullptr)
        gLive++;
    return block;
}

void
Free(void* block)
{
    if (block == nullptr)
        return;
    gLive--;
    free(block);
}

}   // namespace

void*
operator new(std::size_t size)
{
    void* block = Allocate(size);
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}

void*
operator new[](std::size_t size)
{
    void* block = Allocate(size);
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}

void*
operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}
void*
operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}
void
operator delete(void* block) noexcept
{
    Free(block);
}
void
operator delete[](void* block) noexcept
{
    Free(block);
}
void
operator delete(void* block, std::size_t) noexcept
{
    Free(block);
}
void
operator delete[](void* block, std::size_t) noexcept
{
    Free(block);
}
void
operator delete(void* block, const std::nothrow_t&) noexcept
{
    Free(block);
}
void
operator delete[](void* block, const std::nothrow_t&) noexcept
{
    Free(block);
}

namespace {

std::vector<uint8>
ProTracker()
{
    zw::ModWriter mod("M.K.");
    mod.restart = 127;
    mod.SetSample(1, Ramp(300), 64, 10, 100);
    mod.SetSample(2, Ramp(700), 64);
    mod.SetPositions({ 0, 1 });
    mod.Cell(0, 0, 0) = { zw::NotePeriod("C-2"), 1, 0xF, 0x80 };
    mod.Cell(1, 0, 1) = { zw::NotePeriod("E-2"), 2, 0, 0 };
    return mod.Build();
}

// Cut short, its sample data would be played as far as it goes, were its cells not a
// period off the table.
std::vector<uint8>
Implausible()
{
    std::vector<uint8> bytes = ProTracker();
    bytes[1084 + 4 * 5] = 0x0F;
    bytes[1084 + 4 * 5 + 1] = 0xFF;
    return bytes;
}

std::vector<uint8>
StarTracker()
{
    zw::ModWriter mod("FLT4");
    mod.SetSample(1, Ramp(300), 64);
    mod.SetPositions({ 0 });
    mod.Cell(0, 0, 0) = { zw::NotePeriod("C-2"), 1, 0, 0 };
    return mod.Build();
}

std::vector<uint8>
MultiTracker()
{
    zw::MtmWriter mtm(4, 16);
    mtm.SetSample(1, URamp(200), 64, 10, 150);
    mtm.Row(1, 0) = { zw::MtmNote("C-3"), 1, 0, 0 };
    mtm.Sequence(0, 0) = 1;
    mtm.SetPositions({ 0 });
    mtm.comment = "x";
    return mtm.Build();
}

// A player that refuses InitPlayer, or whose channel count raises a file exception
// inside the mixer's set-up.
class RefusingTracker : public ModTracker
{
public:
    RefusingTracker(RVGlobalData* global, int how) : ModTracker(global), how(how) {}
    virtual bool   InitPlayer() override { return how == 1 ? false : ModTracker::InitPlayer(); }
    virtual uint16 GetVirtualChannels() override
    {
        if (how == 2)
            ThrowFileException(-1, "channels");
        return ModTracker::GetVirtualChannels();
    }

private:
    int how;
};

class RefusingPlugin : public MyPlugin
{
public:
    explicit RefusingPlugin(int how) : how(how) {}

protected:
    virtual RVAddOnPlayer* NewPlayer(RVGlobal* global) override
    {
        return new RefusingTracker(global, how);
    }

private:
    int how;
};

// Not loaded, but of four channels: enough for the mixer's set-up.
class FourChannels : public ModTracker
{
public:
    explicit FourChannels(RVGlobalData* global) : ModTracker(global) {}
    virtual uint16 GetVirtualChannels() override { return 4; }
};

class Leaks : public testing::Test
{
protected:
    void SetUp() override
    {
        // Process-wide blocks made on first use (the string registry's
        // list) are made now, outside the counts.
        Outcome warm = PlayBytes(ProTracker(), 2);
        ASSERT_TRUE(warm.started);
    }
    void TearDown() override { gFailAfter = 0; }

    // Blocks still live after f, that were not before it.
    template<typename F>
    long LeftBehind(F f)
    {
        long before = gLive.load();
        f();
        gFailAfter = 0;
        return gLive.load() - before;
    }

    TempDir dir;
};

}   // namespace


TEST_F(Leaks, EveryFailedStart_LeavesNothing)
{
    std::vector<uint8>                               good = ProTracker();
    std::vector<std::pair<std::string, std::string>> files = {
        { "missing", dir.File("missing.mod") }, { "folder", dir.path },
        { "empty", dir.Write("empty.mod", std::vector<uint8>()) },
        { "foreign", dir.Write("text.mod", "not a module at all, but long enough to look at") },
        { "header", dir.Write("header.mod", zw::Truncated(good, 1200)) },   // error 3
        { "samples", dir.Write("samples.mod", zw::Truncated(Implausible(), good.size() - 600)) },
        // error 5
        { "channels",
            dir.Write("channels.mod",
                [] {
                    zw::ModWriter m("M.K.");
                    m.mark = "0CHN";
                    m.SetPositions({ 0 });
                    return m.Build();
                }()) },                                                                 // error 2
        { "mtm samples", dir.Write("short.mtm", zw::Truncated(MultiTracker(), 80)) },   // error 4
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.first);
        const std::string& path = file.second;
        MyPlugin           plugin;
        PlayerInfoStruct   info = {};
        testing::internal::CaptureStdout();
        bool started = true, recognised = true;
        long left = LeftBehind([&] {
            recognised = plugin.IsOur(path.c_str());
            started = plugin.InitPlaying(path.c_str(), &info);
        });
        testing::internal::GetCapturedStdout();
        EXPECT_FALSE(started);
        EXPECT_EQ(left, 0);
        (void)recognised;
    }
    MyPlugin         plugin;
    PlayerInfoStruct info = {};
    std::string      path = dir.Write("good.mod", good);
    EXPECT_EQ(LeftBehind([&] {
        EXPECT_FALSE(plugin.InitPlaying(nullptr, &info));
        EXPECT_FALSE(plugin.InitPlaying(path.c_str(), nullptr));
        EXPECT_FALSE(plugin.IsOur(nullptr));
    }),
        0);
}


TEST_F(Leaks, PlayerRefusesOrMixerSetUpRaises_LeavesNothing)
{
    std::string path = dir.Write("good.mod", ProTracker());
    for (int how : { 1, 2 }) {
        SCOPED_TRACE("refusal " + std::to_string(how));
        RefusingPlugin   plugin(how);
        PlayerInfoStruct info = {};
        bool             started = true;
        EXPECT_EQ(LeftBehind([&] { started = plugin.InitPlaying(path.c_str(), &info); }), 0);
        EXPECT_FALSE(started);
        char* buffer = nullptr;
        EXPECT_EQ(plugin.GetAudio(&buffer, kBlockBytes), 0);
    }
}


TEST_F(Leaks, FullPlayAndCleanUp_LeavesNothing)
{
    const std::vector<uint8> modules[] = { ProTracker(), StarTracker(), MultiTracker() };
    const char*              leaves[] = { "pt.mod", "st.mod", "mt.mtm" };
    zw::NtWriter             nt;
    nt.Record(0).startAmplitude = 200;
    nt.Save(dir.File("st.nt"));
    for (int i = 0; i < 3; i++) {
        std::string path = dir.Write(leaves[i], modules[i]);
        SCOPED_TRACE(leaves[i]);
        MyPlugin         plugin;
        PlayerInfoStruct info = {};
        int              loud = 0;
        EXPECT_EQ(LeftBehind([&] {
            if (!plugin.InitPlaying(path.c_str(), &info))
                return;
            char* buffer = nullptr;
            for (int b = 0; b < 200; b++) {
                plugin.GetAudio(&buffer, kBlockBytes);
                loud += buffer[100] != 0 || buffer[2000] != 0;
                if (b % 50 == 49)
                    plugin.JumpTo(b * 3);
            }
            plugin.CleanupPlaying();
        }),
            0);
        EXPECT_GT(loud, 0);
    }
}


// Each allocation of a start fails in turn, up to the first start that needs no more:
// each attempt fails cleanly (or copes, where the failing part is optional, like the
// companion), and nothing stays allocated.
TEST_F(Leaks, EachAllocationOfAStartFails_LeavesNothing)
{
    const std::vector<uint8> modules[] = { ProTracker(), StarTracker(), MultiTracker() };
    const char*              leaves[] = { "pt.mod", "st.mod", "mt.mtm" };
    zw::NtWriter             nt;
    nt.Record(0).startAmplitude = 200;
    nt.Save(dir.File("st.nt"));
    for (int i = 0; i < 3; i++) {
        std::string path = dir.Write(leaves[i], modules[i]);
        int         failures = 0;
        bool        complete = false;
        for (int n = 1; n < 2000 && !complete; n++) {
            SCOPED_TRACE(std::string(leaves[i]) + ", allocation " + std::to_string(n));
            MyPlugin         plugin;
            PlayerInfoStruct info = {};
            testing::internal::CaptureStdout();
            bool        started = false;
            long        left = LeftBehind([&] {
                gFailAfter = n;
                started = plugin.InitPlaying(path.c_str(), &info);
                complete = gFailAfter.load() != 0;   // no allocation failed
                gFailAfter = 0;
                if (started) {
                    char* buffer = nullptr;
                    for (int b = 0; b < 4; b++)
                        plugin.GetAudio(&buffer, kBlockBytes);
                    plugin.CleanupPlaying();
                }
            });
            std::string out = testing::internal::GetCapturedStdout();
            EXPECT_EQ(left, 0);
            if (complete) {
                EXPECT_TRUE(started);
            } else
                failures++;
            // The loader's own allocations report error 1.
            if (!out.empty()) {
                EXPECT_EQ(out, ErrorLine(1001));
            }
            if (HasFailure())
                return;
        }
        EXPECT_TRUE(complete) << leaves[i];
        EXPECT_GT(failures, 10) << leaves[i];
    }
}


TEST_F(Leaks, EachAllocationOfRecognitionFails_LeavesNothing)
{
    std::string path = dir.Write("pt.mod", ProTracker());
    bool        complete = false;
    for (int n = 1; n < 500 && !complete; n++) {
        MyPlugin plugin;
        bool     recognised = false;
        EXPECT_EQ(LeftBehind([&] {
            gFailAfter = n;
            recognised = plugin.IsOur(path.c_str());
            complete = gFailAfter.load() != 0;
        }),
            0)
            << "allocation " << n;
        if (complete) {
            EXPECT_TRUE(recognised);
        }
    }
    EXPECT_TRUE(complete);
}


TEST_F(Leaks, SecondInitMixerWithoutEndMixer_LeavesNothing)
{
    RVGlobal     global;
    FourChannels player(&global);
    EXPECT_EQ(LeftBehind([&] {
        RVMixer mixer;
        ASSERT_TRUE(mixer.InitMixer(&player));
        ASSERT_TRUE(mixer.InitMixer(&player));
        mixer.EndMixer();
    }),
        0);
}
