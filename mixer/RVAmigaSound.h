// RVAmigaSound: the mixer's output as an Amiga would make it. Each voice is a staircase
// at its own sample rate (Paula holds every value until the next), its steps made
// band-limited; the sum then passes the model's fixed filters and, while the song has it
// on, the LED filter. The mixer hands it every stretch of every voice in place of a
// kernel and takes the filtered sums, or for 16-bit stereo the converted output.
#ifndef MIXER_RVAMIGASOUND_H
#define MIXER_RVAMIGASOUND_H

#include <vector>

#include "mixer/MixerSettings.h"
#include "mixer/RVAmigaFilters.h"
#include "mixer/RVLedFilter.h"
#include "mixer/RVPaulaSteps.h"

class RVAmigaSound
{
public:
    RVAmigaSound(MixAmigaModel model, uint32 rate);

    MixAmigaModel Model() const { return model; }

    // A new song: silence, settled filters, LED filter off; passes up to `frames` long.
    void Reset(uint32 frames);
    void SetLed(bool on) { ledOn = on; }
    bool Led() const { return ledOn; }

    void BeginPass(uint16 voiceCount);
    // One stretch of a voice, as a kernel would get it (no loop or end boundary inside),
    // starting `first` frames into the pass, with the voice's gains. Returns the new
    // position.
    template<typename Sample>
    int64 AddStretch(uint16 voice, const Sample* data, int64 position, int64 step, uint32 frames,
        uint32 first, int32 left, int32 right);
    // After the voice's turn in the pass: a voice that no longer sounds falls to 0 where it
    // stopped.
    void EndVoice(uint16 voice, bool active, uint32 frames);
    // Writes the pass's interleaved stereo sums, in the accumulator's units.
    void EndPass(int32* sums, uint32 frames);
    // The same sums as 16-bit stereo, converted as the mixer converts its accumulator.
    void EndPass16(int16* output, uint32 frames);

private:
    struct Voice
    {
        int32  sample = 0;   // the value Paula holds, 16-bit scale
        int32  left = 0;     // gains the level was last stepped with
        int32  right = 0;
        uint32 end = 0;   // the frame after the last one rendered in this pass
    };

    void Hold(Voice& voice, int32 sample, double time);
    // AddStretch's body, and its build for AVX2 processors, chosen once a stretch.
    template<typename Sample>
    int64 AddStretchBody(uint16 voice, const Sample* data, int64 position, int64 step,
        uint32 frames, uint32 first, int32 left, int32 right);
    template<typename Sample>
    int64 AddStretchAvx2(uint16 voice, const Sample* data, int64 position, int64 step,
        uint32 frames, uint32 first, int32 left, int32 right);
    template<typename Out>
    void Filter(Out* out, uint32 frames);
    template<bool Led, typename Out>
    void FilterPass(Out* out, uint32 frames);
    template<bool Led, typename Out>
    void FilterPassAvx2(Out* out, uint32 frames);
    template<bool Led, typename Out>
    void FilterPassBody(Out* out, uint32 frames);

    // Enough of the LED filter's input to settle it when it is switched in.
    static const uint32 kLedHistory = 128;

    MixAmigaModel      model;
    uint32             rate;
    bool               ledOn;
    bool               ledSettled;   // it has run on the signal up to now
    RVStereo           ledInput[kLedHistory];
    uint32             ledInputAt;       // the oldest frame of ledInput
    RVStereo           residualBefore;   // the steps' residual in the last frame read
    std::vector<Voice> voices;
    RVPaulaSteps       steps;
    RVAmigaFilters     filters;
    RVLedFilter        led;
    bool               avx2;   // the AVX2 builds, with the kernels' set in use when made
};

#endif
