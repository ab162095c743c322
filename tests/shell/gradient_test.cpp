// The glossy face of owner-drawn buttons, colour by colour.
#include "shell/button_gradient.h"

#include <gtest/gtest.h>

#include <map>

namespace vantor::test {
namespace {

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};

void PrintTo(const Rgb& c, std::ostream* os)
{
    *os << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

// The colour each row of the surface ends up with (later lines paint over earlier ones).
std::map<int, Rgb> finalRows(int width, int height, int disabled, int pressed, int style, int depth)
{
    std::map<int, Rgb> rows;
    for (const GradientLine& line : gradientLines(width, height, disabled, pressed, style, depth))
        rows[line.y] = Rgb{line.red, line.green, line.blue};
    return rows;
}

TEST(ButtonGradient, StyleZeroIsWhiteInTheMiddleAndTwelveDarkerPerRow)
{
    const auto rows = finalRows(100, 25, 0, 0, 0, 32);
    ASSERT_EQ(rows.count(12), 1u);
    EXPECT_EQ(rows.at(12), (Rgb{255, 255, 255}));
    for (int k = 1; k <= 12; ++k) {
        const int v = 255 - 12 * k;
        EXPECT_EQ(rows.at(12 - k), (Rgb{v, v, v})) << "row " << 12 - k;
        EXPECT_EQ(rows.at(12 + k), (Rgb{v, v, v})) << "row " << 12 + k;
    }
    EXPECT_EQ(rows.at(0), (Rgb{111, 111, 111}));
    EXPECT_EQ(rows.at(24), (Rgb{111, 111, 111}));
}

TEST(ButtonGradient, LinesAreDrawnFromTheMiddleOutwardsUpperHalfFirst)
{
    const auto lines = gradientLines(100, 25, 0, 0, 0, 32);
    // Upper half 12..0 (13 lines), lower half 12..25 (14 lines).
    ASSERT_EQ(lines.size(), 27u);
    EXPECT_EQ(lines.front().y, 12);
    EXPECT_EQ(lines[12].y, 0);
    EXPECT_EQ(lines[13].y, 12);
    EXPECT_EQ(lines.back().y, 25);
    EXPECT_EQ(lines[13].red, 255); // the lower half starts again from the base colour
}

TEST(ButtonGradient, StepAndAspectFactorOfTheWideButton)
{
    const Tenths base = gradientBase(0, 0, 0, 32);
    EXPECT_EQ(base, (Tenths{2550, 2550, 2550}));
    // s = (2550 - 1280) / 100 = 12, a = 100 / 25 = 4, d = 4 * 12 * 2.5 = 120.
    EXPECT_EQ(gradientStep(100, 25, 0, base, 32), 120);
    EXPECT_EQ(gradientStep(100, 25, 0, base, 16), 120);
}

TEST(ButtonGradient, TallerThanWideUsesHeightOverWidth)
{
    const Tenths base = gradientBase(0, 0, 0, 32);
    // s = 1270 / 20 = 63, a = 50 / 20 = 2, d = 2 * 63 * 2.5 = 315.
    EXPECT_EQ(gradientStep(20, 50, 0, base, 32), 315);
    const auto rows = finalRows(20, 50, 0, 0, 0, 32);
    EXPECT_EQ(rows.at(25), (Rgb{255, 255, 255}));
    EXPECT_EQ(rows.at(24), (Rgb{223, 223, 223}));
    EXPECT_EQ(rows.at(23), (Rgb{192, 192, 192}));
    // Far out the components stop at 0.
    EXPECT_EQ(rows.at(0), (Rgb{0, 0, 0}));
    EXPECT_EQ(rows.at(49), (Rgb{0, 0, 0}));
}

TEST(ButtonGradient, PressedFaceStartsAt240WithALargerStep)
{
    const Tenths base = gradientBase(0, 1, 0, 32);
    EXPECT_EQ(base, (Tenths{2400, 2400, 2400}));
    // s = 1120 / 100 = 11, times 1.25 = 13.75 -> 14; d = 4 * 14 * 2.5 = 140.
    EXPECT_EQ(gradientStep(100, 25, 1, base, 32), 140);
    const auto rows = finalRows(100, 25, 0, 1, 0, 32);
    EXPECT_EQ(rows.at(12), (Rgb{240, 240, 240}));
    EXPECT_EQ(rows.at(11), (Rgb{226, 226, 226}));
    EXPECT_EQ(rows.at(14), (Rgb{212, 212, 212}));
}

TEST(ButtonGradient, EightBitScreenIsFlatGreyWithoutTint)
{
    for (int style : {0, 1, 2, 3, 5, 7, 14}) {
        const auto rows = finalRows(100, 25, 0, 0, style, 8);
        for (const auto& [y, c] : rows)
            ASSERT_EQ(c, (Rgb{192, 192, 192})) << "style " << style << " row " << y;
    }
    // Styles 6, 16 and 4 keep their base colour, flat.
    for (const auto& [y, c] : finalRows(100, 25, 0, 0, 6, 8))
        ASSERT_EQ(c, (Rgb{255, 255, 0})) << "row " << y;
    for (const auto& [y, c] : finalRows(100, 25, 0, 0, 16, 8))
        ASSERT_EQ(c, (Rgb{255, 255, 100})) << "row " << y;
    for (const auto& [y, c] : finalRows(100, 25, 0, 0, 4, 8))
        ASSERT_EQ(c, (Rgb{255, 255, 204})) << "row " << y;
    // No window (depth 0) counts as under 16 bits.
    EXPECT_EQ(finalRows(100, 25, 0, 0, 0, 0).at(0), (Rgb{192, 192, 192}));
}

TEST(ButtonGradient, DisabledIs223WithAStepButNoTint)
{
    const auto rows = finalRows(100, 25, 1, 0, 1, 32);
    // s = (2230 - 1280) / 100 = 9, d = 4 * 9 * 2.5 = 90: 9 per row, all three alike.
    EXPECT_EQ(rows.at(12), (Rgb{223, 223, 223}));
    EXPECT_EQ(rows.at(11), (Rgb{214, 214, 214}));
    EXPECT_EQ(rows.at(13), (Rgb{214, 214, 214}));
    EXPECT_EQ(rows.at(2), (Rgb{133, 133, 133}));
    EXPECT_EQ(finalRows(100, 25, 1, 0, 6, 32), rows); // the style does not show when disabled
}

TEST(ButtonGradient, DisabledOnEightBitIsFlat180)
{
    for (int style : {0, 4, 6}) {
        for (const auto& [y, c] : finalRows(100, 25, 1, 0, style, 8))
            ASSERT_EQ(c, (Rgb{180, 180, 180})) << "style " << style << " row " << y;
    }
}

TEST(ButtonGradient, StyleTints)
{
    // d = 120, h = 60 for the 100 x 25 button; one row out from the middle.
    auto firstOut = [](int style) { return finalRows(100, 25, 0, 0, style, 32).at(11); };
    EXPECT_EQ(firstOut(1), (Rgb{237, 237, 243}));                     // R - h, G - h
    EXPECT_EQ(firstOut(2), (Rgb{237, 249, 237}));                     // G + h, R - h, B - h
    EXPECT_EQ(firstOut(3), (Rgb{249, 237, 249}));                     // G - h, R + h, B + h
    EXPECT_EQ(firstOut(5), (Rgb{231, 243, 243}));                     // R - 2h
    EXPECT_EQ(firstOut(7), (Rgb{234, 237, 237}));                     // R - 1.35 h (81), G - h, B - h
    EXPECT_EQ(firstOut(14), (Rgb{243, 231, 231}));                    // G - d, B - d
    EXPECT_EQ(finalRows(100, 25, 0, 0, 6, 32).at(11), (Rgb{249, 243, 0}));   // B stays 0, R + h
    EXPECT_EQ(finalRows(100, 25, 0, 0, 16, 32).at(11), (Rgb{249, 243, 88})); // B from 100
    // Style 4: B = 2550 / 1.25 = 2040; then R + h - d, G - 2d, B - 2d.
    EXPECT_EQ(finalRows(100, 25, 0, 0, 4, 32).at(12), (Rgb{249 + 6, 255, 204}));
    EXPECT_EQ(finalRows(100, 25, 0, 0, 4, 32).at(11), (Rgb{249, 231, 180}));
    // Two rows out with style 2 the changes add up: G 2550 - 2 * 60, R and B 2550 - 2 * 180.
    EXPECT_EQ(finalRows(100, 25, 0, 0, 2, 32).at(10), (Rgb{219, 243, 219}));
}

TEST(ButtonGradient, DarkenClampsEveryComponent)
{
    Tenths c{100, 2540, 50};
    darken(c, 120, 3, 0, 32); // G - h, R + h, B + h after the common loss
    EXPECT_EQ(c, (Tenths{40, 2360, 0}));
    Tenths up{2550, 2550, 2550};
    darken(up, -40, 0, 0, 32);
    EXPECT_EQ(up, (Tenths{2550, 2550, 2550}));
}

TEST(ButtonGradient, EmptySurfaceHasNoLines)
{
    EXPECT_TRUE(gradientLines(0, 25, 0, 0, 0, 32).empty());
    EXPECT_TRUE(gradientLines(100, 0, 0, 0, 0, 32).empty());
    EXPECT_TRUE(gradientLines(-3, 10, 0, 0, 0, 32).empty());
    EXPECT_EQ(gradientStep(0, 10, 0, gradientBase(0, 0, 0, 32), 32), 0);
}

} // namespace
} // namespace vantor::test

