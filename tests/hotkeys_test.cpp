#include "capture/hotkeys.h"

#include <gtest/gtest.h>

namespace gmbx {
namespace {

TEST(HotkeyTable, DefaultsAsShippedWithStopAndGameKeysInactive) {
    HotkeyState s;
    ResetHotkeyDefaults(s);
    EXPECT_EQ(s.table[kRowDesktop].key, 0x46u);
    EXPECT_EQ(s.table[kRowDesktop].modifiers, kHotkeyModCtrl | kHotkeyModShift);
    EXPECT_EQ(s.table[kRowRect].key, 0x52u);  // the table order: Rect is row 2
    EXPECT_EQ(s.table[kRowAWin].key, 0x41u);
    EXPECT_STREQ(s.table[kRowRepeat].description, "F11");
    EXPECT_EQ(s.table[kRowStop].active, 0);
    EXPECT_EQ(s.table[kRowGame].active, 0);
    EXPECT_EQ(s.table[kRowGame].key, 0x91u);
    for (int i = 0; i < kHotkeyRows; ++i) EXPECT_EQ(s.table[i].id, i);
}

TEST(HotkeyTable, StoredOrderDiffersFromTableOrder) {
    const char* expected[] = {"Desktop", "Win", "AWin", "ACli", "Rect", "Repeat", "Stop", "DX"};
    const int rows[] = {0, 1, 3, 4, 2, 5, 6, 7};
    for (int i = 0; i < kHotkeyRows; ++i) {
        EXPECT_STREQ(kStoredOrder[i].prefix, expected[i]);
        EXPECT_EQ(kStoredOrder[i].row, rows[i]);
    }
}

TEST(HotkeyTable, TextOnlyForActiveRowsWhileEnabled) {
    HotkeyState s;
    ResetHotkeyDefaults(s);
    EXPECT_EQ(HotkeyText(s, kRowWindow), "Ctrl+Shift+W");
    EXPECT_EQ(HotkeyText(s, kRowStop), "");
    s.capturesAllowed = 0;
    EXPECT_EQ(HotkeyText(s, kRowWindow), "");
    EXPECT_EQ(HotkeyText(s, 99), "");
}

TEST(HotkeyTable, StopKeyNeedsAKeyAndEnabledHotkeys) {
    HotkeyState s;
    ResetHotkeyDefaults(s);
    EXPECT_TRUE(StopKeyAvailable(s));  // inactive until a timed capture registers it
    s.capturesAllowed = 0;
    EXPECT_FALSE(StopKeyAvailable(s));
    s.capturesAllowed = 1;
    s.table[kRowStop].key = 0;
    EXPECT_FALSE(StopKeyAvailable(s));
}

TEST(HotkeyTable, DescriptionsAreCutTo59Characters) {
    HotkeyState s;
    ResetHotkeyDefaults(s);
    std::string longText(80, 'k');
    SetDefaultDescription(s, kRowDesktop, longText.c_str());
    EXPECT_EQ(std::string(s.table[kRowDesktop].description), std::string(59, 'k'));
}

TEST(HotkeyTable, ModifierConversionsBothWays) {
    EXPECT_EQ(ModifiersToHotkeyFlags(kHotkeyModAlt), kHotkeyfAlt);
    EXPECT_EQ(ModifiersToHotkeyFlags(kHotkeyModCtrl | kHotkeyModShift), kHotkeyfControl | kHotkeyfShift);
    EXPECT_EQ(HotkeyFlagsToModifiers(kHotkeyfAlt | kHotkeyfExt), kHotkeyModAlt);
    for (uint32_t m = 0; m < 8; ++m) EXPECT_EQ(HotkeyFlagsToModifiers(ModifiersToHotkeyFlags(m)), m);
}

TEST(HotkeyTable, KeyDescriptionOrderIsCtrlShiftAltKey) {
    EXPECT_EQ(KeyDescription(kHotkeyfAlt | kHotkeyfShift | kHotkeyfControl, "Ctrl+", "Shift+", "Alt+", "F", "(none)"),
              "Ctrl+Shift+Alt+F");
    EXPECT_EQ(KeyDescription(0, "Ctrl+", "Shift+", "Alt+", "F11", "(none)"), "F11");
    EXPECT_EQ(KeyDescription(kHotkeyfControl, "Ctrl+", "Shift+", "Alt+", "", "(none)"), "(none)");
}

}  // namespace
}  // namespace gmbx
