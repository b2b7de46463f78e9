#include "gst/ZarnowelleDec.h"

#include <algorithm>
#include <atomic>
#include <functional>
#include <set>
#include <string>

#include "gst/ModuleDecoder.h"
#include "gst/ModuleInput.h"
#include "gst/ModuleTags.h"
#include "hostlib/ModuleText.h"

GST_DEBUG_CATEGORY_STATIC(zarnowelle_debug);
#define GST_CAT_DEFAULT zarnowelle_debug

namespace {

const double kDefaultMaxTime = 1800;   // seconds, as the host's render

// The sound settings as the properties hold them; sent to the plug-in as text.
struct Sound
{
    int         interpolation = 0;   // index into kInterpolations
    int         amiga = 0;           // index into kAmigaModels
    bool        ramping = false;
    double      gain = 0;       // dB
    int         stereo = 100;   // percent
    std::string rules = "auto";
};

// clang-format off
const GEnumValue kInterpolations[] = {
    { 0, "Nearest sample, the player's own sound", "nearest" },
    { 1, "Linear", "linear" },
    { 2, "Cubic, 4 points", "cubic" },
    { 3, "Windowed sinc, table-driven", "sinc" },
    { 0, nullptr, nullptr },
};
const GEnumValue kAmigaModels[] = {
    { 0, "No Amiga output filter", "off" },
    { 1, "Amiga 500 filters", "a500" },
    { 2, "Amiga 1200 filters", "a1200" },
    { 0, nullptr, nullptr },
};
// clang-format on

// Everything the element keeps besides its pads. The sink side runs on upstream's
// thread until upstream's end of stream; from then on the source pad's task plays, and
// a seek changes the playing state only while it holds that task's stream lock.
struct DecoderState
{
    zwgst::ModuleInput   input;
    zwgst::ModuleDecoder decoder;
    std::atomic<bool>    gathered { false };            // upstream's end of stream arrived
    GstSegment           segment;                       // in time
    guint32              seqnum = GST_SEQNUM_INVALID;   // of the seek being played
    bool                 seekPending = true;            // go to segment.start before the next block
    bool                 segmentPending = true;
    bool                 tagsPending = true;
    bool                 discont = true;
    // Under the object lock: read by queries and properties on other threads.
    double                maxTime = kDefaultMaxTime;
    int                   numLoops = 0;
    bool                  loopsChanged = false;
    Sound                 sound;
    std::set<std::string> soundSet;        // keys the application set: sent at every start
    zwgst::Settings       soundChanges;    // for the playing object, from its next block
    int64_t               duration = -1;   // frames, once the timeline is known
    int64_t               position = 0;    // frames pushed up to
};

enum {
    PROP_0,
    PROP_MAX_TIME,
    PROP_NUM_LOOPS,
    PROP_INTERPOLATION,
    PROP_AMIGA,
    PROP_RAMPING,
    PROP_GAIN,
    PROP_STEREO,
    PROP_RULES
};

GType
EnumType(const char* name, const GEnumValue* values)
{
    GType type = g_type_from_name(name);
    return type != 0 ? type : g_enum_register_static(name, values);
}

GType
InterpolationType()
{
    static GType type = EnumType("GstZarnowelleInterpolation", kInterpolations);
    return type;
}

GType
AmigaType()
{
    static GType type = EnumType("GstZarnowelleAmiga", kAmigaModels);
    return type;
}

// A setting's text as the plug-in's settings channel reads it.
std::string
SettingText(const Sound& sound, const std::string& key)
{
    if (key == "interpolation")
        return kInterpolations[sound.interpolation].value_nick;
    if (key == "amiga")
        return kAmigaModels[sound.amiga].value_nick;
    if (key == "ramping")
        return sound.ramping ? "on" : "off";
    if (key == "gain") {
        char text[G_ASCII_DTOSTR_BUF_SIZE];
        return g_ascii_dtostr(text, sizeof(text), sound.gain);
    }
    if (key == "stereo")
        return std::to_string(sound.stereo);
    return sound.rules;
}

GstStaticPadTemplate sSinkTemplate = GST_STATIC_PAD_TEMPLATE("sink", GST_PAD_SINK, GST_PAD_ALWAYS,
    GST_STATIC_CAPS("audio/x-mod, type = (string) { mod, mtm }, zarnowelle = (boolean) true"));

GstStaticPadTemplate sSrcTemplate = GST_STATIC_PAD_TEMPLATE("src", GST_PAD_SRC, GST_PAD_ALWAYS,
    GST_STATIC_CAPS("audio/x-raw, format = (string) S16LE, "
                    "rate = (int) 44100, channels = (int) 2, layout = (string) interleaved"));

GstClockTime
TimeOf(int64_t frame)
{
    return gst_util_uint64_scale_int(guint64(frame), GST_SECOND, PLUGIN_SAMPLE_RATE);
}

// The first frame at or after `time`.
int64_t
FrameAt(GstClockTime time)
{
    return int64_t(gst_util_uint64_scale_int_ceil(time, PLUGIN_SAMPLE_RATE, GST_SECOND));
}

}   // namespace

