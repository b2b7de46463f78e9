#include "tools/demotune/Composer.h"

#include <string>
#include <vector>

#include "tools/demotune/Synth.h"

namespace demo {

namespace {

enum { BASS = 0, DRUMS = 1, LEAD = 2, CHORDS = 3 };
enum { S_BASS = 1, S_LEAD, S_PAD, S_KICK, S_SNARE, S_HAT, S_OPEN_HAT };

// Effect numbers.
enum {
    ARPEGGIO = 0x0,
    PORTA_UP = 0x1,
    PORTA_DOWN = 0x2,
    TONE_PORTA = 0x3,
    VIBRATO = 0x4,
    VIBRATO_VOL = 0x6,
    VOLUME_SLIDE = 0xA,
    SET_VOLUME = 0xC,
    BREAK = 0xD,
    EXTENDED = 0xE,
    SPEED = 0xF,
};
const uint8 kLoopStart = 0x60;   // E60
const uint8 kLoopOnce = 0x61;    // E61: play the loop once more
const uint8 kTempoIntro = 118;
const uint8 kTempoLift = 125;
const uint8 kMinor = 0x37;   // arpeggio: minor third, fifth
const uint8 kMajor = 0x47;

// One event of a voice: row, note name ("" = no note) and the effect.
struct Event
{
    int         row;
    const char* note;
    uint8       effect = 0;
    uint8       param = 0;
};

struct Chord
{
    const char* bassRoot;   // octave 2
    const char* padRoot;
    uint8       quality;   // kMinor or kMajor
};

class Score
{
public:
    explicit Score(zw::ModWriter& mod) : mod(mod) {}

    void Note(int pattern, int row, int channel, const std::string& note, int sample,
        uint8 effect = 0, uint8 param = 0)
    {
        zw::ModCell& cell = mod.Cell(pattern, row, channel);
        cell.period = zw::NotePeriod(note);
        cell.sample = (uint8)sample;
        cell.effect = effect;
        cell.param = param;
    }

    void Effect(int pattern, int row, int channel, uint8 effect, uint8 param)
    {
        zw::ModCell& cell = mod.Cell(pattern, row, channel);
        cell.effect = effect;
        cell.param = param;
    }

    // Effect on every row from `first` to `last` inclusive.
    void Hold(int pattern, int first, int last, int channel, uint8 effect, uint8 param)
    {
        for (int row = first; row <= last; row++)
            Effect(pattern, row, channel, effect, param);
    }

    void Voice(int pattern, int channel, int sample, const std::vector<Event>& events)
    {
        for (const Event& event : events) {
            if (event.note[0] != '\0')
                Note(pattern, event.row, channel, event.note, sample, event.effect, event.param);
            else
                Effect(pattern, event.row, channel, event.effect, event.param);
        }
    }

