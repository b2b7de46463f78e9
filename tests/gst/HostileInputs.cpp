// Pushes every file of one or more folders through the element, one pipeline each, and
// checks that each ends in EOS or a bus error within a time limit. Built with the
// sanitizers, whose reports end the run. Files are fed as filesrc reads them (a ".nt"
// companion beside a module is found), or through appsrc, which names no file. Fuzz
// inputs carry their companion after a separator; it is written beside the module.
// Usage: zw_gst_hostile_inputs FOLDER...   (a folder that does not exist is passed over)
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <gst/gst.h>

#include "fuzz/FuzzInput.h"

namespace fs = std::filesystem;

namespace {

const GstClockTime kPatience = 60 * GST_SECOND;
const double       kMaxTime = 0.5;   // seconds of a song: enough for rows and positions

enum Ending { ENDED, REFUSED, HUNG };

Ending
Await(GstElement* pipeline)
{
    GstBus*     bus = gst_element_get_bus(pipeline);
    GstMessage* message = gst_bus_timed_pop_filtered(
        bus, kPatience, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    gst_object_unref(bus);
    if (message == nullptr)
        return HUNG;
    Ending ending = GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS ? ENDED : REFUSED;
    gst_message_unref(message);
    return ending;
}

// Through filesrc reading `path`, or through appsrc pushing `bytes`.
Ending
Play(const fs::path& path, const std::vector<uint8_t>* bytes)
{
    GstElement* pipeline = gst_parse_launch(
        (std::string(bytes ? "appsrc" : "filesrc") + " name=src ! zarnowelledec max-time="
            + std::to_string(kMaxTime) + " ! fakesink sync=false")
            .c_str(),
        nullptr);
    GstElement* source = gst_bin_get_by_name(GST_BIN(pipeline), "src");
    if (bytes != nullptr) {
        GstFlowReturn flow;
        if (!bytes->empty()) {
            GstBuffer* buffer = gst_buffer_new_memdup(bytes->data(), bytes->size());
            g_signal_emit_by_name(source, "push-buffer", buffer, &flow);
            gst_buffer_unref(buffer);
        }
        g_signal_emit_by_name(source, "end-of-stream", &flow);
    } else {
        g_object_set(source, "location", path.c_str(), nullptr);
    }
    gst_object_unref(source);
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    Ending ending = Await(pipeline);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return ending;
}

std::vector<uint8_t>
ReadAll(const fs::path& path)
{
    std::vector<uint8_t> bytes(fs::file_size(path));
    FILE*                file = fopen(path.c_str(), "rb");
    if (file != nullptr) {
        bytes.resize(fread(bytes.data(), 1, bytes.size(), file));
        fclose(file);
    }
    return bytes;
}

// A fuzz input with a companion becomes two files in `scratch`; the others, and every
// second plain file, go through appsrc.
Ending
PlayInput(const fs::path& path, const fs::path& scratch, bool throughAppsrc)
{
    std::vector<uint8_t> bytes = ReadAll(path);
    zwfuzz::Split        split = zwfuzz::SplitInput(bytes.data(), bytes.size());
    if (split.companion != nullptr) {
        fs::path module = scratch / "input.mod";
        zwfuzz::WriteFile(module, split.module, split.moduleBytes);
        zwfuzz::WriteFile(scratch / "input.nt", split.companion, split.companionBytes);
        return Play(module, nullptr);
    }
    return Play(path, throughAppsrc ? &bytes : nullptr);
}

}   // namespace

int
main(int argc, char** argv)
{
    gst_init(&argc, &argv);
    fs::path scratch = zwfuzz::ScratchFolder();
    int      counts[3] = {}, files = 0;
    for (int i = 1; i < argc; i++) {
        std::vector<fs::path> inputs;
        std::error_code       missing;
        if (!fs::is_directory(argv[i], missing))
            continue;
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(argv[i])) {
            if (entry.is_regular_file() && entry.path().extension() != ".nt")
                inputs.push_back(entry.path());
        }
        std::sort(inputs.begin(), inputs.end());
        for (const fs::path& input : inputs) {
            Ending ending = PlayInput(input, scratch, files++ % 2 == 1);
            counts[ending]++;
            if (ending == HUNG)
                fprintf(stderr, "%s: no EOS and no error within %llu s\n", input.c_str(),
                    (unsigned long long)(kPatience / GST_SECOND));
        }
    }
    fs::remove_all(scratch);
    printf("%d inputs: %d ended, %d refused with a bus error, %d hung\n", files, counts[ENDED],
        counts[REFUSED], counts[HUNG]);
    gst_deinit();
    return files > 0 && counts[HUNG] == 0 ? 0 : 1;
}
