// Values of the gamma and image resolution dialogs: the gamma slider, and the
// numbers typed into their fields. Portable: no windows.h.
#pragma once
#include <cstdint>
#include <string>

namespace gmbx {

constexpr int kGammaSliderMax = 200;
constexpr double kGammaMin = 0.1, kGammaMax = 10.0;
constexpr double kDpiMin = 10.0, kDpiMax = 10000.0;

// Slider position (0 at the top .. 200) to gamma: 2.00 at the top, 1.00 in
// the middle, 0.50 at the bottom.
double GammaOfSlider(int position);
// Gamma to the slider position that shows it (clamped to the slider).
int SliderOfGamma(double gamma);

// A decimal number from lo to hi, alone in the text but for surrounding
// blanks; false (out untouched) otherwise.
bool ParseNumberInRange(const std::string& text, double lo, double hi, double* out);

// The gamma as the dialog shows it ("%1.2f").
std::string GammaText(double gamma);
// A resolution in dots per inch as the dialog shows it (up to two decimals,
// no trailing zeros).
std::string DpiText(double dpi);

// Dots per inch to the pixels per metre of a bitmap header, rounded, and back.
int32_t PelsPerMeterOfDpi(double dpi);
double DpiOfPelsPerMeter(int32_t pelsPerMeter);

}  // namespace gmbx
