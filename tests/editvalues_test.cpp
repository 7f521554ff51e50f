#include "capture/editvalues.h"

#include <gtest/gtest.h>

namespace gmbx {
namespace {

TEST(EditValues, GammaSliderBothWays) {
    struct Case {
        int position;
        double gamma;
    } cases[] = {{0, 2.0}, {50, 1.5}, {100, 1.0}, {150, 0.75}, {190, 0.55}, {200, 0.5}};
    for (const Case& c : cases) {
        EXPECT_NEAR(GammaOfSlider(c.position), c.gamma, 1e-9) << c.position;
        EXPECT_EQ(SliderOfGamma(c.gamma), c.position) << c.gamma;
    }
    EXPECT_EQ(GammaText(GammaOfSlider(0)), "2.00");
    EXPECT_EQ(GammaText(GammaOfSlider(200)), "0.50");
    // Typed gammas beyond the slider's reach put it at its ends.
    EXPECT_EQ(SliderOfGamma(10.0), 0);
    EXPECT_EQ(SliderOfGamma(0.1), 200);
}

TEST(EditValues, ParseNumberInRange) {
    struct Case {
        const char* text;
        bool ok;
        double value;
    } cases[] = {{"96", true, 96},  {" 12.5 ", true, 12.5}, {"10", true, 10},  {"10000", true, 10000},
                 {"9.99", false, 0}, {"10000.5", false, 0}, {"", false, 0},  {"abc", false, 0},
                 {"96dpi", false, 0}, {"1e3", false, 0},    {"0x20", false, 0}, {"-96", false, 0}};
    for (const Case& c : cases) {
        double v = -1;
        EXPECT_EQ(ParseNumberInRange(c.text, kDpiMin, kDpiMax, &v), c.ok) << c.text;
        EXPECT_EQ(v, c.ok ? c.value : -1) << c.text;
    }
}

TEST(EditValues, Resolution) {
    EXPECT_EQ(PelsPerMeterOfDpi(96), 3780);
    EXPECT_EQ(PelsPerMeterOfDpi(300), 11811);
    EXPECT_EQ(DpiText(DpiOfPelsPerMeter(3780)), "96.01");
    EXPECT_EQ(DpiText(DpiOfPelsPerMeter(11811)), "300");
    EXPECT_EQ(DpiText(72), "72");
}

}  // namespace
}  // namespace gmbx
