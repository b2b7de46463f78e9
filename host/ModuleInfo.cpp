#include "host/ModuleInfo.h"

#include <cmath>
#include <cstdio>
#include <iostream>
#include <sstream>

#include "host/Arguments.h"
#include "hostlib/ModuleText.h"
#include "hostlib/PluginHost.h"
#include "hostlib/Timeline.h"
#include "modtracker/ModuleTypes.h"

namespace {

// Loop starts count bytes in SoundTracker files and words in the others; lengths count
// words. A loop of one word or less is none.
bool
HasLoop(const SampleFacts& sample)
{
    return sample.loopLength > 1;
}

unsigned
LoopStartBytes(const ModuleFacts& facts, const SampleFacts& sample)
{
    const int kLastSoundTracker = 1;
    return facts.type && *facts.type <= kLastSoundTracker ? sample.loopStart : 2 * sample.loopStart;
}

nlohmann::json
SamplesJson(const ModuleFacts& facts)
{
    nlohmann::json list = nlohmann::json::array();
    for (size_t i = 0; i < facts.sampleList.size(); i++) {
        const SampleFacts& sample = facts.sampleList[i];
        bool               loop = HasLoop(sample);
        list.push_back({ { "number", i + 1 }, { "name", sample.name }, { "length", sample.bytes },
            { "volume", sample.volume }, { "finetune", sample.fineTune },
            { "loop_start", loop ? LoopStartBytes(facts, sample) : 0 },
            { "loop_length", loop ? 2 * sample.loopLength : 0 } });
    }
    return list;
}

std::string
SamplesText(const ModuleFacts& facts)
{
    std::ostringstream text;
    text << "  samples:\n     #  name                    length  vol  fine  loop\n";
    for (size_t i = 0; i < facts.sampleList.size(); i++) {
        const SampleFacts& sample = facts.sampleList[i];
        char               line[160];
        snprintf(line, sizeof(line), "    %2zu  %-22s %7u  %3u  %4u  ", i + 1, sample.name.c_str(),
            sample.bytes, sample.volume, sample.fineTune);
        text << line;
        if (HasLoop(sample))
            text << LoopStartBytes(facts, sample) << "+" << 2 * sample.loopLength << "\n";
        else
            text << "-\n";
    }
    return text.str();
}

std::string
DurationLine(const ModuleReport& report, double maxTime)
{
    if (report.frames >= 0) {
        return DurationText(report.frames, PLUGIN_SAMPLE_RATE) + " ("
            + std::to_string(report.frames) + " frames)";
    }
    if (!report.played)
        return "unknown: no plug-in plays the file";
    char seconds[32];
    snprintf(seconds, sizeof(seconds), "%g", maxTime);
    return std::string("does not end within ") + seconds + " seconds";
}

// The frames a plug-in delivers to the song's end (-1 when it does not end in time).
void
MeasureSong(PluginHost& host, const std::string& path, double maxTime, ModuleReport& report)
{
    InputPlugin* plugin = host.FindPlugin(path);
    report.played = false;
    if (plugin == nullptr)
        return;
    Timeline timeline = ScanTimeline(plugin, path, std::llround(maxTime * PLUGIN_SAMPLE_RATE));
    report.played = timeline.loaded;
    report.frames = timeline.loaded && timeline.ends ? timeline.frames : -1;
}

// A file that could not be read says why, where a type would be.
bool
UnreadFile(const ModuleFacts& facts)
{
    return !facts.type && facts.error && facts.error->rfind("cannot read", 0) == 0;
}

// Why a file is not a module that loads, as the host says it.
std::string
ErrorText(const ModuleFacts& facts)
{
    return facts.type ? "cannot load: " + *facts.error : *facts.error;
}

std::string
CompanionText(const ModuleFacts& facts)
{
    // A missing companion that silences sounds is among the warnings.
    return facts.companion ? *facts.companion : "none found";
}

}   // namespace