struct _GstZarnowelleDec
{
    GstElement    parent;
    GstPad*       sinkpad;
    GstPad*       srcpad;
    DecoderState* state;
};

G_DEFINE_TYPE(GstZarnowelleDec, gst_zarnowelle_dec, GST_TYPE_ELEMENT)

namespace {

void Loop(gpointer element);

void
StartTask(GstZarnowelleDec* self)
{
    gst_pad_start_task(self->srcpad, Loop, self, nullptr);
}

// Asks upstream where the bytes come from, for the companion files and for messages.
void
QueryUri(GstZarnowelleDec* self)
{
    GstQuery* query = gst_query_new_uri();
    gchar*    uri = nullptr;
    if (gst_pad_peer_query(self->sinkpad, query))
        gst_query_parse_uri(query, &uri);
    if (uri != nullptr)
        self->state->input.SetUri(uri);
    g_free(uri);
    gst_query_unref(query);
}

void
PushWithSeqnum(GstZarnowelleDec* self, GstEvent* event)
{
    if (self->state->seqnum != GST_SEQNUM_INVALID)
        gst_event_set_seqnum(event, self->state->seqnum);
    gst_pad_push_event(self->srcpad, event);
}

// Upstream's bytes gather until its end of stream; the pad refuses more than a module
// may hold.
GstFlowReturn
SinkChain(GstPad*, GstObject* parent, GstBuffer* buffer)
{
    GstZarnowelleDec* self = GST_ZARNOWELLE_DEC(parent);
    DecoderState&     state = *self->state;
    GstMapInfo        map;
    if (state.gathered || !gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        gst_buffer_unref(buffer);
        return state.gathered ? GST_FLOW_EOS : GST_FLOW_ERROR;
    }
    bool kept = state.input.Append(map.data, map.size);
    gst_buffer_unmap(buffer, &map);
    gst_buffer_unref(buffer);
    if (kept)
        return GST_FLOW_OK;
    QueryUri(self);
    GST_ELEMENT_ERROR(self, STREAM, FAILED,
        ("%s: larger than %zu MiB, too large for a module", state.input.Name().c_str(),
            zwgst::ModuleInput::kMaxBytes >> 20),
        (nullptr));
    return GST_FLOW_ERROR;
}

gboolean
SinkEvent(GstPad* pad, GstObject* parent, GstEvent* event)
{
    GstZarnowelleDec* self = GST_ZARNOWELLE_DEC(parent);
    switch (GST_EVENT_TYPE(event)) {
        case GST_EVENT_EOS:
            // The module is whole: from here on the source pad's task plays it.
            QueryUri(self);
            self->state->gathered = true;
            StartTask(self);
            gst_event_unref(event);
            return TRUE;
        case GST_EVENT_FLUSH_STOP:
            if (!self->state->gathered)
                self->state->input.Reset();
            gst_event_unref(event);
            return TRUE;
        // Bytes in, audio out: upstream's caps, segments and flushes stay here, and its
        // tags would come before the caps; the module's own follow them.
        case GST_EVENT_CAPS:
        case GST_EVENT_SEGMENT:
        case GST_EVENT_FLUSH_START:
        case GST_EVENT_TAG: gst_event_unref(event); return TRUE;
        default: return gst_pad_event_default(pad, parent, event);
    }
}

// Posts the failure with the file's name and ends the stream.
void
Fail(GstZarnowelleDec* self, const std::string& error)
{
    GST_ELEMENT_ERROR(self, STREAM, DECODE,
        ("%s: %s", self->state->input.Name().c_str(), error.c_str()), (nullptr));
    PushWithSeqnum(self, gst_event_new_eos());
    gst_pad_pause_task(self->srcpad);
}

// The plug-in's own lines (settings-file warnings, refused settings) as bus warnings.
void
PostMessages(GstZarnowelleDec* self)
{
    for (const std::string& line : self->state->decoder.Messages()) {
        GST_ELEMENT_WARNING(self, STREAM, DECODE,
            ("%s: %s", self->state->input.Name().c_str(), line.c_str()), (nullptr));
    }
}

void
SetDuration(GstZarnowelleDec* self, int64_t frames)
{
    GST_OBJECT_LOCK(self);
    self->state->duration = frames;
    GST_OBJECT_UNLOCK(self);
    gst_element_post_message(GST_ELEMENT(self), gst_message_new_duration_changed(GST_OBJECT(self)));
}

bool
Open(GstZarnowelleDec* self)
{
    DecoderState& state = *self->state;
    GST_OBJECT_LOCK(self);
    const int64_t   maxFrames = int64_t(state.maxTime * PLUGIN_SAMPLE_RATE);
    const int       loops = state.numLoops;
    zwgst::Settings settings;
    for (const std::string& key : state.soundSet)
        settings.emplace_back(key, SettingText(state.sound, key));
    state.soundChanges.clear();
    state.loopsChanged = false;
    GST_OBJECT_UNLOCK(self);
    std::string error;
    std::string path = state.input.PlayPath(error);
    const bool  opened =
        !path.empty() && state.decoder.Open(path, maxFrames, loops, settings, error);
    PostMessages(self);
    if (!opened) {
        Fail(self, error);
        return false;
    }
    GST_INFO_OBJECT(
        self, "playing %s, %s", state.input.Name().c_str(), state.decoder.Facts().typeName.c_str());
    SetDuration(self, state.decoder.Frames());
    GstCaps* caps = gst_static_pad_template_get_caps(&sSrcTemplate);
    gst_pad_push_event(self->srcpad, gst_event_new_caps(caps));
    gst_caps_unref(caps);
    return true;
}

// What the properties changed since the last block. The rules wait for the next start,
// since they change the song's timeline.
void
ApplyChanges(GstZarnowelleDec* self)
{
    DecoderState& state = *self->state;
    GST_OBJECT_LOCK(self);
    zwgst::Settings changes;
    changes.swap(state.soundChanges);
    const bool loopsChanged = state.loopsChanged;
    const int  loops = state.numLoops;
    state.loopsChanged = false;
    GST_OBJECT_UNLOCK(self);
    for (const auto& [key, value] : changes) {
        std::string why;
        if (key != "rules" && !state.decoder.Set(key, value, why)) {
            GST_ELEMENT_WARNING(self, STREAM, DECODE,
                ("%s: %s = %s: %s", state.input.Name().c_str(), key.c_str(), value.c_str(),
                    why.c_str()),
                (nullptr));
        }
    }
    if (loopsChanged) {
        state.decoder.SetLoops(loops);
        SetDuration(self, state.decoder.Frames());
    }
}

// The end of the song, of the time limit or of the seek's stop.
void
EndSegment(GstZarnowelleDec* self)
{
    DecoderState& state = *self->state;
    if (state.segment.flags & GST_SEGMENT_FLAG_SEGMENT) {
        GstClockTime end = TimeOf(state.position);
        if (GST_CLOCK_TIME_IS_VALID(state.segment.stop))
            end = std::min<GstClockTime>(end, state.segment.stop);
        GstMessage* message =
            gst_message_new_segment_done(GST_OBJECT(self), GST_FORMAT_TIME, gint64(end));
        gst_message_set_seqnum(message, state.seqnum);
        gst_element_post_message(GST_ELEMENT(self), message);
        PushWithSeqnum(self, gst_event_new_segment_done(GST_FORMAT_TIME, gint64(end)));
    } else {
        PushWithSeqnum(self, gst_event_new_eos());
    }
    gst_pad_pause_task(self->srcpad);
}

void
HandleFlow(GstZarnowelleDec* self, GstFlowReturn result)
{
    if (result == GST_FLOW_OK)
        return;
    GST_DEBUG_OBJECT(self, "pausing: %s", gst_flow_get_name(result));
    gst_pad_pause_task(self->srcpad);
    if (result == GST_FLOW_EOS) {
        PushWithSeqnum(self, gst_event_new_eos());
    } else if (result == GST_FLOW_NOT_LINKED || result < GST_FLOW_EOS) {
        GST_ELEMENT_FLOW_ERROR(self, result);
        PushWithSeqnum(self, gst_event_new_eos());
    }
}

// Starts the segment: the frame of its start, exactly as playing from the start reaches
// it, then the segment event and, the first time, the module's tags.
bool
BeginSegment(GstZarnowelleDec* self)
{
    DecoderState& state = *self->state;
    if (state.seekPending) {
        state.seekPending = false;
        const int64_t frame = FrameAt(GstClockTime(state.segment.start));
        const bool    reached = state.decoder.SeekToFrame(frame);
        PostMessages(self);   // a seek back starts the song again
        if (!reached)
            return false;
        GST_OBJECT_LOCK(self);
        state.position = frame;
        GST_OBJECT_UNLOCK(self);
    }
    if (state.segmentPending) {
        state.segmentPending = false;
        PushWithSeqnum(self, gst_event_new_segment(&state.segment));
    }
    if (state.tagsPending) {
        state.tagsPending = false;
        const ModuleFacts& facts = state.decoder.Facts();
        gst_pad_push_event(
            self->srcpad, gst_event_new_tag(zwgst::ModuleTags(facts, ReadMtmComment(facts.file))));
    }
    return true;
}

GstBuffer*
NewBuffer(const int16* frames, int64_t first, int count)
{
    GstBuffer* buffer = gst_buffer_new_memdup(frames, gsize(count) * PLUGIN_FRAME_BYTES);
#if G_BYTE_ORDER == G_BIG_ENDIAN
    GstMapInfo map;
    gst_buffer_map(buffer, &map, GST_MAP_READWRITE);
    int16* samples = reinterpret_cast<int16*>(map.data);
    for (int i = 0; i < 2 * count; i++)
        samples[i] = GINT16_TO_LE(samples[i]);
    gst_buffer_unmap(buffer, &map);
#endif
    GST_BUFFER_PTS(buffer) = TimeOf(first);
    GST_BUFFER_DURATION(buffer) = TimeOf(first + count) - TimeOf(first);
    GST_BUFFER_OFFSET(buffer) = guint64(first);
    GST_BUFFER_OFFSET_END(buffer) = guint64(first + count);
    return buffer;
}

void
Loop(gpointer element)
{
    GstZarnowelleDec* self = GST_ZARNOWELLE_DEC(element);
    DecoderState&     state = *self->state;
    if (!state.decoder.IsOpen() && !Open(self))
        return;
    ApplyChanges(self);
    if (!BeginSegment(self)) {
        EndSegment(self);
        return;
    }
    const int64_t         first = state.decoder.Frame();
    PluginPlayback::Block block = state.decoder.Next();
    int64_t               count = block.count;
    if (GST_CLOCK_TIME_IS_VALID(state.segment.stop))
        count = std::min(count, FrameAt(GstClockTime(state.segment.stop)) - first);
    if (count <= 0) {
        EndSegment(self);
        return;
    }
    GstBuffer* buffer = NewBuffer(block.frames, first, int(count));
    if (state.discont) {
        GST_BUFFER_FLAG_SET(buffer, GST_BUFFER_FLAG_DISCONT);
        state.discont = false;
    }
    GST_OBJECT_LOCK(self);
    state.position = first + count;
    GST_OBJECT_UNLOCK(self);
    HandleFlow(self, gst_pad_push(self->srcpad, buffer));
}

// A seek in time or in frames, at rate 1 only.
bool
ParseSeek(GstEvent* event, GstSeekFlags& flags, GstSeekType& startType, gint64& start,
    GstSeekType& stopType, gint64& stop)
{
    gdouble   rate;
    GstFormat format;
    gst_event_parse_seek(event, &rate, &format, &flags, &startType, &start, &stopType, &stop);
    if (rate != 1.0 || (format != GST_FORMAT_TIME && format != GST_FORMAT_DEFAULT))
        return false;
    if (format == GST_FORMAT_DEFAULT) {
        if (startType != GST_SEEK_TYPE_NONE && start >= 0)
            start = gint64(TimeOf(start));
        if (stopType != GST_SEEK_TYPE_NONE && stop >= 0)
            stop = gint64(TimeOf(stop));
    }
    return true;
}

gboolean
HandleSeek(GstZarnowelleDec* self, GstEvent* event)
{
    DecoderState& state = *self->state;
    GstSeekFlags  flags;
    GstSeekType   startType, stopType;
    gint64        start, stop;
    if (!ParseSeek(event, flags, startType, start, stopType, stop)) {
        GST_DEBUG_OBJECT(self, "refusing a seek at another rate or in another format");
        return FALSE;
    }
    const guint32 seqnum = gst_event_get_seqnum(event);
    const bool    flush = (flags & GST_SEEK_FLAG_FLUSH) != 0;
    if (flush) {
        GstEvent* flushStart = gst_event_new_flush_start();
        gst_event_set_seqnum(flushStart, seqnum);
        gst_pad_push_event(self->srcpad, flushStart);
    } else {
        gst_pad_pause_task(self->srcpad);
    }
    GST_PAD_STREAM_LOCK(self->srcpad);
    GstSegment segment = state.segment;
    GST_OBJECT_LOCK(self);
    if (state.duration >= 0)
        segment.duration = TimeOf(state.duration);
    GST_OBJECT_UNLOCK(self);
    gboolean   update;
    const bool done = gst_segment_do_seek(
        &segment, 1.0, GST_FORMAT_TIME, flags, startType, start, stopType, stop, &update);
    if (flush) {
        GstEvent* flushStop = gst_event_new_flush_stop(TRUE);
        gst_event_set_seqnum(flushStop, seqnum);
        gst_pad_push_event(self->srcpad, flushStop);
    }
    if (done) {
        state.segment = segment;
        state.seqnum = seqnum;
        state.seekPending = state.segmentPending = state.discont = true;
        if (segment.flags & GST_SEGMENT_FLAG_SEGMENT) {
            GstMessage* message = gst_message_new_segment_start(
                GST_OBJECT(self), GST_FORMAT_TIME, gint64(segment.start));
            gst_message_set_seqnum(message, seqnum);
            gst_element_post_message(GST_ELEMENT(self), message);
        }
    }
    if (state.gathered && (done || flush))
        StartTask(self);
    GST_PAD_STREAM_UNLOCK(self->srcpad);
    return done;
}

gboolean
SrcEvent(GstPad* pad, GstObject* parent, GstEvent* event)
{
    if (GST_EVENT_TYPE(event) != GST_EVENT_SEEK)
        return gst_pad_event_default(pad, parent, event);
    gboolean done = HandleSeek(GST_ZARNOWELLE_DEC(parent), event);
    gst_event_unref(event);
    return done;
}

// A count of frames in the format asked for, time or frames.
bool
InFormat(GstFormat format, int64_t frames, gint64& value)
{
    if (format == GST_FORMAT_TIME)
        value = gint64(TimeOf(frames));
    else if (format == GST_FORMAT_DEFAULT)
        value = frames;
    else
        return false;
    return true;
}

gboolean
SrcQuery(GstPad* pad, GstObject* parent, GstQuery* query)
{
    GstZarnowelleDec* self = GST_ZARNOWELLE_DEC(parent);
    GstFormat         format;
    gint64            value;
    GST_OBJECT_LOCK(self);
    const int64_t duration = self->state->duration;
    const int64_t position = self->state->position;
    GST_OBJECT_UNLOCK(self);
    switch (GST_QUERY_TYPE(query)) {
        case GST_QUERY_DURATION:
            gst_query_parse_duration(query, &format, nullptr);
            if (duration < 0 || !InFormat(format, duration, value))
                return FALSE;
            gst_query_set_duration(query, format, value);
            return TRUE;
        case GST_QUERY_POSITION:
            gst_query_parse_position(query, &format, nullptr);
            if (!InFormat(format, position, value))
                return FALSE;
            gst_query_set_position(query, format, value);
            return TRUE;
        case GST_QUERY_SEEKING:
            gst_query_parse_seeking(query, &format, nullptr, nullptr, nullptr);
            if (!InFormat(format, std::max<int64_t>(duration, 0), value))
                return FALSE;
            gst_query_set_seeking(query, format, TRUE, 0, duration < 0 ? -1 : value);
            return TRUE;
        default: return gst_pad_query_default(pad, parent, query);
    }
}

// The task stops when the pad does; it is started by upstream's end of stream.
gboolean
SrcActivateMode(GstPad* pad, GstObject*, GstPadMode mode, gboolean active)
{
    if (mode != GST_PAD_MODE_PUSH)
        return FALSE;
    return active ? TRUE : gst_pad_stop_task(pad);
}

void
ResetState(GstZarnowelleDec* self)
{
    DecoderState& state = *self->state;
    state.decoder.Close();
    state.input.Reset();
    state.gathered = false;
    gst_segment_init(&state.segment, GST_FORMAT_TIME);
    state.seqnum = GST_SEQNUM_INVALID;
    state.seekPending = state.segmentPending = state.tagsPending = state.discont = true;
    GST_OBJECT_LOCK(self);
    state.duration = -1;
    state.position = 0;
    GST_OBJECT_UNLOCK(self);
}

GstStateChangeReturn
ChangeState(GstElement* element, GstStateChange transition)
{
    GstZarnowelleDec* self = GST_ZARNOWELLE_DEC(element);
    if (transition == GST_STATE_CHANGE_READY_TO_PAUSED)
        ResetState(self);
    GstStateChangeReturn result =
        GST_ELEMENT_CLASS(gst_zarnowelle_dec_parent_class)->change_state(element, transition);
    // The pads are inactive and the task has ended: nothing else touches the state.
    if (transition == GST_STATE_CHANGE_PAUSED_TO_READY)
        ResetState(self);
    return result;
}

// A sound setting the application made: sent at every start, and to the playing object
// from its next block.
void
SetSound(GstZarnowelleDec* self, const char* key, const std::function<void(Sound&)>& change)
{
    DecoderState& state = *self->state;
    GST_OBJECT_LOCK(self);
    change(state.sound);
    state.soundSet.insert(key);
    state.soundChanges.emplace_back(key, SettingText(state.sound, key));
    GST_OBJECT_UNLOCK(self);
}

void
SetProperty(GObject* object, guint id, const GValue* value, GParamSpec* property)
{
    GstZarnowelleDec* self = GST_ZARNOWELLE_DEC(object);
    DecoderState&     state = *self->state;
    switch (id) {
        case PROP_MAX_TIME:
            GST_OBJECT_LOCK(self);
            state.maxTime = g_value_get_double(value);
            GST_OBJECT_UNLOCK(self);
            break;
        case PROP_NUM_LOOPS:
            GST_OBJECT_LOCK(self);
            state.numLoops = g_value_get_int(value);
            state.loopsChanged = true;
            GST_OBJECT_UNLOCK(self);
            break;
        case PROP_INTERPOLATION:
            SetSound(self, "interpolation",
                [&](Sound& s) { s.interpolation = g_value_get_enum(value); });
            break;
        case PROP_AMIGA:
            SetSound(self, "amiga", [&](Sound& s) { s.amiga = g_value_get_enum(value); });
            break;
        case PROP_RAMPING:
            SetSound(self, "ramping", [&](Sound& s) { s.ramping = g_value_get_boolean(value); });
            break;
        case PROP_GAIN:
            SetSound(self, "gain", [&](Sound& s) { s.gain = g_value_get_double(value); });
            break;
        case PROP_STEREO:
            SetSound(self, "stereo", [&](Sound& s) { s.stereo = g_value_get_int(value); });
            break;
        case PROP_RULES: {
            const gchar* rules = g_value_get_string(value);
            SetSound(self, "rules", [&](Sound& s) { s.rules = rules != nullptr ? rules : "auto"; });
            break;
        }
        default: G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, property);
    }
}

