// Models added by the user in the settings: the entry form, the two settings
// files, the inventory accepting the added model, orvane-probe's report, and
// its enrolment, which adds a model to the user's file once the monitor has
// reported a turn.
#include <QDir>
#include <QJsonArray>
#include <QSettings>
#include <QThread>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include "common/Settings.h"
#include "monitor/MonitorTestSupport.h"
#include "orvane/monitor/ModelCode.h"
#include "orvane/monitor/MonitorInventory.h"
#include "orvane/monitor/VcpAccess.h"
#include "support/TestSupport.h"
#include "tools/orvane-probe/Enrolment.h"
#include "tools/orvane-probe/ProbeReport.h"
#include "tools/orvane-probe/SettingsEdit.h"

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
        const ProbeResult probe = ProbeMonitors(*sim.platform, inventory, QString());
        EXPECT_EQ(probe.supported, 2);
        EXPECT_TRUE(probe.text.contains("Monitor 3: Office 24 on \\\\.\\DISPLAY3\n"
                                        "  manufacturer OTH, product code 0x1234 (model OTH1234)\n"
                                        "  DDC/CI: answers\n"
                                        "  VCP 0xAA (orientation): not supported\n"
                                        "  supported: no; this settings line adds the model:\n"
                                        "    [Monitors]\n    Models=OTH1234\n"))
            << qPrintable(probe.text);
        EXPECT_TRUE(probe.text.contains("  VCP 0xAA (orientation): supported, value 1 (landscape)\n  supported: yes\n"));
        EXPECT_TRUE(probe.text.endsWith("Monitors found: 3, answering DDC/CI: 3\nSupported monitors: 2\n"))
            << qPrintable(probe.text);
        EXPECT_TRUE(probe.text.contains("run orvane-probe --enrol and pivot the monitor"));
    }
    // Same product code under another maker's id does not count.
    WriteUserSettings("[Monitors]\nModels=XYZ1234\n");
    {
        auto sim = test::MakeSimFromExample("two-plus-unsupported.json");
        VcpAccess vcp(sim.platform->MonitorConfig());
        EXPECT_EQ(MonitorInventory(*sim.platform, vcp).m_nSupportedCount, 2);
        // A tool installed apart from the tray program judges by the tray
        // program's folder.
        const QString programDir = test::MakeScratchDir("program");
        test::WriteFile(programDir + "/RunInfo.ini", "[Monitors]\nModels=OTH1234\n");
        EXPECT_EQ(MonitorInventory(*sim.platform, vcp, programDir).m_nSupportedCount, 3);
    }
    WriteUserSettings("[Monitors]\nModels=XYZ1234,oth1234\n");
    auto sim = test::MakeSimFromExample("two-plus-unsupported.json");
    VcpAccess vcp(sim.platform->MonitorConfig());
    MonitorInventory inventory(*sim.platform, vcp);
    EXPECT_EQ(inventory.m_nSupportedCount, 3);
    EXPECT_TRUE(inventory.Monitors()[2].supported);
    const ProbeResult probe = ProbeMonitors(*sim.platform, inventory, QString());
    EXPECT_FALSE(probe.text.contains("Models="));
    EXPECT_TRUE(probe.text.endsWith("Supported monitors: 3\n"));
    QFile::remove(UserSettingsFilePath());
}

