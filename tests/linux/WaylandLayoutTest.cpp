// Turning one output of a KDE or wlroots layout: what the compositor is to
// be sent, in its own terms (mode indices, mHz, flipped transforms).
#include <gtest/gtest.h>

#include "platform/linux/wayland/WaylandLayout.h"
#include "support/DisplayRequest.h"
#include "tests/linux/Samples.h"

using namespace orvane::platform;
using namespace orvane::platform::linuxplatform;
using orvane::test::Turn;

namespace {

WaylandLayout Layout()
{
    WaylandOutput off;
    off.name = "HDMI-A-1";
    off.modes = {{1920, 1080, 60000, true}};
    WaylandOutput right;
    right.name = "DP-2";
    right.enabled = true;
    right.x = 1920;
    right.transform = 4;  // flipped
    right.modes = {{1920, 1080, 60000, true}};
    right.currentMode = 0;
    WaylandOutput left;
    left.name = "DP-1";
    left.enabled = true;
    left.scale = 2;
    left.modes = {{3840, 2160, 30000, false}, {3840, 2160, 59940, true}, {3840, 2160, 60000, false},
                  {2560, 1440, 144000, false}};
    left.currentMode = 1;
    left.edid = {0x00, 0xff};
    return WaylandLayout{{off, right, left}};
}

}  // namespace

TEST(WaylandLayout, ShownOutputsAndTheOneStandingForThePrimary)
{
    const WaylandLayout layout = Layout();
    EXPECT_EQ(layout.PrimaryName(), "DP-1") << "the output at the origin";
    const MutterState state = layout.AsMutterState();
    ASSERT_EQ(state.logicalMonitors.size(), 2u) << "a disabled output shows nothing";
    const Rect left = state.Bounds(state.logicalMonitors[1]);
    EXPECT_EQ(left.right, 1920) << "size divided by the scale";
    EXPECT_EQ(state.logicalMonitors[0].transform, 0u) << "a flip is no turn";
    EXPECT_TRUE(state.logicalMonitors[1].primary);
}

TEST(WaylandLayout, TurningChoosesTheModeKeepsFlipsAndMovesTheNeighbour)
{
    const WaylandLayout layout = Layout();
    // 60 Hz asked: the current 59.94 Hz mode counts as 60 and is kept.
    WaylandChangePlan plan = PlanWaylandChange(layout, "DP-1", Turn(DMDO_90, 2160, 3840, 60));
    ASSERT_EQ(plan.result, DISP_CHANGE_SUCCESSFUL);
    EXPECT_FALSE(plan.nothingToDo);
    const WaylandOutput* turned = plan.layout.Output("DP-1");
    EXPECT_EQ(turned->transform, 1);
    EXPECT_EQ(turned->currentMode, 1);
    EXPECT_EQ(turned->edid, layout.Output("DP-1")->edid);
    EXPECT_EQ(plan.layout.Output("DP-2")->x, 1080) << "the neighbour keeps touching the turned edge";
    EXPECT_EQ(plan.layout.Output("DP-2")->transform, 4);
    EXPECT_FALSE(plan.layout.Output("HDMI-A-1")->enabled);

    // No rate given: the fastest of that size.
    plan = PlanWaylandChange(layout, "DP-1", Turn(DMDO_270, 1440, 2560, 0));
    ASSERT_EQ(plan.result, DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(plan.layout.Output("DP-1")->currentMode, 3);
    EXPECT_EQ(plan.layout.Output("DP-1")->transform, 3);

    // The flipped output turns and stays flipped.
    plan = PlanWaylandChange(layout, "DP-2", Turn(DMDO_90, 1080, 1920, 60));
    ASSERT_EQ(plan.result, DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(plan.layout.Output("DP-2")->transform, 5);

    EXPECT_TRUE(PlanWaylandChange(layout, "DP-1", Turn(DMDO_DEFAULT, 3840, 2160, 60)).nothingToDo);
    EXPECT_EQ(PlanWaylandChange(layout, "DP-1", Turn(DMDO_90, 2160, 3840, 75)).result, DISP_CHANGE_BADMODE);
    EXPECT_EQ(PlanWaylandChange(layout, "HDMI-A-1", Turn(DMDO_90, 1080, 1920, 60)).result, DISP_CHANGE_FAILED);
}
