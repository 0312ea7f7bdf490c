// Turning one monitor of a GNOME layout: mode choice, the layout kept
// without gaps, every other monitor's settings kept.
#include <gtest/gtest.h>

#include <limits>

#include "platform/linux/gnome/MutterState.h"
#include "support/DisplayRequest.h"
#include "tests/linux/Samples.h"

using namespace orvane::platform;
using namespace orvane::platform::linuxplatform;
using orvane::test::Turn;

namespace {

MutterState SideBySide()
{
    MutterState state;
    state.serial = 7;
    state.logicalLayout = true;
    MutterMonitor left{"DP-1", "ABC", "4K", "1", {}};
    left.modes = {{"3840x2160@60", 3840, 2160, 60.0, true, true}, {"3840x2160@30", 3840, 2160, 30.0, false, false},
                  {"1920x1080@60", 1920, 1080, 60.0, false, false}};
    MutterMonitor right{"HDMI-1", "XYZ", "HD", "2", {}};
    right.modes = {{"1920x1080@60", 1920, 1080, 60.0, true, true}};
    MutterMonitor below{"DP-2", "XYZ", "HD", "3", {}};
    below.modes = {{"1920x1080@60", 1920, 1080, 60.0, true, true}};
    state.monitors = {left, right, below};
    state.logicalMonitors = {MutterLogicalMonitor{0, 0, 2.0, 0, true, {"DP-1"}},
                             MutterLogicalMonitor{1920, 0, 1.0, 0, false, {"HDMI-1"}},
                             MutterLogicalMonitor{0, 1080, 1.0, 0, false, {"DP-2"}}};
    return state;
}

}  // namespace

TEST(MutterPlan, BoundsFollowTransformAndScale)
{
    MutterState state = SideBySide();
    const Rect left = state.Bounds(state.logicalMonitors[0]);
    EXPECT_EQ(left.right, 1920);  // 3840 at scale 2 in the logical layout
    EXPECT_EQ(left.bottom, 1080);
    state.logicalMonitors[0].transform = 1;
    EXPECT_EQ(state.Bounds(state.logicalMonitors[0]).right, 1080);
    state.logicalLayout = false;
    EXPECT_EQ(state.Bounds(state.logicalMonitors[0]).bottom, 3840);
}

TEST(MutterPlan, TurningKeepsTheLayoutWithoutGaps)
{
    const auto plan = PlanMutterChange(SideBySide(), "DP-1", Turn(DMDO_90, 2160, 3840, 60));
    ASSERT_EQ(plan.result, DISP_CHANGE_SUCCESSFUL);
    EXPECT_FALSE(plan.nothingToDo);
    ASSERT_EQ(plan.logicalMonitors.size(), 3u);
    EXPECT_EQ(plan.logicalMonitors[0].transform, 1u);
    EXPECT_EQ(plan.logicalMonitors[0].scale, 2.0);
    EXPECT_TRUE(plan.logicalMonitors[0].primary);
    // Turned, the left monitor is 1080 wide and 1920 tall in the layout.
    EXPECT_EQ(plan.logicalMonitors[1].x, 1080);
    EXPECT_EQ(plan.logicalMonitors[1].y, 0);
    EXPECT_EQ(plan.logicalMonitors[2].x, 0);
    EXPECT_EQ(plan.logicalMonitors[2].y, 1920);
    EXPECT_EQ(plan.logicalMonitors[1].transform, 0u);
    EXPECT_EQ(plan.modeIds, (std::vector<std::vector<std::string>>{{"3840x2160@60"}, {"1920x1080@60"},
                                                                   {"1920x1080@60"}}));
}

TEST(MutterPlan, ModeChoiceRefusalsAndNoOp)
{
    const MutterState state = SideBySide();
    EXPECT_EQ(PlanMutterChange(state, "DP-1", Turn(DMDO_DEFAULT, 3840, 2160, 30)).modeIds[0][0], "3840x2160@30");
    EXPECT_TRUE(PlanMutterChange(state, "DP-1", Turn(DMDO_DEFAULT, 3840, 2160, 60)).nothingToDo);
    EXPECT_EQ(PlanMutterChange(state, "DP-1", Turn(DMDO_DEFAULT, 3840, 2160, 75)).result, DISP_CHANGE_BADMODE);
    EXPECT_EQ(PlanMutterChange(state, "DP-1", Turn(DMDO_90, 3840, 2160, 60)).result, DISP_CHANGE_BADMODE);
    EXPECT_EQ(PlanMutterChange(state, "DP-1", Turn(9, 3840, 2160, 60)).result, DISP_CHANGE_BADMODE);
    EXPECT_EQ(PlanMutterChange(state, "VGA-1", Turn(DMDO_90, 2160, 3840, 60)).result, DISP_CHANGE_FAILED);
}

TEST(MutterPlan, LayoutsAtTheEndOfTheCoordinates)
{
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    MutterState state = SideBySide();
    // A monitor reported so far right that its edge would lie past them.
    state.logicalMonitors[1].x = kMax - 100;
    EXPECT_EQ(state.Bounds(state.logicalMonitors[1]).right, kMax);
    // Turning the upright left monitor back would push its neighbour past them.
    state.logicalMonitors[0] = {kMax - 1500, 0, 2.0, 1, true, {"DP-1"}};
    state.logicalMonitors[1].x = kMax - 1500 + 1080;
    EXPECT_EQ(PlanMutterChange(state, "DP-1", Turn(DMDO_DEFAULT, 3840, 2160, 60)).result, DISP_CHANGE_BADMODE);
}
