// The alert stand-in and its text view: what is printed, what the style runs become.
#include <gtest/gtest.h>

#include <string>

#include "beos/Alert.h"
#include "beos/TextView.h"

namespace {

const rgb_color kRed = { 255, 0, 0, 255 };

// A view holding text, stylable or not.
class BTextViewTest : public ::testing::Test
{
protected:
    void Hold(const char* text, bool stylable)
    {
        view.SetText(text);
        view.SetStylable(stylable);
    }

    BTextView view;
};

TEST(BFont, SetTo_TakesOnlyTheMaskedAttributes)
{
    BFont font(be_plain_font);
    font.SetSize(30);
    BFont bold(be_bold_font);
    font.SetTo(bold, B_FONT_FAMILY_AND_STYLE | B_FONT_FACE);
    EXPECT_STREQ(font.Style(), be_bold_font->Style());
    EXPECT_EQ(font.Face(), B_BOLD_FACE);
    EXPECT_EQ(font.Size(), 30.0f);
    font.SetTo(bold, B_FONT_ALL);
    EXPECT_EQ(font, bold);
    font.SetSize(-4);
    EXPECT_EQ(font.Size(), 0.0f);
    EXPECT_NE(*be_plain_font, *be_bold_font);
}

TEST_F(BTextViewTest, NewText_IsOneRunInThePlainFont)
{
    view.SetText("hello");
    EXPECT_EQ(view.TextLength(), 5);
    ASSERT_EQ(view.CountRuns(), 1);
    EXPECT_EQ(view.RunAt(0).offset, 0);
    EXPECT_EQ(view.RunAt(0).font, *be_plain_font);
    EXPECT_FALSE(view.IsStylable());
}

TEST_F(BTextViewTest, Select_ClampsAndOrders)
{
    Hold("0123456789", false);
    int32 start, end;
    view.Select(8, 3);
    view.GetSelection(&start, &end);
    EXPECT_EQ(start, 3);
    EXPECT_EQ(end, 8);
    view.Select(-5, 99);
    view.GetSelection(&start, &end);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 10);
}

TEST_F(BTextViewTest, StylableSelection_SplitsRunsAndMergesThemBack)
{
    Hold("0123456789", true);
    view.Select(3, 6);
    view.SetFontAndColor(be_bold_font, B_FONT_ALL, &kRed);
    ASSERT_EQ(view.CountRuns(), 3);
    EXPECT_EQ(view.RunAt(1).offset, 3);
    EXPECT_EQ(view.RunAt(2).offset, 6);
    EXPECT_EQ(view.RunAt(1).color, kRed);
    EXPECT_EQ(view.RunAt(2).font, *be_plain_font);

    BFont     font;
    rgb_color color;
    view.GetFontAndColor(5, &font, &color);
    EXPECT_EQ(font, *be_bold_font);
    EXPECT_EQ(color, kRed);
    view.GetFontAndColor(6, &font, nullptr);
    EXPECT_EQ(font, *be_plain_font);

    // Styling the middle back as the rest leaves a single run again.
    view.GetFontAndColor(0, &font, &color);
    view.SetFontAndColor(&font, B_FONT_ALL, &color);
    EXPECT_EQ(view.CountRuns(), 1);
}

TEST_F(BTextViewTest, ModeSize_ChangesOnlyTheSize)
{
    Hold("abcdef", true);
    view.Select(0, 6);
    view.SetFontAndColor(be_bold_font);
    BFont big(be_plain_font);
    big.SetSize(24);
    view.SetFontAndColor(&big, B_FONT_SIZE);
    BFont font;
    view.GetFontAndColor(2, &font);
    EXPECT_STREQ(font.Style(), be_bold_font->Style());
    EXPECT_EQ(font.Size(), 24.0f);
}

TEST_F(BTextViewTest, PlainViewOrEmptySelection_StylesAllOrNothing)
{
    // A plain view styles the whole text; a stylable one with nothing selected, nothing.
    struct
    {
        bool         stylable;
        int32        from, to;
        const BFont* result;
    } cases[] = {
        { false, 1, 2, be_bold_font },
        { true, 4, 4, be_plain_font },
    };
    for (const auto& c : cases) {
        BTextView fresh;
        fresh.SetText("abcdef");
        fresh.SetStylable(c.stylable);
        fresh.Select(c.from, c.to);
        fresh.SetFontAndColor(be_bold_font);
        ASSERT_EQ(fresh.CountRuns(), 1) << c.stylable;
        EXPECT_EQ(fresh.RunAt(0).font, *c.result) << c.stylable;
    }
}

int         sHookCalls = 0;
std::string sHookText;

TEST(BAlert, Go_PrintsAndReturnsTheFirstButton)
{
    BAlert::ShowHook previous = BAlert::SetShowHook([](const BAlert* alert) {
        sHookCalls++;
        sHookText = alert->TextView()->Text();
    });
    BAlert*          alert =
        new BAlert("Title", "Some text", "One", "Two", nullptr, B_WIDTH_AS_USUAL, B_WARNING_ALERT);
    EXPECT_EQ(alert->CountButtons(), 2);
    EXPECT_STREQ(alert->ButtonLabel(1), "Two");
    EXPECT_EQ(alert->ButtonLabel(2), nullptr);
    testing::internal::CaptureStdout();
    EXPECT_EQ(alert->Go(), 0);   // the alert is gone now
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "[Title]\nSome text\n<One> <Two>\n");
    EXPECT_EQ(sHookCalls, 1);
    EXPECT_EQ(sHookText, "Some text");
    BAlert::SetShowHook(previous);
}

TEST(BAlert, LabelsAfterAMissingOne_AreIgnored)
{
    BAlert alert("", nullptr, "Only", nullptr, "Ignored");
    EXPECT_EQ(alert.CountButtons(), 1);
    EXPECT_EQ(alert.TextView()->TextLength(), 0);
}

}   // namespace
