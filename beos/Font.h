// BFont: a font description (family, style, size, shear and face). There is no font
// server here; the three system fonts are fixed descriptions.
#ifndef BEOS_FONT_H
#define BEOS_FONT_H

#include <string>

#include "beos/SupportDefs.h"

// Which attributes SetFontAndColor and BFont::SetTo take from a font.
enum : uint32 {
    B_FONT_FAMILY_AND_STYLE = 0x00000001,
    B_FONT_SIZE = 0x00000002,
    B_FONT_SHEAR = 0x00000004,
    B_FONT_ROTATION = 0x00000008,
    B_FONT_SPACING = 0x00000010,
    B_FONT_ENCODING = 0x00000020,
    B_FONT_FACE = 0x00000040,
    B_FONT_FLAGS = 0x00000080,
    B_FONT_ALL = 0x000000FF,
};

enum : uint16 {
    B_ITALIC_FACE = 0x0001,
    B_BOLD_FACE = 0x0020,
    B_REGULAR_FACE = 0x0040,
};

class BFont
{
public:
    BFont();
    BFont(const BFont* font);
    BFont(const char* family, const char* style, float size, uint16 face);

    // Takes the attributes of font that mask names; the others stay.
    void SetTo(const BFont& font, uint32 mask = B_FONT_ALL);
    void SetFamilyAndStyle(const char* family, const char* style);
    void SetSize(float size) { fontSize = size > 0 ? size : 0; }
    void SetShear(float shear) { fontShear = shear; }
    void SetFace(uint16 face) { fontFace = face; }

    const char* Family() const { return family.c_str(); }
    const char* Style() const { return style.c_str(); }
    float       Size() const { return fontSize; }
    float       Shear() const { return fontShear; }
    uint16      Face() const { return fontFace; }

    bool operator==(const BFont& other) const;
    bool operator!=(const BFont& other) const { return !(*this == other); }

private:
    std::string family;
    std::string style;
    float       fontSize;
    float       fontShear;   // degrees, 90 = upright
    uint16      fontFace;
};

extern const BFont* be_plain_font;
extern const BFont* be_bold_font;
extern const BFont* be_fixed_font;

#endif
