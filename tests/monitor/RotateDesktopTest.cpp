#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include "monitor/MonitorTestSupport.h"
#include "orvane/monitor/MonitorInventory.h"
#include "orvane/monitor/SupportedMonitorList.h"
#include "orvane/monitor/VcpAccess.h"
#include "support/TestSupport.h"

namespace orvane {
namespace {

using test::LogCapture;
using test::MakeSim;
using test::SimDisplay;
using test::SimMonitor;

QJsonObject UhdDescription(int orientation, bool accept)
{
    QJsonObject display = SimDisplay("D1", 0, 3840, 2160);
    display["orientation"] = orientation;
    display["acceptRotation"] = accept;
    display["modes"] = QJsonArray{QJsonObject{{"width", 1920}, {"height", 1080}, {"hz", 120}},
                                  QJsonObject{{"width", 3840}, {"height", 2160}, {"hz", 30}},
                                  QJsonObject{{"width", 3840}, {"height", 2160}, {"hz", 60}},
                                  QJsonObject{{"width", 2160}, {"height", 3840}, {"hz", 50}}};
    return {{"displays", QJsonArray{display}},
            {"monitors", QJsonArray{SimMonitor("uhd", "D1", 0x4F10, 3840, 2160, "0001")}}};
}

QJsonArray Rotations(const QString& path)
{
    return QJsonDocument::fromJson(test::ReadFile(path)).object().value("rotations").toArray();
}

class RotateDesktopTest : public ::testing::Test {
protected:
    void Build(int orientation, bool accept = true)
    {
        sim = MakeSim(UhdDescription(orientation, accept));
        vcp = std::make_unique<VcpAccess>(sim.platform->MonitorConfig());
        inventory = std::make_unique<MonitorInventory>(*sim.platform, *vcp);
        list = std::make_unique<SupportedMonitorList>(*inventory, *vcp, *sim.platform);
        ASSERT_EQ(list->Count(), 1);
    }

    test::SimSetup sim;
    std::unique_ptr<VcpAccess> vcp;
    std::unique_ptr<MonitorInventory> inventory;
    std::unique_ptr<SupportedMonitorList> list;
};

TEST_F(RotateDesktopTest, PortraitTurnsTheNativeSizeAtTheBestFrequency)
{
    Build(0);
    LogCapture log;
    ASSERT_TRUE((*list)[0].Rotate(platform::DMDO_90));
    EXPECT_TRUE(log.Contains("bits: 32  frequency: 30  fixedOutput: 0"));
    EXPECT_TRUE(log.Contains("bits: 32  frequency: 50  fixedOutput: 0"));
    EXPECT_FALSE(log.Contains("bits: 32  frequency: 120  fixedOutput: 0"));
    QJsonArray rotations = Rotations(sim.path);
    ASSERT_EQ(rotations.size(), 1);
    QJsonObject change = rotations[0].toObject();
    EXPECT_EQ(change.value("orientation").toInt(), 1);
    EXPECT_EQ(change.value("width").toInt(), 2160);
    EXPECT_EQ(change.value("height").toInt(), 3840);
    EXPECT_EQ(change.value("frequency").toInt(), 60);
    EXPECT_EQ(change.value("fields").toInt(), 0x00580080);
    EXPECT_EQ(change.value("flags").toInt(), 1);
    EXPECT_EQ(inventory->Displays()[0].orientation, 1);
    // The copies in the other records stay as enumerated.
    EXPECT_EQ(inventory->Monitors()[0].orientation, 0);
    EXPECT_EQ((*list)[0].orientation, 0);

    ASSERT_TRUE((*list)[0].Rotate(platform::DMDO_270));
    change = Rotations(sim.path)[1].toObject();
    EXPECT_EQ(change.value("orientation").toInt(), 3);
    EXPECT_EQ(change.value("width").toInt(), 2160);
    EXPECT_EQ(change.value("height").toInt(), 3840);

    ASSERT_TRUE((*list)[0].Rotate(platform::DMDO_DEFAULT));
    change = Rotations(sim.path)[2].toObject();
    EXPECT_EQ(change.value("orientation").toInt(), 0);
    EXPECT_EQ(change.value("width").toInt(), 3840);
    EXPECT_EQ(change.value("height").toInt(), 2160);
    EXPECT_EQ(inventory->Displays()[0].orientation, 0);
}

TEST_F(RotateDesktopTest, AlreadyThereMakesNoChangeCall)
{
    Build(1);
    EXPECT_EQ(inventory->RotateDesktop("D1", 1, 3840, 2160, 60.0), 1);
    EXPECT_TRUE(Rotations(sim.path).isEmpty());
}

TEST_F(RotateDesktopTest, UpsideDownKeepsTheStoredSize)
{
    Build(2);
    EXPECT_EQ(inventory->RotateDesktop("D1", 1, 3840, 2160, 59.9), 1);
    const QJsonObject change = Rotations(sim.path)[0].toObject();
    EXPECT_EQ(change.value("width").toInt(), 3840);
    EXPECT_EQ(change.value("height").toInt(), 2160);
    EXPECT_EQ(change.value("frequency").toInt(), 59);
}

TEST_F(RotateDesktopTest, RefusedOrUnreadableLeavesTheInventoryAlone)
{
    Build(0, false);
    EXPECT_FALSE((*list)[0].Rotate(platform::DMDO_90));
    EXPECT_EQ(Rotations(sim.path).size(), 1);
    EXPECT_EQ(inventory->Displays()[0].orientation, 0);
    EXPECT_EQ(inventory->RotateDesktop("no such display", 1, 3840, 2160, 60), 0);
    EXPECT_EQ(Rotations(sim.path).size(), 1);
}

}  // namespace
}  // namespace orvane
