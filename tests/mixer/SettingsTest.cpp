// The mixer's settings on whole passes: ramps take the steps out of cuts and starts,
// the gain saturates, stereo 0 is mono, and settings wait for the next Mixer call.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "MixerTestSupport.h"

namespace {

// Largest difference between neighbouring frames of either side.
int
LargestJump(const std::vector<int16>& out)
{
    int jump = 0;
    for (size_t i = 2; i < out.size(); i++)
        jump = std::max(jump, std::abs(out[i] - out[i - 2]));
    return jump;
}

// A loud constant on channel 0, hard left, cut off in the ways a song cuts notes: by
// volume 0, by a new note over it, by a mute; one tick each.
std::vector<int16>
RenderCuts(bool ramping)
{
    static const std::vector<int16> high(4000, 32767), low(4000, -32768);
    MixerRig                        rig(1);
    MixerSettings                   settings;
    settings.ramping = ramping;
    rig.mixer.SetSettings(settings);
    rig.player.onPlay = [&](TestPlayer& p) {
        RVChannel* c = p.Channel(0);
        switch (p.playCount) {
            case 1:
            case 3:
                c->PlaySample(high.data(), 0, 4000, 16);
                c->SetLoop(0, 4000, RV_LOOP_NORMAL);
                c->SetFrequency(kStepOneSample / 3);
                c->SetVolume(256);
                c->SetPanning(0);
                break;
            case 2: c->SetVolume(0); break;
            case 4: c->PlaySample(low.data(), 0, 4000, 16); break;
            case 5: c->Mute(); break;
        }
    };
    return rig.Render(6 * 882);
}

// Four looping constants of value `level` at full volume, panned left, right, a quarter
// from the left and surround, rendered for two ticks with `settings`.
std::vector<int16>
RenderVoices(const MixerSettings& settings, int16 level)
{
    static std::vector<int16> data;
    data.assign(1000, level);
    MixerRig rig(4);
    rig.mixer.SetSettings(settings);
    rig.player.onPlay = [&](TestPlayer& p) {
        if (p.playCount != 1)
            return;
        const uint16 panning[4] = { 0, 255, 64, RV_PANNING_SURROUND };
        for (uint16 i = 0; i < 4; i++) {
            RVChannel* c = p.Channel(i);
            c->PlaySample(data.data(), 0, 1000, 16);
            c->SetLoop(0, 1000, RV_LOOP_NORMAL);
            c->SetFrequency(kStepOneSample);
            c->SetVolume(256);
            c->SetPanning(panning[i]);
        }
    };
    return rig.Render(2 * 882);
}

}   // namespace


// Full scale on one side converts to 16319; a ramp of 128 frames moves it ~128 a frame,
// and a new note of the opposite sign over a fading one twice that.
TEST(MixerSettings, Ramping_NoteCutsAndStartsAtFullVolume_NoJumpAbove300)
{
    const std::vector<int16> stepped = RenderCuts(false);
    const std::vector<int16> ramped = RenderCuts(true);
    EXPECT_GT(LargestJump(stepped), 16000);   // the steps are there without ramping
    EXPECT_LE(LargestJump(ramped), 300);
    // And the sound arrives: the middle of the first tick is at full level.
    EXPECT_EQ(stepped[2 * 600], ramped[2 * 600]);
}


// Settings are held in range; gain scales the mix before the clip and saturates there,
// both ways, instead of wrapping.
TEST(MixerSettings, Gain_ScalesAndSaturates)
{
    MixerSettings settings;
    settings.gainDb = 99;
    RVMixer mixer;
    mixer.SetSettings(settings);
    EXPECT_EQ(MIX_GAIN_MAX_DB, mixer.Settings().gainDb);

    const std::vector<int16> plain = RenderVoices(MixerSettings {}, 10000);
    settings.gainDb = -6.0206;   // one half
    const std::vector<int16> half = RenderVoices(settings, 10000);
    for (size_t i = 0; i < plain.size(); i++)
        ASSERT_NEAR(plain[i] / 2.0, half[i], 1.0) << "value " << i;

    settings.gainDb = 30;
    for (int16 level : { int16(32767), int16(-32768) }) {
        const std::vector<int16> loud = RenderVoices(settings, level);
        const std::vector<int16> quiet = RenderVoices(MixerSettings {}, level);
        for (size_t i = 0; i < loud.size(); i++) {
            if (quiet[i] != 0) {
                ASSERT_EQ(quiet[i] > 0 ? 32767 : -32768, loud[i]) << "value " << i;
            }
        }
    }
}


// Stereo 0 gives both sides the same, surround voices included; in between, the sides
// move towards each other.
TEST(MixerSettings, Stereo_ZeroIsMono_HalfIsBetween)
{
    MixerSettings settings;
    settings.stereoPercent = 0;
    const std::vector<int16> mono = RenderVoices(settings, 12000);
    for (size_t i = 0; i < mono.size(); i += 2)
        ASSERT_EQ(mono[i], mono[i + 1]) << "frame " << i / 2;
    EXPECT_GT(mono[0], 10000);   // nothing cancelled

    settings.stereoPercent = 50;
    const std::vector<int16> half = RenderVoices(settings, 12000);
    const std::vector<int16> full = RenderVoices(MixerSettings {}, 12000);
    const int                n = 2 * 800;
    EXPECT_LT(std::abs(half[n] - half[n + 1]), std::abs(full[n] - full[n + 1]));
    EXPECT_GT(std::abs(half[n] - half[n + 1]), 0);
}
