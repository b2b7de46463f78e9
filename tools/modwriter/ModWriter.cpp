// Module writers: byte layouts of MOD, MTM and ".nt" files.
#include "tools/modwriter/ModWriter.h"

#include <algorithm>
#include <cstring>
#include <fstream>

#include "modtracker/Tables.h"

namespace zw {

namespace {

class Bytes
{
public:
    void U8(uint8 v) { out.push_back(v); }
    void B16(uint16 v)
    {
        U8(uint8(v >> 8));
        U8(uint8(v));
    }
    void B32(uint32 v)
    {
        B16(uint16(v >> 16));
        B16(uint16(v));
    }
    void L16(uint16 v)
    {
        U8(uint8(v));
        U8(uint8(v >> 8));
    }
    void L32(uint32 v)
    {
        L16(uint16(v));
        L16(uint16(v >> 16));
    }
    // Exactly `size` bytes: the text cut or padded with zeros.
    void Text(const std::string& text, size_t size)
    {
        for (size_t i = 0; i < size; i++)
            U8(i < text.size() ? uint8(text[i]) : 0);
    }
    template<typename T>
    void Raw(const std::vector<T>& data)
    {
        for (T v : data)
            U8(uint8(v));
    }

    std::vector<uint8> out;
};

const int MOD_ROWS = 64;

}   // namespace

int
NoteNumber(const std::string& name)
{
    static const char* const names = "C-C#D-D#E-F-F#G-G#A-A#B-";
    if (name.size() != 3 || name[2] < '0' || name[2] > '6')
        return 0;
    for (int i = 0; i < 12; i++) {
        if (name[0] == names[i * 2] && name[1] == names[i * 2 + 1])
            return (name[2] - '0') * 12 + i + 1;
    }
    return 0;
}

uint16
NotePeriod(const std::string& name, int fineTune)
{
    int note = NoteNumber(name);
    if (note == 0 || fineTune < 0 || fineTune >= PERIOD_FINETUNES)
        return 0;
    return periods[fineTune][note - 1];
}

uint8
MtmNote(const std::string& name)
{
    int note = NoteNumber(name);
    return note > 13 ? uint8(note - 13) : 0;
}

int
ChannelsForMark(const std::string& mark)
{
    if (mark.size() != 4)
        return 4;
    if (mark.compare(1, 3, "CHN") == 0)
        return mark[0] - '0';
    if (mark.compare(2, 2, "CH") == 0)
        return (mark[0] - '0') * 10 + (mark[1] - '0');
    if (mark.compare(0, 3, "TDZ") == 0)
        return mark[3] - '0';
    return 4;
}

std::vector<uint8>
Truncated(std::vector<uint8> bytes, size_t length)
{
    if (length < bytes.size())
        bytes.resize(length);
    return bytes;
}

bool
SaveFile(const std::vector<uint8>& bytes, const std::string& path)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(file);
}

// ---------------------------------------------------------------- MOD

void
ModSample::SetData(std::vector<int8> bytes)
{
    length = uint16(bytes.size() / 2);
    data = std::move(bytes);
}

ModWriter::ModWriter(std::string mark_, int sampleCount_)
    : mark(std::move(mark_)), sampleCount(sampleCount_),
      channels(sampleCount_ == 31 ? ChannelsForMark(mark) : 4),
      samples(size_t(std::max(sampleCount_, 0)))
{
}

ModSample&
ModWriter::SetSample(
    int n, std::vector<int8> data, uint8 volume, uint16 repeatStart, uint16 repeatLength)
{
    ModSample& sample = Sample(n);
    sample.SetData(std::move(data));
    sample.volume = volume;
    sample.repeatStart = repeatStart;
    sample.repeatLength = repeatLength;
    return sample;
}

void
ModWriter::SetPositions(std::initializer_list<uint8> list)
{
    positions.fill(0);
    std::copy_n(list.begin(), std::min<size_t>(list.size(), 128), positions.begin());
    songLength = uint8(list.size());
}

ModCell&
ModWriter::Cell(int pattern, int row, int channel)
{
    size_t cells = size_t(MOD_ROWS * channels);
    while (patterns.size() <= size_t(pattern))
        patterns.emplace_back(cells);
    std::vector<ModCell>& cellsOf = patterns[size_t(pattern)];
    if (cellsOf.size() < cells)
        cellsOf.resize(cells);
    return cellsOf.at(size_t(row * channels + channel));
}

std::vector<uint8>
ModWriter::Build() const
{
    Bytes b;
    b.Text(name, 20);
    for (const ModSample& s : samples) {
        b.Text(s.name, 22);
        b.B16(s.length);
        b.U8(s.fineTune);
        b.U8(s.volume);
        b.B16(s.repeatStart);
        b.B16(s.repeatLength);
    }
    b.U8(songLength);
    b.U8(restart);
    for (uint8 p : positions)
        b.U8(p);
    if (sampleCount == 31 && !mark.empty())
        b.Text(mark, 4);

    size_t count = patterns.size();
    if (fillPatterns)
        count = std::max(count, size_t(*std::max_element(positions.begin(), positions.end())) + 1);
    size_t cells = size_t(MOD_ROWS * std::max(channels, 0));
    for (size_t p = 0; p < count; p++) {
        for (size_t i = 0; i < cells; i++) {
            ModCell c;
            if (p < patterns.size() && i < patterns[p].size())
                c = patterns[p][i];
            b.U8(uint8((c.sample & 0xF0) | ((c.period >> 8) & 0x0F)));
            b.U8(uint8(c.period));
            b.U8(uint8((c.sample << 4) | (c.effect & 0x0F)));
            b.U8(c.param);
        }
    }
    for (const ModSample& s : samples)
        b.Raw(s.data);
    return b.out;
}

