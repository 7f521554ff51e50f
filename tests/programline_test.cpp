// Program lines with seat counts, and the list as stored text.
#include "orderform/programline.h"

#include <gtest/gtest.h>

#include "orderform/cp1250.h"
#include "orderform/scrambler.h"

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
    // Only a whole count at the end is one: names that hold a part of it keep
    // it (a name ending in " - na" once lost it when a count was added).
    for (const wchar_t* name : {L"Vexa - na", L"Vexa - na dysk", L"Vexa - na 2", L"Vexa - na x  stanowisk(o)",
                                L" - na 1  stanowisk(o)x", L"  stanowisk(o)"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ProgramName(name), name);
        EXPECT_EQ(ProgramName(WithSeatCount(name, 4)), name);
    }
    EXPECT_EQ(ProgramName(L" - na 12  stanowisk(o)"), L"");
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

TEST(ProgramLine, StoredListIsScrambledWindows1250) {
    std::vector<std::wstring> lines{L"Brixo", L"Zak\u0142adka \u017c\u00f3\u0142ta - na 2  stanowisk(o)"};
    const std::string bytes = StoredListBytes(lines);
    EXPECT_EQ(Unscramble(bytes), ToCp1250(L"Brixo\r\nZak\u0142adka \u017c\u00f3\u0142ta - na 2  stanowisk(o)"));
    EXPECT_EQ(ReadStoredList(bytes), lines);
    // Damaged bytes still give lines, never an error.
    EXPECT_EQ(ReadStoredList(std::string("\0\r\n\xff", 4)), std::vector<std::wstring>{L"\u02d9"});
    EXPECT_TRUE(ReadStoredList("").empty());
}

}  // namespace
}  // namespace tendra
