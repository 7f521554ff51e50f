// Library key codes.
#include "klib/keycode.h"

namespace klib {

namespace {

struct KeyEntry {
    unsigned virtualKey;
    int code;
};

// Virtual keys with codes of their own. The numeric pad and the function
// keys run in sequences and are worked out in KeyCodeOfVirtualKey.
constexpr KeyEntry kKeyTable[] = {
    {vk::kBack, 8},
    {vk::kTab, 9},
    {vk::kReturn, 13},
    {vk::kEscape, 27},
    {vk::kSpace, 32},
    {vk::kShift, kKeyShift},
    {vk::kControl, kKeyCtrl},
    {vk::kMenu, kKeyAlt},
    {vk::kCancel, kKeyCancel},
    {vk::kClear, kKeyClear},
    {vk::kPause, kKeyPause},
    {vk::kCapital, kKeyCapsLock},
    {vk::kNumLock, kKeyNumLock},
    {vk::kPrior, kKeyPageUp},
    {vk::kNext, kKeyPageDown},
    {vk::kEnd, kKeyEnd},
    {vk::kHome, kKeyHome},
    {vk::kLeft, kKeyArrowLeft},
    {vk::kUp, kKeyArrowUp},
    {vk::kRight, kKeyArrowRight},
    {vk::kDown, kKeyArrowDown},
    {vk::kPrint, kKeyPrint},
    {vk::kSnapshot, kKeyPrint},
    {vk::kInsert, kKeyInsert},
    {vk::kDelete, kKeyDelete},
    {vk::kMultiply, '*'},
    {vk::kAdd, '+'},
    {vk::kSubtract, '-'},
    {vk::kDecimal, '.'},
    {vk::kDivide, '/'},
    {vk::kOemPlus, '='},
    {vk::kOemMinus, '-'},
};

}  // namespace

int KeyCodeOfVirtualKey(unsigned virtualKey) {
    if (virtualKey >= vk::kNumpad0 && virtualKey <= vk::kNumpad9) return '0' + int(virtualKey - vk::kNumpad0);
    if (virtualKey >= vk::kF1 && virtualKey <= vk::kF16) return KeyF(int(virtualKey - vk::kF1) + 1);
    for (const KeyEntry& e : kKeyTable)
        if (e.virtualKey == virtualKey) return e.code;
    return virtualKey < 256 ? int(virtualKey) : 0;
}

int LibraryKeyCode(unsigned virtualKey, bool shift, bool ctrl, bool alt) {
    int code = KeyCodeOfVirtualKey(virtualKey);
    if (shift) {
        code |= kKeyShift;
    } else {
        int low = code & 0xFF;
        if (low >= 'A' && low <= 'Z') code += 'a' - 'A';
    }
    if (ctrl) code |= kKeyCtrl;
    if (alt) code |= kKeyAlt;
    return code;
}

}  // namespace klib
