// Where top menus and sub-menus go within a work area, edges included.
#include "controls/UIMenuPlacement.h"

#include <gtest/gtest.h>

#include <vector>

using namespace UiLib;

namespace {

const RECT kWork = {0, 0, 1280, 1000};

::testing::AssertionResult Same(const RECT& a, const RECT& e) {
    if (::EqualRect(&a, &e)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << a.left << "," << a.top << "," << a.right << "," << a.bottom << " not "
                                         << e.left << "," << e.top << "," << e.right << "," << e.bottom;
}

struct TopCase {
    const char* what;
    POINT point;
    DWORD alignment;
    SIZE size;
    RECT expected;
};

TEST(MenuPlacement, TopMenuOpensAtItsPointAndTurnsAtTheEdges) {
    const TopCase cases[] = {
        {"room everywhere", {100, 100}, 0, {150, 200}, {100, 100, 250, 300}},
        {"alignment 8: point is the right edge", {400, 100}, 8, {150, 200}, {250, 100, 400, 300}},
        {"alignment 0x10: point is the bottom edge", {400, 500}, 0x10, {150, 200}, {400, 300, 550, 500}},
        {"main program's alignments 1 and 6 do not move it", {100, 100}, 1 | 6, {150, 200}, {100, 100, 250, 300}},
        {"tray menu at the bottom-right corner turns up and left", {1279, 999}, 0, {150, 200}, {1129, 799, 1279, 999}},
        {"near the bottom only: turns up", {100, 950}, 0, {150, 200}, {100, 750, 250, 950}},
        {"leftwards past the left edge turns right", {50, 100}, 8, {150, 200}, {50, 100, 200, 300}},
        {"upwards past the top turns down", {100, 50}, 0x10, {150, 200}, {100, 50, 250, 250}},
        {"taller than the work area keeps its top inside", {100, 500}, 0, {150, 1200}, {100, 0, 250, 1200}},
    };
    for (const TopCase& c : cases) {
        EXPECT_TRUE(Same(PlaceTopMenu(c.point, c.size, c.alignment, kWork), c.expected)) << c.what;
    }
}

struct SubCase {
    const char* what;
    RECT parent;
    int ownerTop;
    std::vector<RECT> earlier;
    RECT expected;
};

TEST(MenuPlacement, SubMenuOpensBesideItsParentAndKeepsItsDirection) {
    const SIZE size = {120, 90};
    const SubCase cases[] = {
        {"right of the parent at the item's top", {100, 100, 250, 400}, 130, {}, {250, 130, 372, 220}},
        {"parent at the right edge: to its left", {1150, 100, 1280, 400}, 130, {}, {1030, 130, 1150, 220}},
        {"an earlier level right of the parent: continues left", {500, 100, 650, 400}, 130,
         {{650, 100, 800, 400}}, {380, 130, 500, 220}},
        {"an earlier level below the parent: continues up", {500, 500, 650, 700}, 520,
         {{500, 700, 650, 900}}, {650, 410, 772, 500}},
        {"item near the bottom: moved up by its height", {100, 700, 250, 990}, 950, {}, {250, 860, 372, 950}},
        {"left of the work area after turning: back to the right", {0, 100, 100, 400}, 130,
         {{100, 100, 200, 400}}, {100, 130, 220, 220}},
    };
    for (const SubCase& c : cases) {
        EXPECT_TRUE(Same(PlaceSubMenu(c.parent, c.ownerTop, size, c.earlier, kWork), c.expected)) << c.what;
    }
}

TEST(MenuPlacement, DeeperLevelsAtTheRightEdgeAllOpenLeftwards) {
    const SIZE size = {150, 90};
    const RECT top = {1100, 100, 1250, 400};
    const RECT second = PlaceSubMenu(top, 130, size, {}, kWork);
    EXPECT_EQ(second.right, top.left);
    const RECT third = PlaceSubMenu(second, 150, size, {top}, kWork);
    EXPECT_EQ(third.right, second.left);
}

}  // namespace
