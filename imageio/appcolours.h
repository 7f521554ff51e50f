// The application colour table's standard colours and the conversion
// between thousandths (0-1000) and colour bytes. Portable.
#pragma once
#include <cstdint>

namespace gmbx {

constexpr int kAppColourCount = 24;

// byte = floor(thousandths * 255 * 0.001 + 0.5)
uint8_t ThousandthsToByte(int thousandths);
// thousandths = floor(byte * 3.9215686274509802 + 0.5)
int ByteToThousandths(uint8_t byte);

// Standard colour n (0-23) in thousandths; colours 2-5 follow system
// colours (button shadow, highlight, face, text) and report false here.
bool StandardColourThousandths(int n, int rgb[3]);

}  // namespace gmbx
