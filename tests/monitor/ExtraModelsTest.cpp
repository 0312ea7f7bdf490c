// Models added by the user in the settings: the entry form, the two settings
// files, the inventory accepting the added model and orvane-probe's report.
#include <QDir>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include "common/Settings.h"
#include "monitor/MonitorTestSupport.h"
#include "orvane/monitor/ModelCode.h"
#include "orvane/monitor/MonitorInventory.h"
#include "orvane/monitor/VcpAccess.h"
#include "support/TestSupport.h"
#include "tools/orvane-probe/ProbeReport.h"

namespace orvane {
namespace {

void WriteUserSettings(const QByteArray& text)
{
    const QString path = UserSettingsFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    test::WriteFile(path, text);
}

TEST(ExtraModelsTest, EntriesAreReadLikeHardwareIds)
{
    const auto model = ParseModelCode(" oth4f1a ");
    ASSERT_TRUE(model);
    EXPECT_EQ(model->manufacturer, QByteArray("OTH"));
    EXPECT_EQ(model->product, 0x4F1A);
    EXPECT_EQ(ModelCodeText(*model), "OTH4F1A");
    for (const char* bad : {"", "OT1234", "OTHX1234", "OTH12345", "OTH123G", "1231234", "OTH0000"})
        EXPECT_FALSE(ParseModelCode(bad)) << bad;
    // One bad entry costs only itself.
    EXPECT_EQ(ParseModelCodes({"ABC0001", "nonsense", "", "DEF0002"}).size(), 2u);

    QByteArray edid(128, '\0');
    edid[8] = 0x3E;  // "OTH": 01111 10100 01000
    edid[9] = static_cast<char>(0x88);
    edid[10] = 0x34;
    edid[11] = 0x12;
    const auto fromEdid = ModelCodeOfEdid(edid);
    ASSERT_TRUE(fromEdid);
    EXPECT_EQ(ModelCodeText(*fromEdid), "OTH1234");
    EXPECT_FALSE(ModelCodeOfEdid(QByteArray(128, '\0')));
    EXPECT_FALSE(ModelCodeOfEdid(QByteArray(8, '\1')));
}

TEST(ExtraModelsTest, TheFileBesideTheProgramComesFirstTheUserFileFillsIn)
{
    const QString programDir = test::MakeScratchDir("program");
    test::WriteFile(programDir + "/RunInfo.ini", "[TraceSet]\nTraceLevel=2\n[Monitors]\nModels=AAA0001\n");
    WriteUserSettings("[TraceSet]\nTraceLevel=4\n[Others]\nSite=true\n[Monitors]\nModels=BBB0002, CCC0003\n");
    EXPECT_EQ(ReadSetting("TraceSet/TraceLevel", 1, programDir).toInt(), 2);
    EXPECT_TRUE(ReadSetting("Others/Site", QString(), programDir).toBool());
    EXPECT_EQ(ReadSetting("Others/Missing", 7, programDir).toInt(), 7);
    EXPECT_EQ(ReadExtraModelEntries(programDir), (QStringList{"AAA0001", "BBB0002", "CCC0003"}));
    QFile::remove(UserSettingsFilePath());
}

TEST(ExtraModelsTest, AnAddedModelIsSupportedAndTheProbeSaysHowToAddOne)
{
    {
        auto sim = test::MakeSimFromExample("two-plus-unsupported.json");
        ASSERT_TRUE(sim.platform);
        VcpAccess vcp(sim.platform->MonitorConfig());
        MonitorInventory inventory(*sim.platform, vcp);
        ASSERT_EQ(inventory.m_nSupportedCount, 2);
        const ProbeResult probe = ProbeMonitors(*sim.platform, inventory);
        EXPECT_EQ(probe.supported, 2);
        EXPECT_TRUE(probe.text.contains("Monitor 3: Office 24 on \\\\.\\DISPLAY3\n"
                                        "  manufacturer OTH, product code 0x1234 (model OTH1234)\n"
                                        "  DDC/CI: answers\n"
                                        "  VCP 0xAA (orientation): not supported\n"
                                        "  supported: no; this settings line adds the model:\n"
                                        "    [Monitors]\n    Models=OTH1234\n"))
            << qPrintable(probe.text);
        EXPECT_TRUE(probe.text.contains("  VCP 0xAA (orientation): supported, value 1 (landscape)\n  supported: yes\n"));
        EXPECT_TRUE(probe.text.endsWith("Supported monitors: 2\n"));
    }
    // Same product code under another maker's id does not count.
    WriteUserSettings("[Monitors]\nModels=XYZ1234\n");
    {
        auto sim = test::MakeSimFromExample("two-plus-unsupported.json");
        VcpAccess vcp(sim.platform->MonitorConfig());
        EXPECT_EQ(MonitorInventory(*sim.platform, vcp).m_nSupportedCount, 2);
    }
    WriteUserSettings("[Monitors]\nModels=XYZ1234,oth1234\n");
    auto sim = test::MakeSimFromExample("two-plus-unsupported.json");
    VcpAccess vcp(sim.platform->MonitorConfig());
    MonitorInventory inventory(*sim.platform, vcp);
    EXPECT_EQ(inventory.m_nSupportedCount, 3);
    EXPECT_TRUE(inventory.Monitors()[2].supported);
    const ProbeResult probe = ProbeMonitors(*sim.platform, inventory);
    EXPECT_FALSE(probe.text.contains("Models="));
    EXPECT_TRUE(probe.text.endsWith("Supported monitors: 3\n"));
    QFile::remove(UserSettingsFilePath());
}

}  // namespace
}  // namespace orvane