    zw::ModWriter& mod;
};

std::string
Transpose(const std::string& note, int semitones)
{
    static const char* names[12] = { "C-", "C#", "D-", "D#", "E-", "F-", "F#", "G-", "G#", "A-",
        "A#", "B-" };
    int                number = zw::NoteNumber(note) - 1 + semitones;
    return std::string(names[number % 12]) + std::to_string(number / 12);
}

// Sixteen rows of bass: root, octave and fifth in a syncopated figure.
void
BassBar(Score& score, int pattern, int bar, const char* root)
{
    const int rows[] = { 0, 3, 6, 8, 11, 12, 14 };
    const int steps[] = { 0, 0, 12, 0, 0, 12, 7 };
    for (int i = 0; i < 7; i++)
        score.Note(pattern, bar * 16 + rows[i], BASS, Transpose(root, steps[i]), S_BASS);
}

// Kick on one and three (and a pickup), snare on two and four, closed hats between.
void
BeatBar(Score& score, int pattern, int bar, bool openEnd)
{
    int base = bar * 16;
    score.Note(pattern, base + 0, DRUMS, "C-3", S_KICK);
    score.Note(pattern, base + 2, DRUMS, "C-4", S_HAT);
    score.Note(pattern, base + 4, DRUMS, "C-4", S_SNARE);
    score.Note(pattern, base + 6, DRUMS, "C-4", S_HAT, SET_VOLUME, 16);
    score.Note(pattern, base + 8, DRUMS, "C-3", S_KICK);
    score.Note(pattern, base + 10, DRUMS, "C-4", S_HAT);
    score.Note(pattern, base + 11, DRUMS, "C-3", S_KICK, SET_VOLUME, 40);
    score.Note(pattern, base + 12, DRUMS, "C-4", S_SNARE);
    score.Note(pattern, base + 14, DRUMS, "C-4", openEnd ? S_OPEN_HAT : S_HAT);
}

// A chord held for a bar as a fast arpeggio.
void
ChordBar(Score& score, int pattern, int bar, const Chord& chord)
{
    score.Note(pattern, bar * 16, CHORDS, chord.padRoot, S_PAD, ARPEGGIO, chord.quality);
    score.Hold(pattern, bar * 16 + 1, bar * 16 + 15, CHORDS, ARPEGGIO, chord.quality);
}

void
Groove(Score& score, int pattern, const Chord (&chords)[4])
{
    for (int bar = 0; bar < 4; bar++) {
        BassBar(score, pattern, bar, chords[bar].bassRoot);
        BeatBar(score, pattern, bar, bar == 3);
        ChordBar(score, pattern, bar, chords[bar]);
    }
}

const Chord kVerse[4] = {
    { "A-2", "A-2", kMinor },
    { "F-2", "F-2", kMajor },
    { "C-2", "C-3", kMajor },
    { "G-2", "G-2", kMajor },
};
const Chord kBridge[4] = {
    { "D-2", "D-3", kMinor },
    { "F-2", "F-2", kMajor },
    { "G-2", "G-2", kMajor },
    { "E-2", "E-2", kMajor },
};

// Pad swells in under soft hats; bass and beat join half-way.
void
Intro(Score& score)
{
    score.Note(0, 0, DRUMS, "C-4", S_HAT, SPEED, kTempoIntro);
    for (int row = 4; row < 32; row += 4)
        score.Note(0, row, DRUMS, "C-4", S_HAT, SET_VOLUME, row % 8 == 0 ? 20 : 12);
    for (int bar = 0; bar < 2; bar++) {
        int base = bar * 16;
        score.Note(0, base, CHORDS, kVerse[bar].padRoot, S_PAD, SET_VOLUME, 6);
        score.Hold(0, base + 1, base + 11, CHORDS, VOLUME_SLIDE, 0x10);
        score.Hold(0, base + 12, base + 15, CHORDS, ARPEGGIO, kVerse[bar].quality);
    }
    for (int bar = 2; bar < 4; bar++) {
        BassBar(score, 0, bar, kVerse[bar].bassRoot);
        BeatBar(score, 0, bar, bar == 3);
        ChordBar(score, 0, bar, kVerse[bar]);
    }
}

void
VerseA(Score& score)
{
    Groove(score, 1, kVerse);
    score.Voice(1, LEAD, S_LEAD,
        {
            { 0, "E-3" },
            { 4, "", VIBRATO, 0x35 },
            { 5, "", VIBRATO, 0x35 },
            { 6, "", VIBRATO, 0 },
            { 8, "D-3" },
            { 10, "C-3" },
            { 12, "D-3" },
            { 13, "", VIBRATO, 0x35 },
            { 14, "", VIBRATO, 0 },
            { 16, "C-3" },
            { 20, "", VIBRATO, 0x35 },
            { 21, "", VIBRATO, 0 },
            { 22, "", VIBRATO, 0 },
            { 24, "A-2" },
            { 28, "C-3" },
            { 30, "", VIBRATO, 0x35 },
            { 32, "E-3" },
            { 36, "G-3" },
            { 37, "", VIBRATO, 0x35 },
            { 38, "", VIBRATO, 0 },
            { 39, "", VIBRATO, 0 },
            { 40, "", VIBRATO, 0 },
            { 44, "E-3" },
            { 46, "D-3" },
            { 48, "D-3" },
            { 52, "", VIBRATO, 0x36 },
            { 53, "", VIBRATO, 0 },
            { 54, "", VIBRATO, 0 },
            { 55, "", VIBRATO, 0 },
            { 56, "B-2" },
            { 57, "", VIBRATO, 0x35 },
            { 58, "", VIBRATO, 0 },
            // The phrase ends in a fall.
            { 60, "", PORTA_DOWN, 0x02 },
            { 61, "", PORTA_DOWN, 0x03 },
            { 62, "", PORTA_DOWN, 0x04 },
            { 63, "", VOLUME_SLIDE, 0x08 },
        });
}

void
VerseB(Score& score)
{
    Groove(score, 2, kVerse);
    score.Voice(2, LEAD, S_LEAD,
        {
            { 0, "A-3" },
            { 4, "", VIBRATO, 0x35 },
            { 5, "", VIBRATO, 0 },
            { 6, "", VIBRATO, 0 },
            // Glides: the note with effect 3 is a target, not a new attack.
            { 8, "G-3", TONE_PORTA, 0x10 },
            { 9, "", TONE_PORTA, 0 },
            { 10, "", TONE_PORTA, 0 },
            { 12, "E-3" },
            { 16, "F-3" },
            { 18, "", VIBRATO, 0x35 },
            { 19, "", VIBRATO, 0 },
            { 20, "E-3" },
            { 22, "", PORTA_UP, 0x02 },
            { 23, "", PORTA_UP, 0x02 },
            { 24, "C-3" },
            { 26, "", VIBRATO, 0x35 },
            { 27, "", VIBRATO, 0 },
            { 28, "", VIBRATO, 0 },
            { 30, "A-2" },
            { 32, "G-3" },
            { 34, "", VIBRATO, 0x35 },
            { 35, "", VIBRATO, 0 },
            { 36, "", VIBRATO, 0 },
            { 37, "", VIBRATO, 0 },
            { 40, "E-3" },
            { 42, "G-3" },
            { 44, "C-4", TONE_PORTA, 0x18 },
            { 45, "", TONE_PORTA, 0 },
            { 46, "", TONE_PORTA, 0 },
            { 47, "", TONE_PORTA, 0 },
            { 48, "B-3" },
            { 50, "", VIBRATO, 0x46 },
            { 51, "", VIBRATO, 0 },
            { 52, "", VIBRATO, 0 },
            { 53, "", VIBRATO, 0 },
            { 54, "", VIBRATO, 0 },
            { 56, "A-3" },
            { 58, "G-3" },
            { 59, "", VOLUME_SLIDE, 0x02 },
            { 60, "", VOLUME_SLIDE, 0x02 },
            { 61, "", VOLUME_SLIDE, 0x02 },
            { 62, "", VOLUME_SLIDE, 0x02 },
            { 63, "", VOLUME_SLIDE, 0x02 },
        });
}

// The bridge: tempo lift half-way and a snare roll that a pattern loop plays twice.
void
Bridge(Score& score)
{
    Groove(score, 3, kBridge);
    score.Effect(3, 32, DRUMS, SPEED, kTempoLift);
    for (int row = 56; row < 64; row++)
        score.Note(3, row, DRUMS, "C-4", S_SNARE, SET_VOLUME, (uint8)(24 + (row - 56) * 5));
    score.Effect(3, 56, DRUMS, EXTENDED, kLoopStart);
    score.Effect(3, 59, DRUMS, EXTENDED, kLoopOnce);
    score.Note(3, 63, DRUMS, "C-4", S_OPEN_HAT);
    // The bass climbs back towards A.
    score.Effect(3, 62, BASS, PORTA_UP, 0x08);
    score.Effect(3, 63, BASS, PORTA_UP, 0x08);
    score.Voice(3, LEAD, S_LEAD,
        {
            { 0, "F-3" },
            { 4, "A-3" },
            { 8, "D-4" },
            { 12, "C-4" },
            { 14, "A-3" },
            { 16, "A-3" },
            { 18, "", VIBRATO, 0x35 },
            { 19, "", VIBRATO, 0 },
            { 20, "", VIBRATO, 0 },
            { 21, "", VIBRATO, 0 },
            { 24, "C-4" },
            { 28, "A-3" },
            { 30, "F-3" },
            { 32, "G-3" },
            { 34, "", VIBRATO, 0x35 },
            { 35, "", VIBRATO, 0 },
            { 36, "", VIBRATO, 0 },
            { 37, "", VIBRATO, 0 },
            { 40, "B-3" },
            { 44, "D-4" },
            { 46, "B-3" },
            { 48, "G#3" },
            { 50, "", VIBRATO, 0x46 },
            { 51, "", VIBRATO, 0 },
            { 52, "", VIBRATO, 0 },
            { 53, "", VIBRATO, 0 },
            { 54, "", VIBRATO, 0 },
            { 56, "", VOLUME_SLIDE, 0x01 },
            { 57, "", VOLUME_SLIDE, 0x01 },
            { 58, "", VOLUME_SLIDE, 0x01 },
            { 59, "", VOLUME_SLIDE, 0x01 },
        });
}

// Half a pattern: the melody comes home to A and everything fades; the break after the
// last position ends the song.
void
Outro(Score& score)
{
    score.Note(4, 0, BASS, "A-2", S_BASS);
    score.Note(4, 8, BASS, "A-2", S_BASS);
    score.Note(4, 16, BASS, "A-2", S_BASS);
    score.Hold(4, 17, 31, BASS, VOLUME_SLIDE, 0x02);
    score.Note(4, 0, DRUMS, "C-3", S_KICK);
    score.Note(4, 4, DRUMS, "C-4", S_SNARE);
    score.Note(4, 8, DRUMS, "C-3", S_KICK);
    score.Note(4, 12, DRUMS, "C-4", S_SNARE);
    score.Note(4, 16, DRUMS, "C-3", S_KICK);
    score.Note(4, 20, DRUMS, "C-4", S_OPEN_HAT, SET_VOLUME, 20);
    score.Effect(4, 31, DRUMS, BREAK, 0);
    score.Note(4, 0, CHORDS, "A-2", S_PAD, ARPEGGIO, kMinor);
    score.Hold(4, 1, 15, CHORDS, ARPEGGIO, kMinor);
    score.Hold(4, 16, 31, CHORDS, VOLUME_SLIDE, 0x01);
    score.Voice(4, LEAD, S_LEAD,
        {
            { 0, "E-3" },
            { 4, "D-3" },
            { 8, "C-3" },
            { 12, "B-2" },
            { 16, "A-2" },
            { 17, "", VIBRATO, 0x34 },
            { 18, "", VIBRATO, 0 },
            { 19, "", VIBRATO, 0 },
        });
    score.Hold(4, 20, 31, LEAD, VIBRATO_VOL, 0x01);
}

void
SetInstrument(
    zw::ModWriter& mod, int n, const char* name, const Instrument& instrument, uint8 volume)
{
    zw::ModSample& sample =
        mod.SetSample(n, instrument.data, volume, instrument.loopStart, instrument.loopLength);
    sample.name = name;
}

}   // namespace

zw::ModWriter
ComposeDemo()
{
    zw::ModWriter mod("M.K.");
    mod.name = "zarnowelle demo";
    // 127 in the restart byte marks ProTracker files, as does the tempo command.
    mod.restart = 127;
    SetInstrument(mod, S_BASS, "filtered saw bass", Bass(), 52);
    SetInstrument(mod, S_LEAD, "pulse lead", Lead(), 40);
    SetInstrument(mod, S_PAD, "detuned saw pad", Pad(), 26);
    SetInstrument(mod, S_KICK, "sine kick", Kick(), 64);
    SetInstrument(mod, S_SNARE, "noise snare", Snare(), 44);
    SetInstrument(mod, S_HAT, "closed hat", HiHat(false), 24);
    SetInstrument(mod, S_OPEN_HAT, "open hat", HiHat(true), 22);

    Score score(mod);
    Intro(score);
    VerseA(score);
    VerseB(score);
    Bridge(score);
    Outro(score);
    mod.SetPositions({ 0, 1, 2, 3, 1, 4 });
    return mod;
}

}   // namespace demo