#include "shell/caption_text.h"

namespace vantor::test {
namespace {

TEST(CaptionText, MnemonicMarksAreNotShown)
{
    EXPECT_EQ(captionWithoutMnemonic("&Clear"), "Clear");
    EXPECT_EQ(captionWithoutMnemonic("&Ok"), "Ok");
    EXPECT_EQ(captionWithoutMnemonic("Save to|RAM Icon"), "Save to|RAM Icon");
    EXPECT_EQ(captionWithoutMnemonic("Fish && Chips"), "Fish & Chips");
    EXPECT_EQ(captionWithoutMnemonic("trailing&"), "trailing");
    EXPECT_EQ(captionWithoutMnemonic("_"), "_");
    EXPECT_EQ(captionWithoutMnemonic(""), "");
}

} // namespace
} // namespace vantor::test

#include "shell/main_form_layout.h"

namespace vantor::test {
namespace {

TEST(MainFormLayout, ControlsAreMadeLayerOneThenTwoThenZeroInIdOrderTabLast)
{
    const auto& all = mainFormControls();
    ASSERT_FALSE(all.empty());
    const int layerOrder[] = {1, 2, 0};
    int stage = 0, lastId = 0;
    for (const ControlSpec& s : all) {
        while (stage < 3 && s.layer != layerOrder[stage]) {
            ++stage;
            lastId = 0;
        }
        ASSERT_LT(stage, 3) << "control " << s.id << " is out of its layer's place";
        EXPECT_GT(s.id, lastId) << "control " << s.id;
        lastId = s.id;
    }
    EXPECT_EQ(all.back().id, 835);
    EXPECT_EQ(all.back().kind, ControlKind::TabControl);
    EXPECT_EQ(all.size(), 148u);
}

TEST(MainFormLayout, SubclassedControlsAndTooltips)
{
    std::vector<int> subclassed, tooltips;
    for (const ControlSpec& s : mainFormControls()) {
        if (s.subclassed)
            subclassed.push_back(s.id);
        if (s.tooltip)
            tooltips.push_back(s.id);
    }
    EXPECT_EQ(subclassed, (std::vector<int>{230, 335, 370, 570, 835}));
    EXPECT_EQ(tooltips, (std::vector<int>{205, 210, 370}));
}

TEST(MainFormLayout, KeyFramesSurroundTheirFaces)
{
    EXPECT_EQ(faceOfKeyFrame(665), 610);
    EXPECT_EQ(faceOfKeyFrame(710), 655);
    EXPECT_EQ(faceOfKeyFrame(770), 715);
    EXPECT_EQ(faceOfKeyFrame(815), 760);
    EXPECT_EQ(faceOfKeyFrame(660), 0);
    EXPECT_EQ(faceOfKeyFrame(765), 0);
    EXPECT_TRUE(isPanelPictureId(500));
    EXPECT_TRUE(isPanelPictureId(570));
    EXPECT_FALSE(isPanelPictureId(575));
    EXPECT_FALSE(isPanelPictureId(605));
    EXPECT_TRUE(isPanelPictureId(610));
    EXPECT_TRUE(isPanelPictureId(815));
    EXPECT_FALSE(isPanelPictureId(820));
}

} // namespace
} // namespace vantor::test
