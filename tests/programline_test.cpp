// Program lines with seat counts, and the list as stored text.
#include "orderform/programline.h"

#include <gtest/gtest.h>

namespace tendra {
namespace {

TEST(ProgramLine, AddsAndReplacesTheSeatCount) {
    std::wstring line = WithSeatCount(L"Tamsin 2.0", 3);
    EXPECT_EQ(line, L"Tamsin 2.0 - na 3  stanowisk(o)");
    EXPECT_EQ(ProgramName(line), L"Tamsin 2.0");
    // Choosing again replaces the count instead of adding a second suffix.
    EXPECT_EQ(WithSeatCount(line, 5), L"Tamsin 2.0 - na 5  stanowisk(o)");
    EXPECT_EQ(WithSeatCount(WithSeatCount(line, 500), 1), L"Tamsin 2.0 - na 1  stanowisk(o)");
    EXPECT_EQ(ProgramName(L"Brixo"), L"Brixo");
}

TEST(ProgramLine, SplitsAndJoinsListText) {
    EXPECT_EQ(SplitListText(L"a\r\nb\nc\rd\r\n\r\n"), (std::vector<std::wstring>{L"a", L"b", L"c", L"d"}));
    EXPECT_TRUE(SplitListText(L"\r\n\r\n").empty());
    std::wstring withNul = L"x";
    withNul.push_back(L'\0');
    withNul += L"y";
    EXPECT_EQ(SplitListText(withNul), std::vector<std::wstring>{L"xy"});
    std::vector<std::wstring> lines{L"Brixo", L"Quella - na 2  stanowisk(o)"};
    EXPECT_EQ(JoinListLines(lines), L"Brixo\r\nQuella - na 2  stanowisk(o)");
    EXPECT_EQ(SplitListText(JoinListLines(lines)), lines);
}

}  // namespace
}  // namespace tendra
