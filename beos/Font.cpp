#include "beos/Font.h"

static const float kDefaultSize = 12.0f;
static const float kUpright = 90.0f;

static const BFont sPlainFont("Sans", "Regular", kDefaultSize, B_REGULAR_FACE);
static const BFont sBoldFont("Sans", "Bold", kDefaultSize, B_BOLD_FACE);
static const BFont sFixedFont("Mono", "Regular", kDefaultSize, B_REGULAR_FACE);

const BFont* be_plain_font = &sPlainFont;
const BFont* be_bold_font = &sBoldFont;
const BFont* be_fixed_font = &sFixedFont;


BFont::BFont() : BFont("Sans", "Regular", kDefaultSize, B_REGULAR_FACE) {}


BFont::BFont(const BFont* font) : BFont()
{
    if (font != nullptr)
        *this = *font;
}


BFont::BFont(const char* familyName, const char* styleName, float size, uint16 face)
    : family(familyName != nullptr ? familyName : ""), style(styleName != nullptr ? styleName : ""),
      fontSize(size), fontShear(kUpright), fontFace(face)
{
}


void
BFont::SetTo(const BFont& font, uint32 mask)
{
    if ((mask & B_FONT_FAMILY_AND_STYLE) != 0) {
        family = font.family;
        style = font.style;
    }
    if ((mask & B_FONT_SIZE) != 0)
        fontSize = font.fontSize;
    if ((mask & B_FONT_SHEAR) != 0)
        fontShear = font.fontShear;
    if ((mask & B_FONT_FACE) != 0)
        fontFace = font.fontFace;
}


void
BFont::SetFamilyAndStyle(const char* familyName, const char* styleName)
{
    if (familyName != nullptr)
        family = familyName;
    if (styleName != nullptr)
        style = styleName;
}


bool
BFont::operator==(const BFont& other) const
{
    return family == other.family && style == other.style && fontSize == other.fontSize
        && fontShear == other.fontShear && fontFace == other.fontFace;
}