TEST(ExtraModelsTest, AddingAModelKeepsEverythingElseOfTheFile)
{
    const auto OTH = *ParseModelCode("OTH1234");
    const auto DEF = *ParseModelCode("DEF0002");
    const struct {
        const char* before;  // nullptr: no file yet
        std::vector<ModelCode> models;
        const char* after;
    } cases[] = {
        {nullptr, {OTH}, "[Monitors]\nModels=OTH1234\n"},
        {"; mine\n[TraceSet]\nTraceLevel=4", {OTH}, "; mine\n[TraceSet]\nTraceLevel=4\n\n[Monitors]\nModels=OTH1234\n"},
        // Listed already (in any case): only the new one is added, before the comment.
        {"[Monitors]\nModels=ABC0001, oth1234 ; two of mine\n[Others]\nSite=true\n", {OTH, DEF},
         "[Monitors]\nModels=ABC0001, oth1234,DEF0002 ; two of mine\n[Others]\nSite=true\n"},
        {"[Monitors]\r\nOther=1\r\n", {OTH}, "[Monitors]\r\nModels=OTH1234\r\nOther=1\r\n"},
        {"[Monitors]\nModels=\n", {OTH, DEF}, "[Monitors]\nModels=OTH1234,DEF0002\n"},
        // Byte-order mark and a comment that is not UTF-8: kept byte for byte.
        {"\xEF\xBB\xBF[Monitors]\nModels=ABC0001 ; caf\xE9\n", {OTH},
         "\xEF\xBB\xBF[Monitors]\nModels=ABC0001,OTH1234 ; caf\xE9\n"},
    };
    for (const auto& c : cases) {
        const QString path = test::MakeScratchDir("edit") + "/orvane/RunInfo.ini";
        if (c.before) {
            QDir().mkpath(QFileInfo(path).path());
            test::WriteFile(path, c.before);
        }
        const SettingsEdit edit = AddModelsToSettingsFile(path, c.models);
        EXPECT_TRUE(edit.ok && edit.changed) << qPrintable(edit.error);
        EXPECT_EQ(test::ReadFile(path), QByteArray(c.after)) << (c.before ? c.before : "(none)");
        EXPECT_EQ(QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden), QStringList{"RunInfo.ini"});
        // What the tray program reads.
        const auto read = ParseModelCodes(QSettings(path, QSettings::IniFormat).value("Monitors/Models").toStringList());
        for (const ModelCode& model : c.models)
            EXPECT_NE(std::find(read.begin(), read.end(), model), read.end()) << qPrintable(ModelCodeText(model));
    }

    // Nothing new: the file is not touched; a link stays a link, the file
    // behind it keeps its mode.
    const QString folder = test::MakeScratchDir("linked");
    test::WriteFile(folder + "/real.ini", "[Monitors]\nModels=OTH1234\n");
    QFile::setPermissions(folder + "/real.ini", QFile::ReadOwner | QFile::WriteOwner);
    QFile::link(folder + "/real.ini", folder + "/RunInfo.ini");
    SettingsEdit edit = AddModelsToSettingsFile(folder + "/RunInfo.ini", {OTH});
    EXPECT_TRUE(edit.ok);
    EXPECT_FALSE(edit.changed);
    EXPECT_EQ(edit.modelsLine, "Models=OTH1234");
    edit = AddModelsToSettingsFile(folder + "/RunInfo.ini", {DEF});
    EXPECT_TRUE(edit.ok && edit.changed);
    EXPECT_TRUE(QFileInfo(folder + "/RunInfo.ini").isSymLink());
    EXPECT_EQ(test::ReadFile(folder + "/real.ini"), QByteArray("[Monitors]\nModels=OTH1234,DEF0002\n"));
    const auto mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::WriteGroup |
                      QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    EXPECT_EQ(QFile::permissions(folder + "/real.ini") & mode, QFile::ReadOwner | QFile::WriteOwner);
    // A folder where the file should be is refused with the reason.
    QDir().mkpath(folder + "/taken/RunInfo.ini");
    edit = AddModelsToSettingsFile(folder + "/taken/RunInfo.ini", {OTH});
    EXPECT_FALSE(edit.ok);
    EXPECT_TRUE(edit.error.contains("not a plain file")) << qPrintable(edit.error);
}

// One supported monitor and one foreign one (ORV1234, unless another
// product code is given; 0 reads as no model) that reports its orientation,
// on a simulated platform.
struct EnrolRun {
    test::SimSetup sim;
    QString settings = UserSettingsFilePath();
    QStringList printed, asked;

    explicit EnrolRun(int foreignProduct = 0x1234)
        : sim(test::MakeSim({{"displays", QJsonArray{test::SimDisplay("D1", 0, 1920, 1080),
                                                     test::SimDisplay("D2", 1920, 1920, 1080)}},
                             {"monitors", QJsonArray{test::SimMonitor("ours", "D1", 0x4F10, 1920, 1080, "0001"),
                                                     test::SimMonitor("foreign", "D2", foreignProduct, 1920, 1080,
                                                                      "0002")}}}))
    {
        QFile::remove(settings);
    }
    ~EnrolRun() { QFile::remove(settings); }
    int pauses = 0;

