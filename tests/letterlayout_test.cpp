#include "orderform/letterlayout.h"

#include <gtest/gtest.h>

namespace tendra {
namespace {

// Every character is 10 units wide (12 in bold); a line is 20 units high,
// 2 more per point of size increase.
class FixedMetrics : public TextMetrics {
public:
    int TextWidth(const TextStyle& s, std::wstring_view text) override {
        ++calls;
        measured += text.size();
        return static_cast<int>(text.size()) * (s.bold ? 12 : 10);
    }
    int LineHeight(const TextStyle& s) override { return 20 + 2 * s.sizeDelta; }
    int calls = 0;
    std::size_t measured = 0;
};

Paragraph Para(std::wstring text, Align align = Align::Left) {
    Paragraph p;
    p.text = std::move(text);
    p.align = align;
    return p;
}

std::vector<std::wstring> Texts(const std::vector<LaidPage>& pages) {
    std::vector<std::wstring> out;
    for (const LaidPage& page : pages)
        for (const LaidLine& line : page.lines) out.push_back(line.text);
    return out;
}

TEST(LetterLayout, WrapsAtSpacesAndDropsTheSpacesAtTheBreak) {
    FixedMetrics m;
    PageGeometry g{100, 1000, 30};  // ten characters a line
    auto pages = LayOutLetter({Para(L"ala ma  kota i psa oraz rybkę")}, m, g);
    EXPECT_EQ(Texts(pages), (std::vector<std::wstring>{L"ala ma", L"kota i psa", L"oraz rybkę"}));
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].lines[1].y, 20);
    EXPECT_EQ(pages[0].lines[2].width, 100);
    // A word exactly as wide as the line fits; one character more goes down.
    EXPECT_EQ(Texts(LayOutLetter({Para(L"abcdefghij k")}, m, g)), (std::vector<std::wstring>{L"abcdefghij", L"k"}));
    // Leading spaces of a paragraph are kept.
    EXPECT_EQ(Texts(LayOutLetter({Para(L"  ab")}, m, g)), (std::vector<std::wstring>{L"  ab"}));
}

TEST(LetterLayout, LongWordsAreSplitBetweenCharacters) {
    FixedMetrics m;
    PageGeometry g{100, 1000, 0};
    EXPECT_EQ(Texts(LayOutLetter({Para(std::wstring(25, L'x') + L" y")}, m, g)),
              (std::vector<std::wstring>{std::wstring(10, L'x'), std::wstring(10, L'x'), L"xxxxx y"}));
    // A huge word costs time in proportion to its length.
    FixedMetrics counting;
    auto pages = LayOutLetter({Para(std::wstring(30000, L'w') + L" end")}, counting, PageGeometry{100, 1 << 30, 0});
    ASSERT_EQ(pages.size(), 1u);
    ASSERT_EQ(pages[0].lines.size(), 3001u);
    EXPECT_EQ(pages[0].lines[2999].text, std::wstring(10, L'w'));
    EXPECT_EQ(pages[0].lines[3000].text, L"end");
    EXPECT_LT(counting.measured, 100u * 30000u);
    // Narrower than one character: still one character a line, never stuck.
    g.width = 5;
    EXPECT_EQ(Texts(LayOutLetter({Para(L"abc")}, m, g)), (std::vector<std::wstring>{L"a", L"b", L"c"}));
}

TEST(LetterLayout, EmptyParagraphsAndHardBreaksKeepTheirHeight) {
    FixedMetrics m;
    PageGeometry g{100, 1000, 0};
    Paragraph big = Para(L"");
    big.sizeDelta = 4;
    auto pages = LayOutLetter({Para(L""), big, Para(L"a\r\n\r\nb\nc"), Para(L"z")}, m, g);
    ASSERT_EQ(pages.size(), 1u);
    const auto& lines = pages[0].lines;
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[1].y, 20);
    EXPECT_EQ(lines[1].height, 28);
    EXPECT_EQ(lines[2].y, 48);
    EXPECT_EQ(lines[3].text, L"");
    EXPECT_EQ(lines[4].text, L"b");
    EXPECT_EQ(lines[5].text, L"c");
    EXPECT_EQ(lines[5].paragraph, 2u);
    EXPECT_EQ(lines[6].y, 48 + 4 * 20);
    EXPECT_EQ(Texts(LayOutLetter({}, m, g)).size(), 0u);
    EXPECT_EQ(LayOutLetter({}, m, g).size(), 1u);
}