// ---------------------------------------------------------------- MTM

void
MtmSample::SetData(std::vector<uint8> bytes)
{
    length = uint32(bytes.size());
    data = std::move(bytes);
}

MtmWriter::MtmWriter(int channels_, int rowsPerTrack_)
    : rowsPerTrack(uint8(rowsPerTrack_)), channels(uint8(channels_))
{
}

MtmSample&
MtmWriter::SetSample(int n, std::vector<uint8> data, uint8 volume, uint32 loopStart, uint32 loopEnd)
{
    if (samples.size() < size_t(n))
        samples.resize(size_t(n));
    MtmSample& sample = samples[size_t(n - 1)];
    sample.SetData(std::move(data));
    sample.volume = volume;
    sample.loopStart = loopStart;
    sample.loopEnd = loopEnd;
    return sample;
}

MtmRow&
MtmWriter::Row(int track, int row)
{
    while (tracks.size() < size_t(track))
        tracks.emplace_back(rowsPerTrack);
    std::vector<MtmRow>& rows = tracks[size_t(track - 1)];
    if (rows.size() <= size_t(row))
        rows.resize(size_t(row) + 1);
    return rows[size_t(row)];
}

uint16&
MtmWriter::Sequence(int pattern, int channel)
{
    while (sequences.size() <= size_t(pattern))
        sequences.emplace_back();
    return sequences[size_t(pattern)].at(size_t(channel));
}

void
MtmWriter::SetPositions(std::initializer_list<uint8> list)
{
    positions.fill(0);
    std::copy_n(list.begin(), std::min<size_t>(list.size(), 128), positions.begin());
    lastPosition = uint8(list.size() == 0 ? 0 : list.size() - 1);
}

std::vector<uint8>
MtmWriter::Build() const
{
    Bytes b;
    b.Text(signature, 3);
    b.U8(version);
    b.Text(name, 20);
    b.L16(uint16(trackCount >= 0 ? trackCount : int(tracks.size())));
    int patterns = lastPattern >= 0 ? lastPattern : std::max(int(sequences.size()) - 1, 0);
    b.U8(uint8(patterns));
    b.U8(lastPosition);
    b.L16(uint16(commentLength >= 0 ? commentLength : int(comment.size())));
    b.U8(uint8(sampleCountField >= 0 ? sampleCountField : int(samples.size())));
    b.U8(attribute);
    b.U8(rowsPerTrack);
    b.U8(channels);
    for (uint8 p : pan)
        b.U8(p);

    for (const MtmSample& s : samples) {
        b.Text(s.name, 22);
        b.L32(s.length);
        b.L32(s.loopStart);
        b.L32(s.loopEnd);
        b.U8(s.fineTune);
        b.U8(s.volume);
        b.U8(s.attribute);
    }
    for (uint8 p : positions)
        b.U8(p);
    for (const std::vector<MtmRow>& track : tracks) {
        for (size_t r = 0; r < rowsPerTrack; r++) {
            MtmRow row = r < track.size() ? track[r] : MtmRow();
            b.U8(uint8((row.note << 2) | ((row.sample >> 4) & 3)));
            b.U8(uint8((row.sample << 4) | (row.effect & 0x0F)));
            b.U8(row.param);
        }
    }
    for (const std::array<uint16, 32>& seq : sequences) {
        for (uint16 t : seq)
            b.L16(t);
    }
    if (sequences.empty() && lastPattern < 0) {
        for (int i = 0; i < 32; i++)
            b.L16(0);   // the one pattern the header then names
    }
    b.Text(comment, comment.size());
    for (const MtmSample& s : samples)
        b.Raw(s.data);
    return b.out;
}

// ---------------------------------------------------------------- ".nt"

AMSample&
NtWriter::Record(int k)
{
    while (records.size() <= size_t(k)) {
        AMSample blank {};
        blank.mark = AM_MARK;
        records.push_back(blank);
    }
    return records[size_t(k)];
}

std::vector<uint8>
NtWriter::Build() const
{
    Bytes b;
    for (uint8 v : header)
        b.U8(v);
    for (const AMSample& r : records) {
        b.B16(r.mark);
        b.B32(r.unused1);
        for (uint16 v : { r.startAmplitude, r.attack1Level, r.attack1Speed, r.attack2Level,
                 r.attack2Speed, r.sustainLevel, r.decaySpeed, r.unused2, r.unused3, r.releaseSpeed,
                 r.waveform, r.pitchFall, r.vibratoDepth, r.vibratoSpeed, r.octaveShift })
            b.B16(v);
        for (uint8 v : r.unused4)
            b.U8(v);
    }
    return b.out;
}

}   // namespace zw
