// TrayArea's portable part: the tip field, identifiers and the decoding of the icon's mouse messages.
#include "tray_notify.h"

#include <gtest/gtest.h>

#include <set>

namespace {
using namespace tray;

TEST(TrayTip, AtMostSixtyThreeCharactersThenAZeroPaddedWithBlanks) {
    auto field = [](std::u16string kept) {
        kept += u'\0';
        kept.resize(kTipChars, u' ');
        return kept;
    };
    const std::u16string a63(63, u'a'), b63(63, u'b'), x63(63, u'x'), x500(500, u'x');
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"Hi", u"Hi"}, {u"", u""}, {a63, a63}, {b63 + u"c", b63}, {x500, x63}};
    for (const auto& [tip, kept] : cases) {
        const auto got = TipField(tip);
        EXPECT_EQ(std::u16string(got.begin(), got.end()), field(kept)) << tip.size();
    }
}

TEST(TrayTip, TrimRemovesBlanksAtBothEndsOnly) {
    for (auto [text, trimmed] : {std::pair{u"  two  words  ", u"two  words"}, {u"   ", u""}, {u"", u""},
                                 {u"\tkept\t", u"\tkept\t"}})
        EXPECT_EQ(Trim(text), trimmed);
}

TEST(TrayIdentifier, CoversOneTo65535AndSuccessiveDrawsDiffer) {
    // 0.99999994 is the largest float below 1.
    for (auto [random, identifier] : {std::pair{0.0f, 1}, {0.5f, 32768}, {0.99999994f, 65535}})
        EXPECT_EQ(IdentifierFrom(random), identifier) << random;
    std::set<uint16_t> seen;
    for (int i = 0; i < 1000; ++i) {
        const float r = NextRandom();
        ASSERT_TRUE(r >= 0.0f && r < 1.0f) << r;
        seen.insert(IdentifierFrom(r));
    }
    EXPECT_GT(seen.size(), 950u) << "about 992 expected from 1000 draws of 65535";
}

TEST(TrayMouse, EachMessageOfTheIconBecomesItsEvent) {
    const struct {
        int message;
        Action action;
        short button;
    } cases[] = {
        {512, Action::MouseMove, 0}, {513, Action::MouseDown, 1}, {514, Action::MouseUp, 1},
        {515, Action::DblClick, 0},  {516, Action::MouseDown, 2}, {517, Action::MouseUp, 2},
        {518, Action::DblClick, 0},
        // Middle button down, up, double click and anything else raise nothing.
        {519, Action::None, 0},      {520, Action::None, 0},      {521, Action::None, 0},
        {511, Action::None, 0},      {0, Action::None, 0},        {522, Action::None, 0},
    };
    for (const auto& c : cases) {
        const MouseAction got = DecodeMouse(c.message * 15.0f, 15.0f);
        EXPECT_EQ(std::pair(got.action, got.button), std::pair(c.action, c.button)) << c.message;
    }
}

TEST(TrayMouse, DecodingHoldsAtResolutionsWhosePixelIsNotWholeTwips) {
    // The runtime reports x as pixels times twips per pixel in single precision; dividing recovers them.
    for (int dpi : {96, 100, 110, 120, 125, 144, 150, 192}) {
        const float twipsPerPixel = 1440.0f / dpi;
        for (int message = 512; message <= 518; ++message) {
            const float x = static_cast<float>(message) * twipsPerPixel;
            EXPECT_NE(DecodeMouse(x, twipsPerPixel).action, Action::None) << dpi << " " << message;
        }
        EXPECT_EQ(DecodeMouse(519 * twipsPerPixel, twipsPerPixel).action, Action::None) << dpi;
    }
}

} // namespace
