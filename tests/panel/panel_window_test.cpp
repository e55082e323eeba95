// The quick panel beside the icon: its placement on either side, the near strip,
// the fade in and out with the close at the end, and the creation steps.
#include "tests/panel/panel_fixture.h"

#include "panel/panel_window.h"

namespace {

using paneltest::kPanel;
using paneltest::Panel;

std::vector<int> steps(int from, int to, int by) {
    std::vector<int> v;
    for (int x = from; by > 0 ? x <= to : x >= to; x += by) v.push_back(x);
    return v;
}
std::vector<int> operator+(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct PlacementCase {
    int screenWidth, iconLeft, panelLeft;
};

TEST(PanelPlacement, OpensOnTheSideFacingTheMiddleOfTheScreen) {
    const PlacementCase cases[] = {
        {1920, 1878, 1438}, {1920, 0, 47},    {1920, 960, 1007},
        {1920, 961, 521},   {1365, 682, 729}, {1365, 683, 243},
    };
    for (const PlacementCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.screenWidth) + " / " + std::to_string(c.iconLeft));
        Panel t(c.screenWidth, c.iconLeft, 500);
        t.open();
        // Created centred and with opacity 1; the first tick moves it beside the icon.
        EXPECT_EQ(t.panel(prop::kLeft), (c.screenWidth - 435) / 2);
        EXPECT_EQ(t.opacities(), std::vector<int>{1});
        EXPECT_EQ(t.state.panelAlpha, 0);
        t.tick();
        EXPECT_EQ(t.panel(prop::kLeft), c.panelLeft);
        EXPECT_EQ(t.panel(prop::kTop), 396);
        EXPECT_EQ(t.opacities(), (std::vector<int>{1, 10}));
        EXPECT_TRUE(t.desk.misuses.empty());
    }
}

struct NearCase {
    int iconLeft;
    int x, y;
    bool near;
};

TEST(PanelNearness, CountsTheStripTowardsTheIconAndOnePastTheEdges) {
    // Icon 42 wide at top 500: panel top 396, bottom edge 396 + 265 = 661.
    // Right half (1878): panel 1438..1873, strip to 1913 = icon columns up to X + 35.
    // Left half (100): panel 147..582, strip from 107 = icon columns from X + 7.
    const NearCase cases[] = {
        {1878, 1878, 520, true},  {1878, 1913, 520, true},  {1878, 1914, 520, false},
        {1878, 1919, 520, false}, {1878, 1438, 520, true},  {1878, 1437, 520, false},
        {100, 107, 520, true},    {100, 106, 520, false},   {100, 100, 520, false},
        {100, 141, 520, true},    {100, 582, 520, true},    {100, 583, 520, false},
        {100, 300, 396, true},    {100, 300, 395, false},   {100, 300, 661, true},
        {100, 300, 662, false},
    };
    for (const NearCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.iconLeft) + ": " + std::to_string(c.x) + "," +
                     std::to_string(c.y));
        Panel t(1920, c.iconLeft, 500);
        t.open();
        t.tick();
        t.desk.pointTo(c.x, c.y);
        EXPECT_EQ(panel::isPointerNearPanel(t.desk, t.state), c.near);
    }
}

TEST(PanelNearness, PointerOnTheFarColumnsOfTheIconClosesTheNewPanelAtOnce) {
    for (auto [iconLeft, dx] : {std::pair{1878, 38}, std::pair{100, 3}}) {
        SCOPED_TRACE(iconLeft);
        Panel t(1920, iconLeft, 500);
        t.open(dx);
        t.tick();
        EXPECT_FALSE(t.desk.isLoaded(kPanel));
        EXPECT_EQ(t.opacities(), std::vector<int>{1});
    }
}

TEST(PanelFade, RisesTo230ThenFadesOutAndClosesOnTheEleventhTick) {
    Panel t;
    t.open();
    t.tick(25);
    EXPECT_EQ(t.opacities(), std::vector<int>{1} + steps(10, 230, 10));
    t.pointAway();
    t.tick(10);
    EXPECT_EQ(t.opacities(), std::vector<int>{1} + steps(10, 230, 10) + steps(207, 0, -23));
    EXPECT_TRUE(t.desk.isLoaded(kPanel));
    t.tick();
    EXPECT_FALSE(t.desk.isLoaded(kPanel));

    // The next panel starts from scratch.
    t.desk.opacityWrites.clear();
    t.open();
    t.tick(2);
    EXPECT_EQ(t.opacities(), (std::vector<int>{1, 10, 20}));
}

TEST(PanelFade, ReturningPointerResumesFromTheCurrentLevel) {
    Panel t;
    t.open();
    t.tick(23);
    t.pointAway();
    t.tick(2);
    t.desk.opacityWrites.clear();
    t.desk.pointTo(t.iconLeft + 10, t.iconTop + 10);  // back over the icon: the near strip
    t.tick(7);
    EXPECT_EQ(t.opacities(), (std::vector<int>{194, 204, 214, 224, 234}));
    EXPECT_EQ(t.state.panelAlpha, 234);

    // From 234 the last step falls below 0: the window is shown fully transparent
    // (never as opaque), the level keeps its value and the close comes a tick later.
    t.desk.opacityWrites.clear();
    t.pointAway();
    t.tick(11);
    EXPECT_EQ(t.opacities(), steps(211, 4, -23) + std::vector<int>{0});
    EXPECT_EQ(t.state.panelAlpha, -19);
    EXPECT_EQ(t.desk.window(kPanel)->opacity, 0);
    EXPECT_TRUE(t.desk.isLoaded(kPanel));
    t.tick();
    EXPECT_FALSE(t.desk.isLoaded(kPanel));
    EXPECT_TRUE(t.desk.misuses.empty());
}

TEST(PanelFade, EscapeClosesThePanel) {
    Panel t;
    t.open();
    t.tick(3);
    t.desk.pressKey(win(kPanel), 27);
    EXPECT_FALSE(t.desk.isLoaded(kPanel));
    t.tick(3);
    EXPECT_TRUE(t.desk.misuses.empty());
}

}  // namespace
