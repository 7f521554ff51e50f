// Library key codes made from virtual keys and the modifier keys.
#include "klib/keycode.h"

#include <gtest/gtest.h>

namespace klib {
namespace {

int Plain(unsigned virtualKey) { return LibraryKeyCode(virtualKey, false, false, false); }

TEST(KlibKeyCode, LettersAreLowerCaseWithoutShift) {
    EXPECT_EQ(Plain('A'), 'a');
    EXPECT_EQ(Plain('Z'), 'z');
    EXPECT_EQ(LibraryKeyCode('A', true, false, false), 'A' | kKeyShift);
}

TEST(KlibKeyCode, CtrlShiftAKeepsTheCapital) {
    EXPECT_EQ(LibraryKeyCode('A', true, true, false), 0x41 | 0x1000000 | 0x2000000);
    EXPECT_EQ(LibraryKeyCode('A', false, true, false), 0x61 | 0x2000000);
    EXPECT_EQ(LibraryKeyCode('A', false, false, true), 0x61 | 0x4000000);
    EXPECT_EQ(LibraryKeyCode('Q', true, true, true), 'Q' | kKeyShift | kKeyCtrl | kKeyAlt);
}

TEST(KlibKeyCode, FunctionKeys) {
    EXPECT_EQ(Plain(0x74), 5 * 0x10000);  // F5
    EXPECT_EQ(Plain(vk::kF1), 0x10000);
    EXPECT_EQ(Plain(vk::kF16), 0x100000);
    for (int n = 1; n <= 16; ++n) EXPECT_EQ(Plain(vk::kF1 + n - 1), KeyF(n)) << n;
    EXPECT_EQ(LibraryKeyCode(0x74, true, false, false), 0x50000 | kKeyShift);
}

TEST(KlibKeyCode, SpecialKeys) {
    EXPECT_EQ(Plain(0x08), 8);
    EXPECT_EQ(Plain(0x09), 9);
    EXPECT_EQ(Plain(0x0D), 13);
    EXPECT_EQ(Plain(0x1B), 27);
    EXPECT_EQ(Plain(0x20), 32);
    EXPECT_EQ(Plain(0x03), 0x300000);
    EXPECT_EQ(Plain(0x0C), 0x2f0000);
    EXPECT_EQ(Plain(0x13), 0x310000);
    EXPECT_EQ(Plain(0x14), 0x400000);
    EXPECT_EQ(Plain(0x90), 0x410000);
    EXPECT_EQ(Plain(0x21), 0x240000);
    EXPECT_EQ(Plain(0x22), 0x250000);
    EXPECT_EQ(Plain(0x23), 0x290000);
    EXPECT_EQ(Plain(0x24), 0x280000);
    EXPECT_EQ(Plain(0x25), 0x230000);
    EXPECT_EQ(Plain(0x26), 0x200000);
    EXPECT_EQ(Plain(0x27), 0x220000);
    EXPECT_EQ(Plain(0x28), 0x210000);
    EXPECT_EQ(Plain(0x2A), 0x330000);
    EXPECT_EQ(Plain(0x2C), 0x330000);
    EXPECT_EQ(Plain(0x2D), 0x2a0000);
    EXPECT_EQ(Plain(0x2E), 127);
}

TEST(KlibKeyCode, ModifierKeysCarryTheirOwnBit) {
    EXPECT_EQ(KeyCodeOfVirtualKey(0x10), 0x1000000);
    EXPECT_EQ(KeyCodeOfVirtualKey(0x11), 0x2000000);
    EXPECT_EQ(KeyCodeOfVirtualKey(0x12), 0x4000000);
    // Pressing Shift with Shift down stays the Shift bit.
    EXPECT_EQ(LibraryKeyCode(0x10, true, false, false), 0x1000000);
    EXPECT_EQ(LibraryKeyCode(0x11, false, true, false), 0x2000000);
}

TEST(KlibKeyCode, NumericPad) {
    for (unsigned k = 0; k <= 9; ++k) EXPECT_EQ(Plain(0x60 + k), int('0' + k)) << k;
    EXPECT_EQ(Plain(0x6A), '*');
    EXPECT_EQ(Plain(0x6B), '+');
    EXPECT_EQ(Plain(0x6D), '-');
    EXPECT_EQ(Plain(0x6E), '.');
    EXPECT_EQ(Plain(0x6F), '/');
    // The separator key has no code of its own: it stays the virtual key.
    EXPECT_EQ(Plain(0x6C), 0x6C);
}

TEST(KlibKeyCode, EqualsAndMinusKeys) {
    EXPECT_EQ(Plain(0xBB), '=');
    EXPECT_EQ(Plain(0xBD), '-');
    EXPECT_EQ(LibraryKeyCode(0xBB, false, true, false), '=' | kKeyCtrl);
}

TEST(KlibKeyCode, OtherKeysStayTheVirtualKey) {
    EXPECT_EQ(Plain('0'), '0');
    EXPECT_EQ(Plain('9'), '9');
    EXPECT_EQ(Plain(0x01), 0x01);  // left mouse button
    EXPECT_EQ(Plain(0x02), 0x02);
    EXPECT_EQ(Plain(0xFF), 0xFF);
    EXPECT_EQ(Plain(0x100), 0);
    EXPECT_EQ(LibraryKeyCode(0x100, true, false, false), kKeyShift);
    // Only the low byte decides about case: it must be a letter.
    EXPECT_EQ(Plain(0x5B), 0x5B);
    EXPECT_EQ(Plain(0x40), 0x40);
}

}  // namespace
}  // namespace klib
