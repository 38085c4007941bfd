// The browse boxes' arithmetic: layouts, the file dialog's filter and result, the font dialog's values.
#include "browse_layout.h"
#include "dialog_values.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {

using namespace std::string_literals;

bool operator==(const TwipRect& a, const TwipRect& b) {
    return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
}

TEST(FilterConversion, BarsBecomeNulsWithOneAtTheEnd) {
    // Blanks beside a bar stay part of the description and the pattern; a trailing bar gets no second NUL.
    for (auto [list, converted] : {std::pair{L"All Files (*.*) | *.*", L"All Files (*.*) \0 *.*\0"s},
                                   {L"Text|*.txt|", L"Text\0*.txt\0"s}, {L"", L"\0"s}, {L"|", L"\0"s},
                                   {L"no bar at all", L"no bar at all\0"s}, {L"a||b", L"a\0\0b\0"s}})
        EXPECT_EQ(ConvertFilter(list), converted) << list;

    std::wstring huge;
    for (int i = 0; i < 2000; ++i)
        huge += L"Type " + std::to_wstring(i) + L"|*." + std::to_wstring(i) + L"|";
    const std::wstring converted = ConvertFilter(huge);
    ASSERT_EQ(converted.size(), huge.size());
    EXPECT_EQ(converted.find(L'|'), std::wstring::npos);
    EXPECT_EQ(converted.substr(0, 10), L"Type 0\0*.0"s);
}

TEST(FileDialogResult, TextBeforeTheFirstNulWithoutOuterBlanks) {
    EXPECT_EQ(FileDialogResult(L"  C:\\my files\\a b.txt   \0C:\\junk"s), L"C:\\my files\\a b.txt");
    EXPECT_EQ(FileDialogResult(std::wstring(254, L' ') + L'\0'), L"");
    EXPECT_EQ(FileDialogResult(L"C:\\no terminator"), L"C:\\no terminator");
    EXPECT_EQ(FileDialogResult(L"\tC:\\tab\t\0"s), L"\tC:\\tab\t") << "only blanks are removed";
    EXPECT_EQ(TextBeforeNul(L" C:\\kept \0rest"s), L" C:\\kept ");
}

TEST(BrowseFrameLayout, ButtonAtTheRightTextOnePixelIn) {
    // The default extent, 2535 by 465 twips, less a two-pixel border on each side, at 96 dpi. The text box
    // ends two pixels short of the button: a margin pixel and the separator.
    BrowseFrameLayout normal = LayOutBrowseFrame(2475, 405, 270, 15, 15);
    EXPECT_TRUE(normal.button == (TwipRect{2205, 0, 270, 405}));
    EXPECT_TRUE(normal.text == (TwipRect{15, 15, 2160, 405}));

    // No width left for the text box, then a twip too little: a move to width -1 fails and leaves it.
    for (int past : {0, -1}) {
        BrowseFrameLayout tight = LayOutBrowseFrame(270 + 45 + past, 405, 270, 15, 15);
        EXPECT_EQ(std::pair(tight.text.width, tight.button.left), std::pair(past, 45 + past));
    }

    BrowseFrameLayout tiny = LayOutBrowseFrame(0, 0, 270, 15, 15);
    EXPECT_TRUE(tiny.button == (TwipRect{-270, 0, 270, 0}));

    // 120 dpi: a pixel is 12 twips.
    BrowseFrameLayout large = LayOutBrowseFrame(2487, 417, 270, 12, 12);
    EXPECT_TRUE(large.text == (TwipRect{12, 12, 2181, 417}));
}

TEST(FontBrowserLayout, LabelInsetTwoPixelsButtonAtTheRightFocusRectangleOnePixelShortOfIt) {
    FontBrowserLayout normal = LayOutFontBrowser(2475, 405, 255, 15, 15);
    EXPECT_TRUE(normal.button == (TwipRect{2220, 0, 255, 405}));
    EXPECT_TRUE(normal.label == (TwipRect{30, 30, 2160, 345}));
    FontBrowserLayout small = LayOutFontBrowser(200, 40, 255, 15, 15);
    EXPECT_TRUE(small.label.width < 0 && small.label.height < 0);
    EXPECT_TRUE(small.button == (TwipRect{-55, 0, 255, 40}));
    EXPECT_EQ(FocusRectRight(165, 255, 15), 165 - 18);
    // 144 dpi, ten twips a pixel: 2.5 and 3.5 pixels round to the even neighbour.
    EXPECT_EQ(FocusRectRight(100, 15, 10), 100 - 2);
    EXPECT_EQ(FocusRectRight(100, 25, 10), 100 - 4);
    EXPECT_EQ(FocusRectRight(100, 26, 10), 100 - 4);
}

TEST(FontDialogValues, HeightFromPointsRoundsTiesToEven) {
    // 8.25, 12 and 10.5 points; 0.5, 1.5, 2.5 and 12.5 pixels.
    for (auto [size, dpi, height] : {std::tuple{82500, 96, -11}, {120000, 96, -16}, {105000, 96, -14},
                                     {3750, 96, 0}, {11250, 96, -2}, {18750, 96, -2}, {75000, 120, -12}})
        EXPECT_EQ(LogFontHeight(size, dpi), height) << size << " at " << dpi;
    // Absurd sizes give absurd heights, not an overflow.
    EXPECT_LT(LogFontHeight(INT64_MAX, 96), -100000000);
    EXPECT_GT(LogFontHeight(INT64_MIN, 96), 100000000);
}

TEST(FontDialogValues, PointSizeInTenthsAndBack) {
    // 82.5 and 83.5 tenths to even.
    for (auto [size, tenths] : {std::pair{120000, 120}, {82500, 82}, {83500, 84}, {105000, 105}})
        EXPECT_EQ(PointSizeTenths(size), tenths) << size;
    EXPECT_EQ(PointSizeTenths(INT64_MAX), INT32_MAX);
    EXPECT_EQ(SizeFromTenths(105), 105000) << "10.5 points stays 10.5";
}

TEST(FontDialogValues, FaceNameAlwaysLeavesRoomForItsZero) {
    EXPECT_EQ(FaceNameField(u"Tahoma"), u"Tahoma");
    EXPECT_EQ(FaceNameField(u""), u"");
    EXPECT_EQ(FaceNameField(std::u16string(31, u'x')), std::u16string(31, u'x'));
    EXPECT_EQ(FaceNameField(std::u16string(200, u'y')), std::u16string(31, u'y'));
    // A character outside the basic plane whose second half would fall off goes whole.
    const std::u16string a29(29, u'a'), a30(30, u'a');
    EXPECT_EQ(FaceNameField(a30 + u"\U0001F600b"), a30);
    EXPECT_EQ(FaceNameField(a29 + u"\U0001F600b"), a29 + u"\U0001F600");
    EXPECT_EQ(FaceNameField(u"\u0645\u0631\u062D\u0628\u0627"), u"\u0645\u0631\u062D\u0628\u0627");
}

} // namespace
