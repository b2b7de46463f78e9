#include "gst/ModuleTags.h"

namespace zwgst {

std::string
SampleNameText(const ModuleFacts& facts)
{
    std::string text;
    size_t      kept = 0;   // length up to the last line that is not empty
    for (const SampleFacts& sample : facts.sampleList) {
        std::string name = sample.name;
        name.erase(name.find_last_not_of(' ') + 1);
        text += name + "\n";
        if (!name.empty())
            kept = text.size() - 1;
    }
    text.resize(kept);
    return text;
}

GstTagList*
ModuleTags(const ModuleFacts& facts, const std::string& comment)
{
    GstTagList* tags = gst_tag_list_new_empty();
    gst_tag_list_set_scope(tags, GST_TAG_SCOPE_GLOBAL);
    std::string title = facts.name;
    title.erase(title.find_last_not_of(' ') + 1);
    if (!title.empty())
        gst_tag_list_add(tags, GST_TAG_MERGE_REPLACE, GST_TAG_TITLE, title.c_str(), nullptr);
    if (!facts.typeName.empty()) {
        gst_tag_list_add(
            tags, GST_TAG_MERGE_REPLACE, GST_TAG_CONTAINER_FORMAT, facts.typeName.c_str(), nullptr);
    }
    std::string names = SampleNameText(facts);
    if (!names.empty()) {
        gst_tag_list_add(tags, GST_TAG_MERGE_REPLACE, GST_TAG_EXTENDED_COMMENT,
            ("samples=" + names).c_str(), nullptr);
    }
    const std::string& shown = comment.empty() ? names : comment;
    if (!shown.empty())
        gst_tag_list_add(tags, GST_TAG_MERGE_REPLACE, GST_TAG_COMMENT, shown.c_str(), nullptr);
    return tags;
}

}   // namespace zwgst
