// The docking decision of one tick: every edge, the near zones to the pixel,
// the corner, and the topmost rule. Screen 1920 x 1080, window 400 x 300.
#include "app/dock_geometry.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace tolvane {
namespace {

constexpr DockScreen screen{1920, 1080};
constexpr int W = 400;
constexpr int H = 300;
constexpr DockPoint away{960, 540};

struct DockCase {
    const char* name;
    int left;
    int top;
    DockPoint cursor;
    DockPlacement expected;
    DockScreen screen = tolvane::screen;
    int width = W;
};

class DockGeometryTest : public testing::TestWithParam<DockCase> {};

TEST_P(DockGeometryTest, DecidesPlaceAndTopmost) {
    const DockCase& c = GetParam();
    const DockPlacement placed = dockPlacement({c.left, c.top, c.width, H}, c.cursor, c.screen);
    EXPECT_EQ(placed.left, c.expected.left);
    EXPECT_EQ(placed.top, c.expected.top);
    EXPECT_EQ(placed.topmost, c.expected.topmost);
}

const DockCase cases[] = {
    {"free window stays and is not topmost", 500, 300, {600, 400}, {500, 300, false}},
    {"free window with the mouse away", 500, 300, away, {500, 300, false}},

    // Top edge.
    {"dragged above the top with the mouse inside comes back to 0",
     100,
     -40,
     {200, 100},
     {100, 0, true}},
    {"shown at the top with the mouse inside stays", 100, 0, {200, 100}, {100, 0, true}},
    {"shown at the top hides when the mouse leaves", 100, 0, away, {100, 2 - H, true}},
    {"hidden at the top stays hidden with the mouse away", 100, 2 - H, away, {100, 2 - H, true}},
    {"hidden at the top returns for the cursor at y 11", 100, 2 - H, {91, 11}, {100, 0, true}},
    {"hidden at the top ignores the cursor at y 12", 100, 2 - H, {200, 12}, {100, 2 - H, true}},
    {"hidden at the top ignores the cursor 10 left of it", 100, 2 - H, {90, 5}, {100, 2 - H, true}},
    {"hidden at the top returns for the cursor 9 right of it",
     100,
     2 - H,
     {509, 5},
     {100, 0, true}},

    // Left edge.
    {"shown at the left hides when the mouse leaves", 0, 300, away, {2 - W, 300, true}},
    {"hidden at the left returns for the cursor at x 11", 2 - W, 300, {11, 400}, {0, 300, true}},
    {"hidden at the left ignores the cursor at x 12", 2 - W, 300, {12, 400}, {2 - W, 300, true}},
    {"dragged past the left with the mouse inside comes back to 0",
     -30,
     300,
     {100, 400},
     {0, 300, true}},

    // Right edge.
    {"touching the right hides when the mouse leaves", 1520, 300, away, {1918, 300, true}},
    {"past the right with the mouse inside is clamped", 1600, 300, {1700, 400}, {1520, 300, true}},
    {"hidden at the right returns for the cursor at x 1909",
     1918,
     300,
     {1909, 400},
     {1520, 300, true}},
    {"hidden at the right ignores the cursor at x 1908", 1918, 300, {1908, 400}, {1918, 300, true}},
    {"hidden at the right ignores the cursor 10 above it",
     1918,
     300,
     {1915, 290},
     {1918, 300, true}},
    {"hidden at the right returns for the cursor 9 below it",
     1918,
     300,
     {1915, 609},
     {1520, 300, true}},

    // Bottom edge.
    {"within the bottom band with the mouse over it is lifted",
     500,
     760,
     {600, 900},
     {500, 750, false}},
    {"shown at the bottom drops when the mouse leaves", 500, 750, away, {500, 1078, false}},
    {"hidden at the bottom stays with the mouse away", 500, 1078, away, {500, 1078, true}},
    {"hidden at the bottom returns for the cursor at y 1069",
     500,
     1078,
     {600, 1069},
     {500, 750, true}},
    {"hidden at the bottom ignores the cursor at y 1068",
     500,
     1078,
     {600, 1068},
     {500, 1078, true}},
    {"31 pixels above the bottom does not hide", 500, 749, away, {500, 749, false}},
    {"within the band with the mouse away stays where it is", 500, 760, away, {500, 760, false}},
    {"shown at the bottom and the left is topmost", 0, 750, {100, 900}, {0, 750, true}},

    // Corners: both edges act in the same tick.
    {"top-left corner hides both ways", 0, 0, away, {2 - W, 2 - H, true}},
    {"hidden top-left corner returns both ways", 2 - W, 2 - H, {5, 5}, {0, 0, true}},
    {"top-right corner hides both ways", 1520, 0, away, {1918, 2 - H, true}},

    // The right step sees the left step's move: a window as wide as the screen is
    // pulled to 0, then touches the right edge with the cursor just past its zone.
    {"each step sees the moves before it", -5, 300, {402, 400}, {398, 300, true}, {400, 1080}, 400},
};

INSTANTIATE_TEST_SUITE_P(Edges, DockGeometryTest, testing::ValuesIn(cases),
                         [](const testing::TestParamInfo<DockCase>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

TEST(DockGeometrySlideTest, DraggedToTheTopThenLeftThenBack) {
    // One window over several ticks, as the timer drives it.
    DockRect window{700, -25, W, H};
    auto tick = [&](DockPoint cursor) {
        const DockPlacement placed = dockPlacement(window, cursor, screen);
        window.left = placed.left;
        window.top = placed.top;
        return placed;
    };
    EXPECT_EQ(tick({800, 50}), (DockPlacement{700, 0, true}));
    EXPECT_EQ(tick(away), (DockPlacement{700, 2 - H, true}));
    EXPECT_EQ(tick(away), (DockPlacement{700, 2 - H, true}));
    EXPECT_EQ(tick({800, 3}), (DockPlacement{700, 0, true}));
    window.top = 200; // dragged back in
    EXPECT_EQ(tick(away), (DockPlacement{700, 200, false}));
}

} // namespace
} // namespace tolvane