    // pivotAt: the pause before which the foreign monitor is turned (0: never).
    int Run(int pivotAt, const QString& answer, bool assumeYes = false)
    {
        VcpAccess vcp(sim.platform->MonitorConfig());
        MonitorInventory inventory(*sim.platform, vcp);
        EnrolOptions options;
        options.timeLimitMs = 400;
        options.intervalMs = 20;
        options.assumeYes = assumeYes;
        EnrolIo io;
        io.print = [&](const QString& text) { printed << text; };
        io.ask = [&](const QString& question) { return asked << question, answer; };
        io.pause = [&](int ms) {
            if (++pauses == pivotAt)
                test::SimCommand(sim.path, {"pivot", "foreign", "2"});
            QThread::msleep(ms);
        };
        return RunEnrolment(*sim.platform, vcp, inventory, settings, options, io);
    }
    QString Output() const { return printed.join("\n"); }
};

TEST(ExtraModelsTest, EnrolmentAddsOnlyAModelSeenToTurnAndOnlyWhenTheUserSaysSo)
{
    {
        EnrolRun run;
        EXPECT_EQ(run.Run(3, "y"), 0) << qPrintable(run.Output());
        EXPECT_TRUE(run.Output().contains("Monitor 1: Model ours on D1 (model ORV4F10): followed already."));
        EXPECT_TRUE(run.Output().contains("  Monitor 2: Model foreign on D2 (model ORV1234), now landscape"));
        EXPECT_TRUE(run.Output().contains("reported a turn, from landscape to turned 90 degrees clockwise"));
        ASSERT_EQ(run.asked.size(), 1);
        EXPECT_EQ(run.asked[0], "Add model ORV1234 to " + run.settings + " so that Orvane follows it? [y/N] ");
        EXPECT_TRUE(run.Output().contains("Wrote to " + run.settings + ":\n    [Monitors]\n    Models=ORV1234"));
        EXPECT_EQ(test::ReadFile(run.settings), QByteArray("[Monitors]\nModels=ORV1234\n"));
        // The tray program's inventory now takes it.
        VcpAccess vcp(run.sim.platform->MonitorConfig());
        EXPECT_EQ(MonitorInventory(*run.sim.platform, vcp).m_nSupportedCount, 2);
    }
    {
        EnrolRun run;  // no turn within the time limit
        EXPECT_EQ(run.Run(0, "y"), 1);
        EXPECT_TRUE(run.asked.isEmpty());
        EXPECT_TRUE(run.Output().contains("No turn seen within 1 s from Monitor 2: Model foreign on D2 (model "
                                          "ORV1234): not added."))
            << qPrintable(run.Output());
        EXPECT_FALSE(QFile::exists(run.settings));
    }
    {
        EnrolRun run;  // turned, but the user declines (or gives no answer)
        EXPECT_EQ(run.Run(2, ""), 1);
        EXPECT_EQ(run.asked.size(), 1);
        EXPECT_TRUE(run.Output().endsWith("Not added."));
        EXPECT_FALSE(QFile::exists(run.settings));
    }
    {
        EnrolRun run;  // scripts: no question
        EXPECT_EQ(run.Run(2, "", true), 0);
        EXPECT_TRUE(run.asked.isEmpty());
        EXPECT_EQ(test::ReadFile(run.settings), QByteArray("[Monitors]\nModels=ORV1234\n"));
    }
    {
        EnrolRun run(0);  // the other monitor has no model to add: nothing is followed already
        EXPECT_EQ(run.Run(2, "", true), 1);
        EXPECT_TRUE(run.Output().contains("its EDID could not be read")) << qPrintable(run.Output());
        EXPECT_FALSE(run.Output().contains("Every monitor that answers")) << qPrintable(run.Output());
        EXPECT_FALSE(QFile::exists(run.settings));
    }
}

}  // namespace
}  // namespace orvane
