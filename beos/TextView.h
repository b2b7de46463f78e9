// BTextView: text with style runs. Nothing is drawn here; the runs are kept so that
// what an alert would show can be checked.
#ifndef BEOS_TEXT_VIEW_H
#define BEOS_TEXT_VIEW_H

#include <string>
#include <vector>

#include "beos/Font.h"
#include "beos/GraphicsDefs.h"

// One style run: from offset up to the next run's offset (or the end of the text).
struct text_run
{
    int32     offset;
    BFont     font;
    rgb_color color;
};

class BTextView
{
public:
    BTextView();
    ~BTextView();
    BTextView(const BTextView&) = delete;
    BTextView& operator=(const BTextView&) = delete;

    void        SetText(const char* text);
    const char* Text() const { return text.c_str(); }
    int32       TextLength() const { return (int32)text.size(); }

    void SetStylable(bool stylable) { this->stylable = stylable; }
    bool IsStylable() const { return stylable; }

    // Byte offsets, end exclusive; both are clamped to the text.
    void Select(int32 start, int32 end);
    void GetSelection(int32* start, int32* end) const;

    // On a stylable view, applies the attributes of font that mode names (and color,
    // when given) to the selection; on a plain one, to the whole text.
    void SetFontAndColor(
        const BFont* font, uint32 mode = B_FONT_ALL, const rgb_color* color = nullptr);
    void GetFontAndColor(int32 offset, BFont* font, rgb_color* color = nullptr) const;

    int32           CountRuns() const { return (int32)runs.size(); }
    const text_run& RunAt(int32 index) const { return runs.at(index); }

private:
    int32 Clamp(int32 offset) const;
    int32 SplitAt(int32 offset);   // index of the run starting there
    void  MergeRuns();

    std::string           text;
    bool                  stylable;
    int32                 selectionStart;
    int32                 selectionEnd;
    std::vector<text_run> runs;   // sorted by offset; the first starts at 0
};

#endif
