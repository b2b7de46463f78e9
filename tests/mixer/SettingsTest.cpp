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