void
GetProperty(GObject* object, guint id, GValue* value, GParamSpec* property)
{
    GstZarnowelleDec* self = GST_ZARNOWELLE_DEC(object);
    GST_OBJECT_LOCK(self);
    const DecoderState& state = *self->state;
    switch (id) {
        case PROP_MAX_TIME: g_value_set_double(value, state.maxTime); break;
        case PROP_NUM_LOOPS: g_value_set_int(value, state.numLoops); break;
        case PROP_INTERPOLATION: g_value_set_enum(value, state.sound.interpolation); break;
        case PROP_AMIGA: g_value_set_enum(value, state.sound.amiga); break;
        case PROP_RAMPING: g_value_set_boolean(value, state.sound.ramping); break;
        case PROP_GAIN: g_value_set_double(value, state.sound.gain); break;
        case PROP_STEREO: g_value_set_int(value, state.sound.stereo); break;
        case PROP_RULES: g_value_set_string(value, state.sound.rules.c_str()); break;
        default: G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, property);
    }
    GST_OBJECT_UNLOCK(self);
}

void
Finalize(GObject* object)
{
    delete GST_ZARNOWELLE_DEC(object)->state;
    G_OBJECT_CLASS(gst_zarnowelle_dec_parent_class)->finalize(object);
}

}   // namespace

