#include "capture/hotkeysio.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "capture/inifile.h"

namespace gmbx {
namespace {

class HotkeysIoTest : public ::testing::Test {
protected:
    void SetUp() override { ResetHotkeyDefaults(state); }
    IniFile ini;
    IniSettingsStore store{ini};
    HotkeyState state;
};

TEST_F(HotkeysIoTest, NothingStoredLeavesTheDefaults) {
    state.table[kRowDesktop].key = 1;  // a live edit is replaced by the defaults
    LoadHotkeysFrom(store, state, false);
    EXPECT_EQ(state.table[kRowDesktop].key, 0x46u);
    EXPECT_EQ(state.capturesAllowed, 1);
}

TEST_F(HotkeysIoTest, RoundTripInStoredOrderWithTheFlags) {
    state.table[kRowRect].key = 0x51;
    state.table[kRowRect].modifiers = kHotkeyModAlt;
    std::snprintf(state.table[kRowRect].description, 60, "Alt+Q");
    state.capturesAllowed = 0;
    state.handlePrintScreen = 1;
    SaveHotkeysTo(store, state);
    // The Rect row is stored fifth, after ACli.
    std::string prev;
    int index = 0, rectAt = -1, acliAt = -1;
    for (const auto& p : ini.Pairs()) {
        if (p.name == "Rect Key") rectAt = index;
        if (p.name == "ACli Key") acliAt = index;
        ++index;
    }
    EXPECT_GT(rectAt, acliAt);
    EXPECT_EQ(*ini.Find("Disable All Keys"), "1");
    EXPECT_EQ(*ini.Find("Rect Desc"), "\"Alt+Q\"");

    HotkeyState loaded;
    ResetHotkeyDefaults(loaded);
    LoadHotkeysFrom(store, loaded, false);
    EXPECT_EQ(loaded.table[kRowRect].key, 0x51u);
    EXPECT_EQ(loaded.table[kRowRect].modifiers, kHotkeyModAlt);
    EXPECT_STREQ(loaded.table[kRowRect].description, "Alt+Q");
    EXPECT_EQ(loaded.capturesAllowed, 0);  // "Disable All Keys" = 1 comes up disabled
    EXPECT_EQ(loaded.handlePrintScreen, 1);
    SaveHotkeysTo(store, loaded);
    EXPECT_EQ(*ini.Find("Disable All Keys"), "1");  // and is saved back as 1
}

TEST_F(HotkeysIoTest, GameRowFollowsGameCaptureAndLongDescriptionsAreNotRead) {
    std::string longDesc = "\"" + std::string(70, 'x') + "\"";
    ini.Put("Desktop Desc", longDesc);
    ini.Put("Win Key", "\"not a number\"");
    LoadHotkeysFrom(store, state, true);
    EXPECT_STREQ(state.table[kRowDesktop].description, "Ctrl+Shift+F");
    EXPECT_EQ(state.table[kRowWindow].key, 0x57u);
    EXPECT_EQ(state.table[kRowGame].active, 1);
    LoadHotkeysFrom(store, state, false);
    EXPECT_EQ(state.table[kRowGame].active, 0);
}

}  // namespace
}  // namespace gmbx