TEST(LetterLayout, AlignmentAndBulletIndent) {
    FixedMetrics m;
    PageGeometry g{200, 1000, 30};
    Paragraph bold = Para(L"abcde", Align::Right);
    bold.bold = true;
    Paragraph bullet = Para(L"aaaa bbbb cccc dddd");  // 17 characters fit beside the bullet
    bullet.bullet = true;
    auto pages = LayOutLetter({Para(L"abcd", Align::Centre), bold, Para(L"ab"), bullet}, m, g);
    const auto& lines = pages.at(0).lines;
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].x, 80);   // (200 - 40) / 2
    EXPECT_EQ(lines[1].x, 140);  // 200 - 5 * 12
    EXPECT_TRUE(lines[1].style.bold);
    EXPECT_EQ(lines[2].x, 0);
    EXPECT_EQ(lines[3].text, L"aaaa bbbb cccc");
    EXPECT_EQ(lines[3].x, 30);
    EXPECT_TRUE(lines[3].bulletMark);
    EXPECT_EQ(lines[4].text, L"dddd");
    EXPECT_EQ(lines[4].x, 30);   // wrapped lines stay indented
    EXPECT_FALSE(lines[4].bulletMark);
    EXPECT_FALSE(lines[2].bulletMark);
    // A line wider than the area (only possible for split characters) is not pushed left of it.
    EXPECT_EQ(LayOutLetter({Para(L"x", Align::Right)}, m, PageGeometry{5, 100, 0})[0].lines[0].x, 0);
}

TEST(LetterLayout, PageBreaksNeverSplitALine) {
    FixedMetrics m;
    PageGeometry g{100, 70, 0};  // three 20-unit lines a page, 10 units spare
    Letter letter;
    for (int i = 0; i < 7; ++i) letter.push_back(Para(std::to_wstring(i)));
    auto pages = LayOutLetter(letter, m, g);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0].lines.size(), 3u);
    EXPECT_EQ(pages[1].lines.size(), 3u);
    EXPECT_EQ(pages[1].lines[0].text, L"3");
    EXPECT_EQ(pages[1].lines[0].y, 0);
    EXPECT_EQ(pages[2].lines.size(), 1u);
    for (const auto& page : pages)
        for (const auto& line : page.lines) EXPECT_LE(line.y + line.height, g.height);
    // A taller line that does not fit in what is left of the page starts a new one.
    Paragraph big = Para(L"B");
    big.sizeDelta = 10;  // 40 units
    pages = LayOutLetter({Para(L"a"), Para(L"b"), big}, m, g);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[1].lines[0].text, L"B");
    // A line higher than a whole page still gets a page of its own.
    big.sizeDelta = 50;
    pages = LayOutLetter({Para(L"a"), big, Para(L"c")}, m, g);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[1].lines.size(), 1u);
}

TEST(LetterLayout, RealLetterLaysOutWithinTheArea) {
    FixedMetrics m;
    OrderData d;
    d.name = L"Jan";
    d.city = L"Łódź";
    d.remarks = std::wstring(300, L'u');
    d.programs = {L"Tamsin"};
    Letter letter = BuildOrderLetter(d);
    PageGeometry g{400, 600, 40};
    auto pages = LayOutLetter(letter, m, g);
    EXPECT_GT(pages.size(), 1u);
    std::size_t lastParagraph = 0;
    for (const auto& page : pages) {
        ASSERT_FALSE(page.lines.empty());
        for (const auto& line : page.lines) {
            EXPECT_GE(line.x, 0);
            EXPECT_LE(line.x + line.width, g.width);
            EXPECT_LE(line.y + line.height, g.height);
            EXPECT_GE(line.paragraph, lastParagraph);
            lastParagraph = line.paragraph;
        }
    }
    EXPECT_EQ(lastParagraph, letter.size() - 1);
}

}  // namespace
}  // namespace tendra
