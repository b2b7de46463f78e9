// The two renderings of a tick: a line for reading and a JSON object for tools.
#include "tools/trace/Trace.h"

#include <cstdio>

#include <nlohmann/json.hpp>

namespace zw {

namespace {

std::string
ChannelText(const TraceChannel& ch)
{
    char trigger[24] = "--------";
    if (ch.triggered)
        snprintf(trigger, sizeof(trigger), "s%02u@%-5u", ch.sample, ch.start);
    char loop[32] = "-";
    if (ch.looping)
        snprintf(loop, sizeof(loop), "%u+%u", ch.loopStart, ch.loopLength);
    char text[128];
    snprintf(text, sizeof(text), "%s %6uHz v%-3u p%-3u L%-11s%s", trigger, ch.frequency, ch.volume,
        ch.panning, loop, ch.mute ? " mute" : "");
    return text;
}

}   // namespace


std::string
FormatText(const TraceTick& tick)
{
    char head[96];
    if (tick.row < 0) {
        snprintf(head, sizeof(head), "%6u  -- --  t%-2u speed %2u bpm %3u%s", tick.index, tick.tick,
            tick.speed, tick.bpm, tick.ended ? " END" : "    ");
    } else {
        snprintf(head, sizeof(head), "%6u  %02d:%02d t%-2u speed %2u bpm %3u%s", tick.index,
            tick.pos, tick.row, tick.tick, tick.speed, tick.bpm, tick.ended ? " END" : "    ");
    }
    std::string line = head;
    for (const TraceChannel& ch : tick.channels)
        line += " | " + ChannelText(ch);
    return line;
}


std::string
FormatJson(const TraceTick& tick)
{
    nlohmann::ordered_json channels = nlohmann::ordered_json::array();
    for (const TraceChannel& ch : tick.channels) {
        nlohmann::ordered_json trigger = nullptr;
        if (ch.triggered)
            trigger = { { "sample", ch.sample }, { "start", ch.start } };
        nlohmann::ordered_json loop = nullptr;
        if (ch.looping)
            loop = { { "start", ch.loopStart }, { "length", ch.loopLength } };
        channels.push_back({
            { "trigger", trigger },
            { "frequency", ch.frequency },
            { "volume", ch.volume },
            { "panning", ch.panning },
            { "loop", loop },
            { "mute", ch.mute },
        });
    }
    nlohmann::ordered_json object = {
        { "pos", tick.pos },
        { "row", tick.row },
        { "tick", tick.tick },
        { "speed", tick.speed },
        { "bpm", tick.bpm },
        { "channels", channels },
    };
    if (tick.ended)
        object["end"] = true;
    return object.dump();
}

}   // namespace zw
