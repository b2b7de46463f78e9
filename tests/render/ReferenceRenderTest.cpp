// Every kernel set renders exactly what the plain per-frame loops render: kernels on
// random stretches near both ends of their samples, the 16-bit conversion, whole passes
// of random voices (which the AVX-512 set mixes in tiles), and whole songs through the
// plug-in.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "mixer/MixKernel.h"
#include "mixer/RVMixer.h"
#include "plugin/MyPlugin.h"
#include "tests/mixer/MixerTestSupport.h"
#include "tools/busysongs/BusySongs.h"

namespace {

using MixKernel::KernelSet;

const KernelSet kFastSets[] = { MixKernel::KERNELS_PORTABLE, MixKernel::KERNELS_AVX2,
    MixKernel::KERNELS_AVX512 };

// Selects a kernel set for one scope and restores the one in use before.
class KernelScope
{
public:
    explicit KernelScope(KernelSet set) : previous(MixKernel::ActiveKernels())
    {
        available = MixKernel::UseKernels(set);
    }
    ~KernelScope() { MixKernel::UseKernels(previous); }
    bool Available() const { return available; }

private:
    KernelSet previous;
    bool      available;
};

const char*
SetName(KernelSet set)
{
    switch (set) {
        case MixKernel::KERNELS_PORTABLE: return "portable";
        case MixKernel::KERNELS_AVX2: return "avx2";
        default: return "avx512";
    }
}

template<typename Sample>
using Kernel = int32 (RVMixer::*)(const Sample*, int32*, int32, int32, uint32);

// Random stretches of up to 300 frames inside samples of 1 to 200 samples, so that
// most of them touch an end of the data, at steps on both sides of the largest a
// vector pass takes; each rendered by the reference and by `set`.
template<typename Sample>
void
CheckKernelAgainstReference(Kernel<Sample> kernel, KernelSet set, bool surround)
{
    std::mt19937 rng(surround ? 11 : 7);
    RVMixer      mixer;
    RVMixerProbe probe(mixer);
    VINFO        voice {};
    probe.SetCurrent(&voice);

    for (int round = 0; round < 4000; round++) {
        const uint32        length = std::uniform_int_distribution<uint32>(1, 200)(rng);
        std::vector<Sample> data(length);
        for (Sample& s : data)
            s = Sample(rng());
        const int64 last = int64(length) * 2048 - 1;
        const int64 position = std::uniform_int_distribution<int64>(0, last)(rng);
        int64 step = std::uniform_int_distribution<int64>(1, round % 4 == 0 ? 20000 : 9000)(rng);
        const bool   backwards = rng() & 1;
        const int64  room = backwards ? position : last - position;
        const uint32 frames = uint32(std::min<int64>(room / step + 1, 300));
        if (backwards)
            step = -step;
        voice.length = length;
        voice.leftVolume = std::uniform_int_distribution<int32>(0, 255)(rng);
        voice.rightVolume = surround && (rng() & 1)
            ? voice.leftVolume
            : std::uniform_int_distribution<int32>(0, 255)(rng);

        std::vector<int32> expected(2 * frames);
        for (int32& v : expected)
            v = int32(rng());
        std::vector<int32> got = expected;
        int32              expectedEnd, gotEnd;
        {
            KernelScope scope(MixKernel::KERNELS_REFERENCE);
            expectedEnd =
                (mixer.*kernel)(data.data(), expected.data(), int32(position), int32(step), frames);
        }
        {
            KernelScope scope(set);
            gotEnd = (mixer.*kernel)(data.data(), got.data(), int32(position), int32(step), frames);
        }
        ASSERT_EQ(expectedEnd, gotEnd) << SetName(set) << " round " << round;
        ASSERT_EQ(expected, got) << SetName(set) << " round " << round;
    }
}

TEST(ReferenceRender, Kernels_RandomStretchesNearSampleEnds_MatchReference)
{
    for (KernelSet set : kFastSets) {
        if (!MixKernel::KernelsAvailable(set))
            continue;
        CheckKernelAgainstReference<int8>(&RVMixer::Mix8StereoNormal, set, false);
        CheckKernelAgainstReference<int16>(&RVMixer::Mix16StereoNormal, set, false);
        CheckKernelAgainstReference<int8>(&RVMixer::Mix8SurroundNormal, set, true);
        CheckKernelAgainstReference<int16>(&RVMixer::Mix16SurroundNormal, set, true);
    }
}

TEST(ReferenceRender, Mix32To16_EveryCountAndExtremeSums_MatchReference)
{
    std::mt19937       rng(3);
    std::vector<int32> sums(100);
    for (size_t i = 0; i < sums.size(); i++) {
        const int32 extremes[] = { INT32_MIN, INT32_MAX, 16777215, 16777216, -16777216, -16777217,
            511, -1, 0 };
        sums[i] = i % 3 == 0 ? extremes[i / 3 % 9] : int32(rng());
    }
    RVMixer mixer;
    for (int64 count = 0; count <= int64(sums.size()); count++) {
        std::vector<int16> expected(sums.size(), 7), got(sums.size(), 7);
        {
            KernelScope scope(MixKernel::KERNELS_REFERENCE);
            mixer.Mix32To16(expected.data(), sums.data(), count);
        }
        for (KernelSet set : kFastSets) {
            KernelScope scope(set);
            if (!scope.Available())
                continue;
            mixer.Mix32To16(got.data(), sums.data(), count);
            ASSERT_EQ(expected, got) << SetName(set) << " count " << count;
        }
    }
}

// Sample data that outlives the mixers of a round; the voices point into it.
struct VoicePool
{
    std::vector<std::vector<int8>>  bytes;
    std::vector<std::vector<int16>> words;
};

// A voice anywhere in its sample or loop, at a step from 0 to past what the vector
// windows take (the tiles' limits lie near 4096 and 8192 for 8-bit data), with short
// loops that end a stretch every few frames, and now and then a sample over a million
// samples long played beyond 32-bit positions.
VINFO
RandomVoice(std::mt19937& rng, VoicePool& pool, bool huge)
{
    auto         pick = [&](uint32 n) { return uint32(rng() % n); };
    const bool   wide = pick(3) == 0;
    const uint32 length = huge ? 1100000 : (pick(4) == 0 ? 2 + pick(5000) : 1 + pick(300));
    const void*  data;
    if (wide) {
        pool.words.push_back(RandomSamples<int16>(rng, length));
        data = pool.words.back().data();
    } else {
        pool.bytes.push_back(RandomSamples<int8>(rng, length));
        data = pool.bytes.back().data();
    }
    const uint32 steps[] = { 0, 1 + pick(2048), 2048 + pick(2048), 4000 + pick(200),
        8100 + pick(200), 1 + pick(20000) };
    VINFO        v = MakeVoice(data, length, FrequencyForStep(steps[pick(6)]),
               uint16(pick(5) == 0 ? 0 : pick(257)), uint16(pick(4) == 0 ? 512 : pick(256)),
               uint16((wide ? VINFO_16BIT : 0) | (pick(3) != 0 ? VINFO_LOOP : 0)
                   | (pick(3) == 0 ? VINFO_PINGPONG : 0) | (pick(4) == 0 ? VINFO_BACKWARDS : 0)));
    v.loopStart = pick(length);
    v.loopEnd = v.loopStart + 1 + (pick(2) ? pick(4) : pick(length + 5));
    v.position = huge ? int64(1048000 + pick(1000)) * 2048 + pick(2048)
                      : int64(pick(length)) * 2048 + pick(2048);
    return v;
}

// Whole passes of random voices, their loops moved between blocks: each fast set against
// the reference loops, output and every voice's position, step, direction and activity
// after it.
TEST(ReferenceRender, Passes_RandomVoices_MatchReference)
{
    for (KernelSet set : kFastSets) {
        if (!MixKernel::KernelsAvailable(set))
            continue;
        std::mt19937 rng(5);
        for (int round = 0; round < 300; round++) {
            const uint16 channels = uint16(1 + rng() % 32);
            VoicePool    pool;
            MixerRig     reference(channels), fast(channels);
            for (uint16 i = 0; i < channels; i++) {
                const VINFO voice = RandomVoice(rng, pool, round % 50 == 49 && i == 0);
                reference.probe.Voice(i) = voice;
                fast.probe.Voice(i) = voice;
            }
            for (int block = 0; block < 4; block++) {
                const uint32       frames = 1 + rng() % 1500;
                std::vector<int16> expected, got;
                {
                    KernelScope scope(MixKernel::KERNELS_REFERENCE);
                    expected = reference.Render(frames);
                }
                {
                    KernelScope scope(set);
                    got = fast.Render(frames);
                }
                ASSERT_EQ(expected, got) << SetName(set) << " round " << round;
                // A loop the player moves between ticks meets the position the last
                // pass left.
                for (uint16 i = 0; i < channels; i++) {
                    if (rng() % 3 != 0)
                        continue;
                    VINFO& a = reference.probe.Voice(i);
                    a.loopStart = uint32(rng() % a.length);
                    a.loopEnd = a.loopStart + 1 + uint32(rng() % a.length);
                    fast.probe.Voice(i).loopStart = a.loopStart;
                    fast.probe.Voice(i).loopEnd = a.loopEnd;
                }
            }
            for (uint16 i = 0; i < channels; i++) {
                const VINFO& a = reference.probe.Voice(i);
                const VINFO& b = fast.probe.Voice(i);
                ASSERT_EQ(std::tuple(a.position, a.step, a.flags, a.active),
                    std::tuple(b.position, b.step, b.flags, b.active))
                    << SetName(set) << " round " << round << " voice " << i;
            }
        }
    }
}

// Plays one file to its end through two plug-ins in step, one on the reference loops
// and one on `set`; returns the number of blocks, or -1 when the file does not play.
long
CompareWholeSong(const std::string& path, KernelSet set)
{
    MyPlugin         reference, fast;
    PlayerInfoStruct referenceInfo {}, fastInfo {};
    if (!reference.InitPlaying(path.c_str(), &referenceInfo))
        return -1;
    EXPECT_TRUE(fast.InitPlaying(path.c_str(), &fastInfo)) << path;
    long blocks = 0;
    for (;; blocks++) {
        char* expected = nullptr;
        char* got = nullptr;
        int   expectedBytes, gotBytes;
        {
            KernelScope scope(MixKernel::KERNELS_REFERENCE);
            expectedBytes = reference.GetAudio(&expected, PLUGIN_BLOCK_BYTES);
        }
        {
            KernelScope scope(set);
            gotBytes = fast.GetAudio(&got, PLUGIN_BLOCK_BYTES);
        }
        EXPECT_EQ(expectedBytes, gotBytes) << path << " block " << blocks;
        if (expectedBytes == 0 || gotBytes != expectedBytes)
            break;
        if (!std::equal(expected, expected + expectedBytes, got)) {
            ADD_FAILURE() << path << ": " << SetName(set) << " differs in block " << blocks;
            break;
        }
    }
    reference.CleanupPlaying();
    fast.CleanupPlaying();
    return blocks;
}

class TempSongs
{
public:
    TempSongs()
    {
        char name[] = "/tmp/zw-render-XXXXXX";
        dir = mkdtemp(name) != nullptr ? name : "";
        for (const zw::BusySong& song : zw::StandardBusySongs()) {
            const std::string path = dir + "/" + song.name;
            std::ofstream(path, std::ios::binary)
                .write(reinterpret_cast<const char*>(song.bytes.data()), long(song.bytes.size()));
            paths.push_back(path);
        }
    }
    ~TempSongs()
    {
        std::error_code error;
        std::filesystem::remove_all(dir, error);
    }
    std::string              dir;
    std::vector<std::string> paths;
};

TEST(ReferenceRender, WholeSongs_DemoAndBusySongs_EqualReferenceSampleForSample)
{
    TempSongs                songs;
    std::vector<std::string> paths = songs.paths;
    paths.push_back(std::string(ZW_BUILD_DIR) + "/demo.mod");
    for (KernelSet set : kFastSets) {
        if (!MixKernel::KernelsAvailable(set))
            continue;
        for (const std::string& path : paths)
            EXPECT_GT(CompareWholeSong(path, set), 1000) << path;
    }
}

// The real modules use loops, sample ends and effects the written songs do not.
TEST(ReferenceRender, WholeSongs_Corpus_EqualReferenceSampleForSample)
{
    std::error_code error;
    if (!std::filesystem::is_directory(ZW_CORPUS_DIR, error))
        GTEST_SKIP() << "no corpus";
    const KernelSet fastest = MixKernel::KernelsAvailable(MixKernel::KERNELS_AVX512)
        ? MixKernel::KERNELS_AVX512
        : MixKernel::KERNELS_PORTABLE;
    int             played = 0;
    for (const auto& entry : std::filesystem::directory_iterator(ZW_CORPUS_DIR, error)) {
        if (CompareWholeSong(entry.path().string(), fastest) > 0)
            played++;
    }
    EXPECT_GT(played, 0);
}

}   // namespace
