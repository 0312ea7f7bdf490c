// Display settings over RandR without a server: the orientation mapping, the
// mode list, the choice of mode and the screen size, and the order of the
// change with its way back.
#include <gtest/gtest.h>

#include "platform/linux/x11/RandrSettings.h"
#include "support/DisplayRequest.h"
#include "tests/linux/Samples.h"

using namespace orvane::platform;
using namespace orvane::platform::linuxplatform;
using orvane::test::Turn;

namespace {

// Two outputs side by side: DP-1 3840x2160 at (0,0) and HDMI-1 1920x1080 at (3840,0).
RandrScreen TwoOutputs()
{
    RandrScreen screen;
    screen.width = 5760;
    screen.height = 2160;
    screen.widthMm = 1524;
    screen.heightMm = 571;
    screen.minWidth = 8;
    screen.minHeight = 8;
    screen.maxWidth = 16384;
    screen.maxHeight = 16384;
    screen.modes = {{11, 3840, 2160, 60.0},   {12, 3840, 2160, 30.0}, {13, 2560, 1440, 59.95},
                    {14, 3840, 2160, 59.94},  {21, 1920, 1080, 60.0}, {22, 1920, 1080, 50.0}};
    const std::uint16_t all = kRandrRotate0 | kRandrRotate90 | kRandrRotate180 | kRandrRotate270;
    screen.crtcs = {RandrCrtc{100, 0, 0, 3840, 2160, 11, kRandrRotate0, all, {1}},
                    RandrCrtc{200, 3840, 0, 1920, 1080, 21, kRandrRotate0, all, {2}},
                    RandrCrtc{300, 0, 0, 0, 0, 0, kRandrRotate0, all, {}}};
    screen.outputs = {RandrOutput{1, "DP-1", true, 100, {11, 14, 12, 13}, 1, {}},
                      RandrOutput{2, "HDMI-1", true, 200, {21, 22}, 1, {}}};
    screen.primary = 1;
    return screen;
}

class FakeServer : public RandrServer {
public:
    RandrScreen screen = TwoOutputs();
    std::vector<std::string> calls;
    bool refuseCrtc = false;
    bool refuseScreen = false;

    std::optional<RandrScreen> Read() override { return screen; }
    void Grab() override { calls.push_back("grab"); }
    void Ungrab() override { calls.push_back("ungrab"); }
    bool SetScreenSize(std::int32_t w, std::int32_t h, std::int32_t, std::int32_t) override
    {
        calls.push_back("screen " + std::to_string(w) + "x" + std::to_string(h));
        if (refuseScreen)
            return false;
        screen.width = w;
        screen.height = h;
        return true;
    }
    bool SetCrtc(const RandrCrtcConfig& config) override
    {
        calls.push_back("crtc " + std::to_string(config.crtc) + " mode " + std::to_string(config.mode) + " rot " +
                        std::to_string(config.rotation) + " at " + std::to_string(config.x) + "," +
                        std::to_string(config.y));
        return !refuseCrtc;
    }
};

}  // namespace

TEST(RandrOrientation, TurnedClockwiseMeansPictureTurnedLeft)
{
    EXPECT_EQ(RandrRotationFor(DMDO_DEFAULT), kRandrRotate0);
    EXPECT_EQ(RandrRotationFor(DMDO_90), kRandrRotate90);
    EXPECT_EQ(RandrRotationFor(DMDO_180), kRandrRotate180);
    EXPECT_EQ(RandrRotationFor(DMDO_270), kRandrRotate270);
    for (std::uint32_t o = 0; o < 4; ++o)
        EXPECT_EQ(OrientationFor(RandrRotationFor(o)), o);
    EXPECT_EQ(OrientationFor(kRandrRotate270 | 0x10 /* reflect X */), std::uint32_t(DMDO_270));
}

TEST(RandrSettings, CurrentSettingsShowTheTurnedSize)
{
    RandrScreen screen = TwoOutputs();
    auto settings = CurrentSettings(screen, "DP-1");
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->orientation, std::uint32_t(DMDO_DEFAULT));
    EXPECT_EQ(settings->pelsWidth, 3840u);
    EXPECT_EQ(settings->pelsHeight, 2160u);
    EXPECT_EQ(settings->displayFrequency, 60u);
    EXPECT_EQ(settings->bitsPerPel, 32u);

    screen.crtcs[0].rotation = kRandrRotate90;
    settings = CurrentSettings(screen, "DP-1");
    EXPECT_EQ(settings->orientation, std::uint32_t(DMDO_90));
    EXPECT_EQ(settings->pelsWidth, 2160u);
    EXPECT_EQ(settings->pelsHeight, 3840u);

    EXPECT_FALSE(CurrentSettings(screen, "VGA-1"));
}

TEST(RandrSettings, ModeListHasOneEntryPerSizeAndWholeRate)
{
    const auto modes = ModeList(TwoOutputs(), "DP-1");
    ASSERT_EQ(modes.size(), 3u);  // 59.94 rounds to the 60 already listed
    EXPECT_EQ(modes[0].pelsWidth, 3840u);
    EXPECT_EQ(modes[0].displayFrequency, 60u);
    EXPECT_EQ(modes[1].displayFrequency, 30u);
    EXPECT_EQ(modes[2].pelsWidth, 2560u);
    EXPECT_TRUE(ModeList(TwoOutputs(), "nothing").empty());
}

