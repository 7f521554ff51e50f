// Library key codes: what klib makes of a key press, and what commands are
// bound to. A code is a character or a special-key value in the low bits and
// the Shift, Ctrl and Alt bits above them.
#pragma once

namespace klib {

// Virtual keys that the translation knows (the values of the system's VK_
// constants, so that no system header is needed).
namespace vk {
constexpr unsigned kCancel = 0x03, kBack = 0x08, kTab = 0x09, kClear = 0x0C, kReturn = 0x0D;
constexpr unsigned kShift = 0x10, kControl = 0x11, kMenu = 0x12, kPause = 0x13, kCapital = 0x14;
constexpr unsigned kEscape = 0x1B, kSpace = 0x20, kPrior = 0x21, kNext = 0x22, kEnd = 0x23, kHome = 0x24;
constexpr unsigned kLeft = 0x25, kUp = 0x26, kRight = 0x27, kDown = 0x28, kPrint = 0x2A, kSnapshot = 0x2C;
constexpr unsigned kInsert = 0x2D, kDelete = 0x2E;
constexpr unsigned kNumpad0 = 0x60, kNumpad9 = 0x69, kMultiply = 0x6A, kAdd = 0x6B, kSubtract = 0x6D;
constexpr unsigned kDecimal = 0x6E, kDivide = 0x6F, kF1 = 0x70, kF16 = 0x7F, kNumLock = 0x90;
constexpr unsigned kOemPlus = 0xBB, kOemMinus = 0xBD;
}  // namespace vk

// Modifier bits of key codes (the same bits as the modifier state of events).
constexpr int kKeyShift = 0x1000000;
constexpr int kKeyCtrl = 0x2000000;
constexpr int kKeyAlt = 0x4000000;

// Special-key values.
constexpr int kKeyArrowUp = 0x200000, kKeyArrowDown = 0x210000;
constexpr int kKeyArrowRight = 0x220000, kKeyArrowLeft = 0x230000;
constexpr int kKeyPageUp = 0x240000, kKeyPageDown = 0x250000, kKeyHome = 0x280000, kKeyEnd = 0x290000;
constexpr int kKeyInsert = 0x2a0000, kKeyDelete = 127, kKeyClear = 0x2f0000, kKeyCancel = 0x300000;
constexpr int kKeyPause = 0x310000, kKeyPrint = 0x330000, kKeyCapsLock = 0x400000, kKeyNumLock = 0x410000;
// F1 to F16: kKeyF1 times the key's number.
constexpr int kKeyF1 = 0x10000;
constexpr int KeyF(int n) { return n * kKeyF1; }

// The code of a virtual key alone: the table's value, else the virtual key
// itself below 256, else 0.
int KeyCodeOfVirtualKey(unsigned virtualKey);

// A key press as a library code:
// 1. the code of the virtual key (above);
// 2. with Shift the Shift bit is set; without it an upper-case letter in the
//    low byte becomes lower case;
// 3. with Ctrl the Ctrl bit, with Alt (bit 29 of the key data of the key
//    message) the Alt bit is set.
// The modifier keys themselves already carry their bit; setting it again
// leaves it as it is.
int LibraryKeyCode(unsigned virtualKey, bool shift, bool ctrl, bool alt);

}  // namespace klib