nlohmann::json
ToJson(const ModuleReport& report, bool samples)
{
    const ModuleFacts& facts = report.facts;
    nlohmann::json     info = nlohmann::json::array();
    for (const auto& [label, value] : facts.info)
        info.push_back({ { "label", label }, { "value", value } });
    nlohmann::json object;
    object["file"] = facts.file;
    object["type"] = facts.type ? nlohmann::json(*facts.type) : nlohmann::json(nullptr);
    object["type_name"] = facts.type ? nlohmann::json(facts.typeName) : nlohmann::json(nullptr);
    // What only a load tells is unknown for a file that did not load.
    auto known = [&](const auto& value) {
        return facts.Loaded() ? nlohmann::json(value) : nlohmann::json(nullptr);
    };
    object["name"] = known(facts.name);
    object["channels"] = known(facts.channels);
    object["patterns"] = known(facts.patterns);
    object["samples"] = known(facts.samples);
    object["song_length"] = known(facts.songLength);
    object["restart"] = known(facts.restart);
    object["duration_s"] = report.frames >= 0
        ? nlohmann::json(double(report.frames) / PLUGIN_SAMPLE_RATE)
        : nlohmann::json(nullptr);
    object["comment"] =
        report.comment.empty() ? nlohmann::json(nullptr) : nlohmann::json(report.comment);
    object["info"] = known(info);
    object["warnings"] = facts.warnings;
    object["companion"] =
        facts.companion ? nlohmann::json(*facts.companion) : nlohmann::json(nullptr);
    if (samples)
        object["sample_list"] = SamplesJson(facts);
    object["error"] = facts.error ? nlohmann::json(ErrorText(facts)) : nlohmann::json(nullptr);
    return object;
}


std::string
ToText(const ModuleReport& report, bool samples, double maxTime)
{
    const ModuleFacts& facts = report.facts;
    std::ostringstream text;
    text << facts.file << "\n";
    if (facts.type)
        text << "  type:            " << *facts.type << " (" << facts.typeName << ")\n";
    else if (!UnreadFile(facts))
        text << "  type:            not a module\n";
    if (!facts.Loaded()) {
        if (facts.type || UnreadFile(facts))
            text << "  error:           " << ErrorText(facts) << "\n";
        return text.str();
    }
    text << "  name:            " << facts.name << "\n"
         << "  duration:        " << DurationLine(report, maxTime) << "\n"
         << "  channels:        " << facts.channels << "\n"
         << "  patterns:        " << facts.patterns << "\n"
         << "  samples:         " << facts.samples << "\n"
         << "  restart:         " << facts.restart << "\n";
    // The info lines carry the song length.
    for (const auto& [label, value] : facts.info)
        text << "  " << label << std::string(label.size() < 17 ? 17 - label.size() : 1, ' ')
             << value << "\n";
    if (*facts.type == int(MODTYPE_STARTRACKER))
        text << "  companion:       " << CompanionText(facts) << "\n";
    for (size_t i = 0; i < facts.warnings.size(); i++)
        text << (i == 0 ? "  warnings:        " : "; ") << facts.warnings[i];
    if (!facts.warnings.empty())
        text << "\n";
    if (!report.comment.empty()) {
        text << "  comment:\n";
        std::istringstream lines(report.comment);
        for (std::string line; std::getline(lines, line);)
            text << "    " << line << "\n";
    }
    if (samples)
        text << SamplesText(facts);
    return text.str();
}

int
PrintModuleInfo(PluginHost& host, const InfoOptions& options)
{
    int status = 0;
    for (const std::string& path : options.files) {
        ModuleReport report;
        report.facts = ReadModuleFacts(path);
        if (report.facts.Loaded()) {
            MeasureSong(host, path, options.maxTime, report);
            if (report.facts.type == int(MODTYPE_MULTITRACKER))
                report.comment = ReadMtmComment(path);
        }
        if (options.json)
            // File names need not be UTF-8: such bytes become U+FFFD, not an exception.
            std::cout << ToJson(report, options.samples)
                             .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)
                      << std::endl;
        else
            std::cout << ToText(report, options.samples, options.maxTime) << std::flush;
        if (!report.facts.Loaded()) {
            ReportError(path + ": " + ErrorText(report.facts));
            status = 1;
        }
    }
    return status;
}