TEST(RandrPlan, PortraitUsesTheNativeModeTurnedAndGrowsTheScreen)
{
    const auto plan = PlanChange(TwoOutputs(), "DP-1", Turn(DMDO_90, 2160, 3840, 60));
    ASSERT_EQ(plan.result, DISP_CHANGE_SUCCESSFUL);
    EXPECT_FALSE(plan.nothingToDo);
    EXPECT_EQ(plan.crtc.crtc, 100u);
    EXPECT_EQ(plan.crtc.mode, 11u);  // exactly 60 Hz beats 59.94
    EXPECT_EQ(plan.crtc.rotation, kRandrRotate90);
    EXPECT_EQ(plan.crtc.outputs, std::vector<RandrId>{1});
    // The other output stays at x 3840; the screen must now be 3840 tall.
    EXPECT_EQ(plan.screenWidth, 5760);
    EXPECT_EQ(plan.screenHeight, 3840);
}

TEST(RandrPlan, RateAndSizeChoices)
{
    const RandrScreen screen = TwoOutputs();
    EXPECT_EQ(PlanChange(screen, "DP-1", Turn(DMDO_DEFAULT, 3840, 2160, 30)).crtc.mode, 12u);
    // No rate given: the running mode stays.
    auto settings = Turn(DMDO_DEFAULT, 3840, 2160, 0);
    EXPECT_TRUE(PlanChange(screen, "DP-1", settings).nothingToDo);
    // A rate the output does not offer, a size it does not have, an angle out of range.
    EXPECT_EQ(PlanChange(screen, "DP-1", Turn(DMDO_DEFAULT, 3840, 2160, 75)).result, DISP_CHANGE_BADMODE);
    EXPECT_EQ(PlanChange(screen, "DP-1", Turn(DMDO_90, 3840, 2160, 60)).result, DISP_CHANGE_BADMODE);
    EXPECT_EQ(PlanChange(screen, "DP-1", Turn(7, 3840, 2160, 60)).result, DISP_CHANGE_BADMODE);
    EXPECT_EQ(PlanChange(screen, "VGA-1", Turn(DMDO_90, 2160, 3840, 60)).result, DISP_CHANGE_FAILED);
    // Only the orientation given: the mode is kept and turned.
    DisplaySettings turnOnly;
    turnOnly.fields = DM_DISPLAYORIENTATION;
    turnOnly.orientation = DMDO_270;
    const auto plan = PlanChange(screen, "HDMI-1", turnOnly);
    ASSERT_EQ(plan.result, DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(plan.crtc.mode, 21u);
    EXPECT_EQ(plan.crtc.rotation, kRandrRotate270);
    EXPECT_EQ(plan.screenWidth, 3840 + 1080);
}

TEST(RandrPlan, RefusedWhereTheHardwareCannotTurnOrTheScreenCannotGrow)
{
    RandrScreen screen = TwoOutputs();
    screen.crtcs[0].rotations = kRandrRotate0;
    EXPECT_EQ(PlanChange(screen, "DP-1", Turn(DMDO_90, 2160, 3840, 60)).result, DISP_CHANGE_BADMODE);
    screen = TwoOutputs();
    screen.maxHeight = 2160;
    EXPECT_EQ(PlanChange(screen, "DP-1", Turn(DMDO_90, 2160, 3840, 60)).result, DISP_CHANGE_BADMODE);
}

TEST(RandrApply, GrowsFirstThenTurnsThenFitsTheScreen)
{
    FakeServer server;
    ASSERT_EQ(ApplyChange(server, "DP-1", Turn(DMDO_90, 2160, 3840, 60)), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(server.calls, (std::vector<std::string>{"grab", "screen 5760x3840", "crtc 100 mode 11 rot 2 at 0,0",
                                                      "ungrab"}));

    // Back to landscape: the screen is already large enough, then shrinks to the layout.
    server.calls.clear();
    server.screen.crtcs[0].rotation = kRandrRotate90;
    server.screen.crtcs[0].width = 2160;
    server.screen.crtcs[0].height = 3840;
    ASSERT_EQ(ApplyChange(server, "DP-1", Turn(DMDO_DEFAULT, 3840, 2160, 60)), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(server.calls, (std::vector<std::string>{"grab", "crtc 100 mode 11 rot 1 at 0,0", "screen 5760x2160",
                                                      "ungrab"}));
}

TEST(RandrApply, RefusedCrtcPutsTheScreenBack)
{
    FakeServer server;
    server.refuseCrtc = true;
    EXPECT_EQ(ApplyChange(server, "DP-1", Turn(DMDO_90, 2160, 3840, 60)), DISP_CHANGE_FAILED);
    EXPECT_EQ(server.calls, (std::vector<std::string>{"grab", "screen 5760x3840", "crtc 100 mode 11 rot 2 at 0,0",
                                                      "screen 5760x2160", "ungrab"}));
    EXPECT_EQ(server.screen.height, 2160);

    FakeServer noGrow;
    noGrow.refuseScreen = true;
    EXPECT_EQ(ApplyChange(noGrow, "DP-1", Turn(DMDO_90, 2160, 3840, 60)), DISP_CHANGE_FAILED);
    EXPECT_EQ(noGrow.calls, (std::vector<std::string>{"grab", "screen 5760x3840", "ungrab"}));
}

TEST(RandrApply, NothingIsSentForTheSettingsInForce)
{
    FakeServer server;
    EXPECT_EQ(ApplyChange(server, "DP-1", Turn(DMDO_DEFAULT, 3840, 2160, 60)), DISP_CHANGE_SUCCESSFUL);
    EXPECT_TRUE(server.calls.empty());
}
