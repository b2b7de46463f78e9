#include "beos/TextView.h"

static const rgb_color kBlack = { 0, 0, 0, 255 };


BTextView::BTextView() : stylable(false), selectionStart(0), selectionEnd(0)
{
    runs.push_back(text_run { 0, BFont(be_plain_font), kBlack });
}


BTextView::~BTextView() = default;


void
BTextView::SetText(const char* newText)
{
    text = newText != nullptr ? newText : "";
    // New text takes the style of the first run, as the kit does for a plain view.
    text_run first = runs.front();
    first.offset = 0;
    runs.assign(1, first);
    selectionStart = selectionEnd = 0;
}


int32
BTextView::Clamp(int32 offset) const
{
    if (offset < 0)
        return 0;
    return offset > TextLength() ? TextLength() : offset;
}


void
BTextView::Select(int32 start, int32 end)
{
    start = Clamp(start);
    end = Clamp(end);
    selectionStart = start < end ? start : end;
    selectionEnd = start < end ? end : start;
}


void
BTextView::GetSelection(int32* start, int32* end) const
{
    if (start != nullptr)
        *start = selectionStart;
    if (end != nullptr)
        *end = selectionEnd;
}


int32
BTextView::SplitAt(int32 offset)
{
    size_t i = 0;
    while (i + 1 < runs.size() && runs[i + 1].offset <= offset)
        i++;
    if (runs[i].offset == offset)
        return (int32)i;
    text_run tail = runs[i];
    tail.offset = offset;
    runs.insert(runs.begin() + i + 1, tail);
    return (int32)i + 1;
}


void
BTextView::MergeRuns()
{
    std::vector<text_run> merged;
    for (const text_run& run : runs) {
        if (run.offset >= TextLength() && !merged.empty())
            break;
        if (!merged.empty() && merged.back().font == run.font && merged.back().color == run.color)
            continue;
        merged.push_back(run);
    }
    runs.swap(merged);
}


void
BTextView::SetFontAndColor(const BFont* font, uint32 mode, const rgb_color* color)
{
    int32 start = stylable ? selectionStart : 0;
    int32 end = stylable ? selectionEnd : TextLength();
    if (start == end && TextLength() > 0)
        return;
    int32 first = SplitAt(start);
    int32 last = end < TextLength() ? SplitAt(end) : (int32)runs.size();
    for (int32 i = first; i < last; i++) {
        if (font != nullptr)
            runs[i].font.SetTo(*font, mode);
        if (color != nullptr)
            runs[i].color = *color;
    }
    MergeRuns();
}


void
BTextView::GetFontAndColor(int32 offset, BFont* font, rgb_color* color) const
{
    size_t i = 0;
    while (i + 1 < runs.size() && runs[i + 1].offset <= offset)
        i++;
    if (font != nullptr)
        *font = runs[i].font;
    if (color != nullptr)
        *color = runs[i].color;
}
