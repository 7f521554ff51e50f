#include "capture/editvalues.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace gmbx {

double GammaOfSlider(int position) {
    int v = kGammaSliderMax - position;
    return v < 100 ? v * 0.005 + 0.5 : v * 0.01;
}

int SliderOfGamma(double gamma) {
    long pos = gamma >= 1.0 ? 200 - std::lround(gamma * 100) : 200 - std::lround((gamma - 0.5) * 200);
    if (pos < 0) return 0;
    if (pos > kGammaSliderMax) return kGammaSliderMax;
    return static_cast<int>(pos);
}

bool ParseNumberInRange(const std::string& text, double lo, double hi, double* out) {
    const char* p = text.c_str();
    while (*p == ' ' || *p == '\t') ++p;
    if (!*p) return false;
    // Plain decimal notation only: no hex, exponents, infinities or NaN.
    for (const char* q = p; *q; ++q)
        if (!((*q >= '0' && *q <= '9') || *q == '.' || *q == '+' || *q == '-' || *q == ' ' || *q == '\t'))
            return false;
    char* end = nullptr;
    errno = 0;
    double v = std::strtod(p, &end);
    if (end == p || errno != 0) return false;
    while (*end == ' ' || *end == '\t') ++end;
    if (*end || !(v >= lo && v <= hi)) return false;
    *out = v;
    return true;
}

std::string GammaText(double gamma) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%1.2f", gamma);
    return buf;
}

std::string DpiText(double dpi) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", dpi);
    std::string s = buf;
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
    return s;
}

int32_t PelsPerMeterOfDpi(double dpi) { return static_cast<int32_t>(std::lround(dpi * 39.37007874015748)); }

double DpiOfPelsPerMeter(int32_t pelsPerMeter) { return pelsPerMeter * 0.0254; }

}  // namespace gmbx
