// Our Windows-1250 table against the system's own conversion.
#include <windows.h>

#include <gtest/gtest.h>

#include "orderform/cp1250.h"

namespace {

TEST(TendraCodePage, MatchesTheSystemConversion) {
    std::string all;
    for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
    wchar_t wide[256] = {};
    int n = MultiByteToWideChar(1250, 0, all.data(), static_cast<int>(all.size()), wide, 256);
    ASSERT_EQ(n, 255);
    std::wstring ours = tendra::FromCp1250(all);
    for (int i = 0; i < 255; ++i)
        EXPECT_EQ(static_cast<unsigned>(ours[i]), static_cast<unsigned>(wide[i])) << "byte " << (i + 1);
}

}  // namespace
