// Windows-1250 conversion of the order form's texts.
#include "orderform/cp1250.h"

#include <gtest/gtest.h>

namespace tendra {
namespace {

TEST(Cp1250, ConvertsThePolishLettersBothWays) {
    const std::wstring polish = L"\u0104\u0106\u0118\u0141\u0143\u00d3\u015a\u0179\u017b"
                                L"\u0105\u0107\u0119\u0142\u0144\u00f3\u015b\u017a\u017c";
    const std::string bytes = "\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF";
    EXPECT_EQ(ToCp1250(polish), bytes);
    EXPECT_EQ(FromCp1250(bytes), polish);
    EXPECT_EQ(ToCp1250(L"Jan Kowalski"), "Jan Kowalski");
}

TEST(Cp1250, EveryByteRoundTrips) {
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    std::wstring wide = FromCp1250(all);
    ASSERT_EQ(wide.size(), 256u);
    EXPECT_EQ(wide[0x80], L'\u20ac');
    EXPECT_EQ(wide[0xFF], L'\u02d9');
    EXPECT_EQ(ToCp1250(wide), all);
}

TEST(Cp1250, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(ToCp1250(L"a\u0416b\u00e5"), "a?b?");  // Cyrillic Zhe, a with ring
    std::wstring pair;
    pair.push_back(static_cast<wchar_t>(0xD83D));
    pair.push_back(static_cast<wchar_t>(0xDE00));
    if (sizeof(wchar_t) == 2) EXPECT_EQ(ToCp1250(pair), "?");
}

}  // namespace
}  // namespace tendra
