#include "imageio/appcolours.h"

#include <cmath>

namespace gmbx {

uint8_t ThousandthsToByte(int t) {
    if (t < 0) t = 0;
    if (t > 1000) t = 1000;
    return static_cast<uint8_t>(std::floor(t * 255 * 0.001 + 0.5));
}

int ByteToThousandths(uint8_t b) { return static_cast<int>(std::floor(b * 3.9215686274509802 + 0.5)); }

bool StandardColourThousandths(int n, int rgb[3]) {
    static const int kTable[kAppColourCount][3] = {
        {0, 0, 0},       {1000, 1000, 1000}, {-1, -1, -1},      {-1, -1, -1},
        {-1, -1, -1},    {-1, -1, -1},       {1000, 0, 0},      {1000, 1000, 1000},
        {1000, 0, 0},    {0, 1000, 0},       {0, 0, 1000},      {0, 1000, 1000},
        {1000, 0, 1000}, {1000, 1000, 0},    {1000, 500, 500},  {1000, 1000, 1000},
        {500, 0, 0},     {0, 500, 0},        {0, 0, 500},       {0, 500, 500},
        {500, 0, 500},   {500, 500, 0},      {500, 500, 500},   {750, 750, 750},
    };
    if (n < 0 || n >= kAppColourCount || kTable[n][0] < 0) return false;
    for (int i = 0; i < 3; ++i) rgb[i] = kTable[n][i];
    return true;
}

}  // namespace gmbx