static void
gst_zarnowelle_dec_class_init(GstZarnowelleDecClass* klass)
{
    GST_DEBUG_CATEGORY_INIT(zarnowelle_debug, "zarnowelledec", 0, "Zarnowelle module decoder");
    GObjectClass* objectClass = G_OBJECT_CLASS(klass);
    objectClass->set_property = SetProperty;
    objectClass->get_property = GetProperty;
    objectClass->finalize = Finalize;
    const GParamFlags flags = GParamFlags(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS);
    const GParamFlags playing = GParamFlags(flags | GST_PARAM_MUTABLE_PLAYING);
    g_object_class_install_property(objectClass, PROP_MAX_TIME,
        g_param_spec_double("max-time", "Longest pass",
            "Seconds after which a pass of a song that does not end by itself stops, as with "
            "the host's --max-time",
            0.01, 86400, kDefaultMaxTime, flags));
    g_object_class_install_property(objectClass, PROP_NUM_LOOPS,
        g_param_spec_int("num-loops", "Repeats",
            "How many times the song plays again after its end (-1: for ever), as the host's "
            "--repeat; while playing, counted from the next end",
            -1, G_MAXINT, 0, playing));
    g_object_class_install_property(objectClass, PROP_INTERPOLATION,
        g_param_spec_enum("interpolation", "Interpolation",
            "How samples are read between their points, from the next block", InterpolationType(),
            0, playing));
    g_object_class_install_property(objectClass, PROP_AMIGA,
        g_param_spec_enum("amiga", "Amiga model",
            "The output filters of an Amiga model, from the next block", AmigaType(), 0, playing));
    g_object_class_install_property(objectClass, PROP_RAMPING,
        g_param_spec_boolean("ramping", "Volume ramping",
            "Volume and panning changes, note starts and cuts ramp over a few milliseconds "
            "instead of stepping, from the next block",
            FALSE, playing));
    g_object_class_install_property(objectClass, PROP_GAIN,
        g_param_spec_double("gain", "Gain",
            "dB applied to the mix before the 16-bit conversion, from the next block", -60, 30, 0,
            playing));
    g_object_class_install_property(objectClass, PROP_STEREO,
        g_param_spec_int("stereo", "Stereo width",
            "Percent: 0 is mono, 100 the original hard panning; from the next block", 0, 100, 100,
            playing));
    g_object_class_install_property(objectClass, PROP_RULES,
        g_param_spec_string("rules", "Replay rules",
            "auto (the detected type's) or a MOD-family type name as the host's info prints "
            "it; from the next start of a song",
            "auto", flags));

    GstElementClass* elementClass = GST_ELEMENT_CLASS(klass);
    elementClass->change_state = ChangeState;
    gst_element_class_add_static_pad_template(elementClass, &sSinkTemplate);
    gst_element_class_add_static_pad_template(elementClass, &sSrcTemplate);
    gst_element_class_set_static_metadata(elementClass, "Zarnowelle module decoder",
        "Codec/Decoder/Audio",
        "Plays tracker modules (the Amiga module family and MultiTracker) through the "
        "Zarnowelle plug-in",
        "Zarnowelle developers <zarnowelle@example.org>");
}

static void
gst_zarnowelle_dec_init(GstZarnowelleDec* self)
{
    self->state = new DecoderState;
    gst_segment_init(&self->state->segment, GST_FORMAT_TIME);

    self->sinkpad = gst_pad_new_from_static_template(&sSinkTemplate, "sink");
    gst_pad_set_chain_function(self->sinkpad, SinkChain);
    gst_pad_set_event_function(self->sinkpad, SinkEvent);
    gst_element_add_pad(GST_ELEMENT(self), self->sinkpad);

    self->srcpad = gst_pad_new_from_static_template(&sSrcTemplate, "src");
    gst_pad_set_event_function(self->srcpad, SrcEvent);
    gst_pad_set_query_function(self->srcpad, SrcQuery);
    gst_pad_set_activatemode_function(self->srcpad, SrcActivateMode);
    gst_pad_use_fixed_caps(self->srcpad);
    gst_element_add_pad(GST_ELEMENT(self), self->srcpad);
}
