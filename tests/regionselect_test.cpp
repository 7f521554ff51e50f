// Placement of the size label and the help panel, the selection keys and
// the rectangle a selection stands for.
#include "capture/regionselect.h"

#include <gtest/gtest.h>

#include "klib/keycode.h"

namespace gmbx {
namespace {

constexpr int kW = 800, kH = 600;

TEST(SizeLabel, CountsBothCornersWhicheverWayTheBandRuns) {
    EXPECT_EQ(SizeLabelText({5, 5}, {5, 5}), "1x1");
    EXPECT_EQ(SizeLabelText({10, 20}, {109, 69}), "100x50");
    EXPECT_EQ(SizeLabelText({109, 69}, {10, 20}), "100x50");
}

TEST(SizeLabel, CentredInABandWithRoomToSpare) {
    // 200 x 100 band, 40 x 16 label: fits with more than 24 to spare.
    SelPoint at = PlaceSizeLabel({100, 100}, {300, 200}, 40, 16, kW, kH);
    EXPECT_EQ(at.x, 100 + (200 - 40) / 2);
    EXPECT_EQ(at.y, 100 + (100 - 16) / 2);
    // Either direction with room is enough: a narrow but tall band.
    at = PlaceSizeLabel({100, 100}, {110, 300}, 40, 16, kW, kH);
    EXPECT_EQ(at.y, 100 + (200 - 16) / 2);
}

TEST(SizeLabel, SmallBandPutsItAboveLeftThenBelowRightNearTheEdges) {
    // Band 10 x 10 at (100,100): label right edge at left - 1, bottom at top - 1.
    SelPoint at = PlaceSizeLabel({100, 100}, {110, 110}, 40, 16, kW, kH);
    EXPECT_EQ(at.x, 100 - 1 - 40);
    EXPECT_EQ(at.y, 100 - 1 - 16);
    // Near the top-left corner there is no room: right of and below the band.
    at = PlaceSizeLabel({20, 5}, {30, 10}, 40, 16, kW, kH);
    EXPECT_EQ(at.x, 31);
    EXPECT_EQ(at.y, 11);
    // A single pixel in the bottom-right corner: kept on the overlay.
    at = PlaceSizeLabel({kW - 1, kH - 1}, {kW - 1, kH - 1}, 40, 16, kW, kH);
    EXPECT_EQ(at.x, kW - 1 - 1 - 40);
    EXPECT_EQ(at.y, kH - 1 - 1 - 16);
    // A wide flat band at the top: centred across it, pulled down onto the overlay.
    at = PlaceSizeLabel({0, 0}, {kW - 5, 3}, 40, 16, kW, kH);
    EXPECT_EQ(at.x, (kW - 5 - 40) / 2);
    EXPECT_EQ(at.y, 0);
    // A tall band at the right edge with no room beside it on the left.
    at = PlaceSizeLabel({kW - 10, 0}, {kW - 1, 12}, 40, 16, kW, kH);
    EXPECT_EQ(at.x, kW - 1 - 1 - 40 - 9);
    EXPECT_EQ(at.y, 13);
}

TEST(SelectedRectangle, OrdersCornersAndIncludesTheFarOne) {
    SelRect r = SelectedRect({50, 40}, {10, 20});
    EXPECT_EQ(r, (SelRect{10, 20, 51, 41}));
    EXPECT_EQ(SelectedRect({7, 7}, {7, 7}).Width(), 1);
}

TEST(SelectionKeys, ArrowsStepByOneOrTenAndCtrlGoesToTheEdge) {
    SelectionKeys s;
    s.moving = {100, 100};
    EXPECT_EQ(ApplySelectionKey(klib::kKeyArrowLeft, kW, kH, &s), KeyAction::Moved);
    EXPECT_EQ(s.moving, (SelPoint{99, 100}));
    ApplySelectionKey(klib::kKeyArrowDown | klib::kKeyShift, kW, kH, &s);
    EXPECT_EQ(s.moving, (SelPoint{99, 110}));
    ApplySelectionKey(klib::kKeyArrowRight | klib::kKeyCtrl, kW, kH, &s);
    EXPECT_EQ(s.moving.x, kW - 1);  // the last column
    ApplySelectionKey(klib::kKeyArrowUp | klib::kKeyCtrl | klib::kKeyShift, kW, kH, &s);
    EXPECT_EQ(s.moving.y, 0);
    ApplySelectionKey(klib::kKeyArrowDown | klib::kKeyCtrl, kW, kH, &s);
    EXPECT_EQ(s.moving.y, kH - 1);
    ApplySelectionKey(klib::kKeyArrowLeft | klib::kKeyCtrl, kW, kH, &s);
    EXPECT_EQ(s.moving.x, 0);
}

TEST(SelectionKeys, MovingPointStaysOnTheOverlay) {
    SelectionKeys s;
    s.moving = {3, kH - 4};
    ApplySelectionKey(klib::kKeyArrowLeft | klib::kKeyShift, kW, kH, &s);
    ApplySelectionKey(klib::kKeyArrowDown | klib::kKeyShift, kW, kH, &s);
    EXPECT_EQ(s.moving, (SelPoint{0, kH - 1}));
    s.moving = {kW - 1, 0};
    ApplySelectionKey(klib::kKeyArrowRight, kW, kH, &s);
    ApplySelectionKey(klib::kKeyArrowUp, kW, kH, &s);
    EXPECT_EQ(s.moving, (SelPoint{kW - 1, 0}));
}

TEST(SelectionKeys, TabAndHomeSwapCornersOnlyInTheSecondPhase) {
    SelectionKeys s;
    s.fixed = {1, 2};
    s.moving = {30, 40};
    EXPECT_EQ(ApplySelectionKey(9, kW, kH, &s), KeyAction::None);
    EXPECT_EQ(s.moving, (SelPoint{30, 40}));
    s.secondPhase = true;
    EXPECT_EQ(ApplySelectionKey(9, kW, kH, &s), KeyAction::Swapped);
    EXPECT_EQ(s.moving, (SelPoint{1, 2}));
    EXPECT_EQ(s.fixed, (SelPoint{30, 40}));
    EXPECT_EQ(ApplySelectionKey(klib::kKeyHome, kW, kH, &s), KeyAction::Swapped);
    EXPECT_EQ(s.moving, (SelPoint{30, 40}));
}

TEST(SelectionKeys, EndingTogglesLocksAndHelpModes) {
    SelectionKeys s;
    EXPECT_EQ(ApplySelectionKey(13, kW, kH, &s), KeyAction::Accept);
    EXPECT_EQ(ApplySelectionKey(27, kW, kH, &s), KeyAction::Cancel);
    EXPECT_EQ(ApplySelectionKey('+', kW, kH, &s), KeyAction::ToggleCursor);
    EXPECT_EQ(ApplySelectionKey(klib::kKeyInsert, kW, kH, &s), KeyAction::ToggleCursor);
    EXPECT_EQ(ApplySelectionKey('=' | klib::kKeyShift, kW, kH, &s), KeyAction::ToggleCursor);
    EXPECT_EQ(ApplySelectionKey('=', kW, kH, &s), KeyAction::None);
    EXPECT_EQ(ApplySelectionKey('-', kW, kH, &s), KeyAction::ToggleLabel);
    EXPECT_FALSE(s.showSize);
    ApplySelectionKey('-', kW, kH, &s);
    EXPECT_TRUE(s.showSize);

    // 'x' follows only horizontal moves: y locked, x free; again unlocks.
    s.lockX = true;
    ApplySelectionKey('x', kW, kH, &s);
    EXPECT_TRUE(s.lockY);
    EXPECT_FALSE(s.lockX);
    ApplySelectionKey('X' | klib::kKeyShift, kW, kH, &s);
    EXPECT_FALSE(s.lockY);
    ApplySelectionKey('y', kW, kH, &s);
    EXPECT_TRUE(s.lockX);
    EXPECT_FALSE(s.lockY);

    int seen[5];
    for (int i = 0; i < 5; ++i) {
        seen[i] = s.helpMode;
        EXPECT_EQ(ApplySelectionKey(klib::kKeyF1, kW, kH, &s), KeyAction::NextHelpMode);
    }
    EXPECT_EQ(seen[0], 3);
    EXPECT_EQ(seen[1], 0);
    EXPECT_EQ(seen[2], 1);
    EXPECT_EQ(seen[3], 2);
    EXPECT_EQ(seen[4], 3);
    EXPECT_EQ(ApplySelectionKey('q', kW, kH, &s), KeyAction::None);
}

TEST(HelpPanel, SizesPerModeAndPhase) {
    EXPECT_EQ(LayOutHelpPanel(0, false, 8, 13).width, 0);
    HelpPanelLayout text = LayOutHelpPanel(1, false, 8, 13);
    EXPECT_EQ(text.width, 36 * 8);
    EXPECT_EQ(text.height, 10 * 13);
    EXPECT_EQ(text.magnifier.Width(), 0);
    EXPECT_EQ(LayOutHelpPanel(1, true, 8, 13).height, 14 * 13);

    HelpPanelLayout both = LayOutHelpPanel(3, false, 8, 13);
    EXPECT_EQ(both.height, 10 * 13 + 102);
    EXPECT_EQ(both.magnifier.Width(), 96);
    EXPECT_EQ(both.magnifier.bottom, both.height - 3);
    EXPECT_EQ(both.magnifier.left, (36 * 8 - 96) / 2);

    HelpPanelLayout mag = LayOutHelpPanel(2, true, 8, 13);
    EXPECT_EQ(mag.width, 134);
    EXPECT_EQ(mag.height, 134);
    EXPECT_EQ(mag.magnifier, (SelRect{3, 3, 131, 131}));
}

TEST(HelpPanel, MovesAwayFromTheCursor) {
    EXPECT_EQ(PlaceHelpPanel({500, 400}, 288, 232, kW, kH), (SelPoint{0, 0}));
    EXPECT_EQ(PlaceHelpPanel({10, 400}, 288, 232, kW, kH), (SelPoint{kW - 288, 0}));
    EXPECT_EQ(PlaceHelpPanel({500, 10}, 288, 232, kW, kH), (SelPoint{0, kH - 232}));
    EXPECT_EQ(PlaceHelpPanel({10, 10}, 288, 232, kW, kH), (SelPoint{kW - 288, kH - 232}));
    EXPECT_EQ(MagnifiedSource({100, 50}), (SelRect{84, 34, 116, 66}));
}

TEST(ScrollInfo, ScrollableWhileThePositionIsBelowTheLastPage) {
    EXPECT_TRUE(ScrollInfoScrollable(0, 100, 20));
    EXPECT_FALSE(ScrollInfoScrollable(80, 100, 20));
    EXPECT_TRUE(ScrollInfoScrollable(0, 2, 0));  // page 0 counts as 1
    EXPECT_FALSE(ScrollInfoScrollable(0, 0, 0));
}

}  // namespace
}  // namespace gmbx
