// The scrambling of "info.txt": what it leaves alone, that it round-trips,
// and that it really depends on position and length.
#include "orderform/scrambler.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>

namespace tendra {
namespace {

TEST(Scrambler, KeepsLineBreaksControlBytesAndPolishLetters) {
    // Windows-1250: "Łódź", "źle", CR LF, TAB, NUL.
    std::string text = "\xA3\xF3\x9F\r\n\x9F\x80\xFF\t";
    text.push_back('\0');
    EXPECT_EQ(Scramble(text), text);
    EXPECT_EQ(Unscramble(text), text);
    EXPECT_EQ(Scramble(""), "");
}

TEST(Scrambler, CodesEveryPrintableByteIntoThePrintableRange) {
    std::string text;
    for (int b = 32; b <= 127; ++b) text.push_back(static_cast<char>(b));
    std::string s = Scramble(text);
    ASSERT_EQ(s.size(), text.size());
    int changed = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        auto b = static_cast<unsigned char>(s[i]);
        EXPECT_GE(b, 32);
        EXPECT_LE(b, 127);
        changed += s[i] != text[i];
    }
    EXPECT_GT(changed, 80);
    EXPECT_EQ(Unscramble(s), text);
}

TEST(Scrambler, RoundTripsMixedAndRandomTexts) {
    EXPECT_EQ(Unscramble(Scramble("Tamsin - na 12  stanowisk(o)\r\nBrixo\r\nQuella")),
              "Tamsin - na 12  stanowisk(o)\r\nBrixo\r\nQuella");
    std::mt19937 rng(7);
    for (int len : {1, 2, 3, 4, 5, 31, 32, 33, 255, 1000}) {
        std::string text;
        for (int i = 0; i < len; ++i) text.push_back(static_cast<char>(rng() & 0xFF));
        std::string s = Scramble(text);
        ASSERT_EQ(s.size(), text.size());
        EXPECT_EQ(Unscramble(s), text) << len;
    }
}

TEST(Scrambler, SameByteCodesDifferentlyAlongTheText) {
    // The rolling value makes a run of one letter come out varied.
    std::string s = Scramble(std::string(64, 'a'));
    std::set<char> seen(s.begin(), s.end());
    EXPECT_GT(seen.size(), 8u);
    // The length seeds the roll: a prefix does not scramble like the whole.
    EXPECT_NE(Scramble("Brixo").substr(0, 4), Scramble("Brix"));
}

TEST(Scrambler, UnscramblesArbitraryBytesWithoutFault) {
    std::string junk;
    for (int i = 0; i < 512; ++i) junk.push_back(static_cast<char>(i * 37));
    std::string plain = Unscramble(junk);
    EXPECT_EQ(plain.size(), junk.size());
    EXPECT_EQ(Scramble(plain), junk);
}

}  // namespace
}  // namespace tendra
