#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QThread>

#include <atomic>
#include <limits>
#include <sstream>

#include <gtest/gtest.h>

#include "monitor/MonitorTestSupport.h"
#include "orvane/monitor/MonitorInventory.h"
#include "orvane/monitor/SupportedMonitorList.h"
#include "orvane/monitor/VcpAccess.h"
#include "platform/edid/Edid.h"
#include "platform/sim/SimControl.h"
#include "platform/sim/SimPlatform.h"
#include "platform/sim/SimState.h"
#include "support/ForwardingApis.h"
#include "support/TestSupport.h"

namespace orvane {
namespace {

using test::ForwardingMonitorConfig;
using test::MakeSim;
using test::MakeSimFromExample;
using test::SimCommand;
using test::WaitFor;

QJsonObject State(const QString& path)
{
    return QJsonDocument::fromJson(test::ReadFile(path)).object();
}

int RunTool(const QString& path, const QStringList& args, QByteArray* output = nullptr)
{
    const test::ProcessRun run = test::RunProcess(test::StageDir() + "/orvane-sim", QStringList{path} + args,
                                                  QProcessEnvironment::systemEnvironment(), 10000);
    if (output)
        *output = run.standardOutput;
    return run.finished ? run.exitCode : -1;
}

TEST(SimPlatformTest, ToolPivotIsSeenByAnotherInstanceOnItsNextRead)
{
    auto sim = MakeSimFromExample("one-4k.json");
    ASSERT_TRUE(sim.platform);
    VcpAccess vcp(sim.platform->MonitorConfig());
    MonitorInventory inventory(*sim.platform, vcp);
    SupportedMonitorList list(inventory, vcp, *sim.platform);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list[0].ReadOrientation(), 1);

    ASSERT_EQ(RunTool(sim.path, {"pivot", "uhd", "2"}), 0);
    EXPECT_EQ(list[0].ReadOrientation(), 2);
    QByteArray output;
    ASSERT_EQ(RunTool(sim.path, {"get", "uhd", "0xAA"}, &output), 0);
    EXPECT_EQ(output.trimmed(), "2");

    // Writes and rotations from this process show up in the tool's view.
    EXPECT_TRUE(list[0].SetVcp(0xCA, 4));
    EXPECT_TRUE(list[0].Rotate(platform::DMDO_90));
    ASSERT_EQ(RunTool(sim.path, {"show"}, &output), 0);
    const QJsonObject shown = QJsonDocument::fromJson(output).object();
    const QJsonObject write = shown.value("vcpWrites").toArray().at(0).toObject();
    EXPECT_EQ(write.value("monitor").toString(), "uhd");
    EXPECT_EQ(write.value("code").toString(), "0xCA");
    EXPECT_EQ(write.value("value").toInt(), 4);
    const QJsonObject display = shown.value("displays").toArray().at(0).toObject();
    EXPECT_EQ(display.value("orientation").toInt(), 1);
    EXPECT_EQ(display.value("width").toInt(), 2160);
    EXPECT_EQ(display.value("rect").toArray().at(3).toInt(), 3840);

    EXPECT_EQ(RunTool(sim.path, {"pivot", "nobody", "2"}), 1);
    EXPECT_EQ(RunTool(sim.path, {"wobble"}), 2);
}

TEST(SimPlatformTest, SilencedMonitorBlocksOnlyItsOwnCallsUntilItSpeaks)
{
    auto sim = MakeSimFromExample("two-plus-unsupported.json");
    VcpAccess vcp(sim.platform->MonitorConfig());
    ASSERT_EQ(SimCommand(sim.path, {"silence", "qhd", "on"}), 0);
    quint32 current = 0;
    quint32 maximum = 0;
    EXPECT_FALSE(vcp.RunGetVcp(257, 0xAA, current, maximum));
    EXPECT_EQ(vcp.GetVcpThread().m_bTimeout, 1);
    EXPECT_TRUE(vcp.RunGetVcp(258, 0xAA, current, maximum));
    EXPECT_EQ(current, 1u);
    ASSERT_EQ(SimCommand(sim.path, {"silence", "qhd", "off"}), 0);
    ASSERT_TRUE(WaitFor([&] { return vcp.AbandonedInFlight() == 0; }, 3000));
    EXPECT_TRUE(vcp.RunGetVcp(257, 0xAA, current, maximum));
}

// Passes every call on and tells when a read has gone in.
class EnteringConfig : public ForwardingMonitorConfig {
public:
    using ForwardingMonitorConfig::ForwardingMonitorConfig;
    int GetVCPFeatureAndVCPFeatureReply(platform::PhysicalMonitorHandle monitor, std::uint8_t code,
                                        std::uint32_t* codeType, std::uint32_t* current,
                                        std::uint32_t* maximum) override
    {
        ++reads;
        return ForwardingMonitorConfig::GetVCPFeatureAndVCPFeatureReply(monitor, code, codeType, current, maximum);
    }
    std::atomic<int> reads{0};
};

TEST(SimPlatformTest, DestroyingThePlatformEndsBlockedCalls)
{
    auto sim = MakeSimFromExample("one-4k.json");
    ASSERT_EQ(SimCommand(sim.path, {"silence", "uhd", "on"}), 0);
    EnteringConfig config(sim.platform->MonitorConfig());
    VcpAccess vcp(config);
    quint32 current = 0;
    quint32 maximum = 0;
    vcp.GetVcpThread().m_bStop = 1;  // abandon at once
    vcp.RunGetVcp(257, 0xAA, current, maximum);
    ASSERT_EQ(vcp.AbandonedInFlight(), 1);
    // Abandoned at once, the worker may not have reached the monitor yet; the
    // platform must go while the call is blocked inside it, not before.
    ASSERT_TRUE(WaitFor([&] { return config.reads.load() == 1; }, 3000));
    QThread::msleep(100);
    QElapsedTimer timer;
    timer.start();
    sim.platform.reset();
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_TRUE(WaitFor([&] { return vcp.AbandonedInFlight() == 0; }, 3000));
}

TEST(SimPlatformTest, FailingAndUnpluggedMonitorsAnswerWithFailure)
{
    auto sim = MakeSimFromExample("two-plus-unsupported.json");
    platform::MonitorConfigApi& config = sim.platform->MonitorConfig();
    std::uint32_t type = 0, current = 0, maximum = 0;
    EXPECT_EQ(config.GetVCPFeatureAndVCPFeatureReply(259, 0xAA, &type, &current, &maximum), 0)
        << "feature the monitor lacks";
    EXPECT_EQ(config.GetVCPFeatureAndVCPFeatureReply(259, 0x10, &type, &current, &maximum), 1);
    ASSERT_EQ(SimCommand(sim.path, {"fail", "office", "on"}), 0);
    EXPECT_EQ(config.GetVCPFeatureAndVCPFeatureReply(259, 0x10, &type, &current, &maximum), 0);
    EXPECT_EQ(config.SetVCPFeature(259, 0x10, 1), 0);
    ASSERT_EQ(SimCommand(sim.path, {"unplug", "#0x101"}), 0);
    EXPECT_EQ(config.GetVCPFeatureAndVCPFeatureReply(257, 0x10, &type, &current, &maximum), 0);
    std::uint32_t length = 0;
    EXPECT_EQ(config.GetCapabilitiesStringLength(258, &length), 0);
}

TEST(SimPlatformTest, NoticesArriveInOrderOnTheSubscribingThread)
{
    auto sim = MakeSimFromExample("one-4k.json");
    ASSERT_EQ(SimCommand(sim.path, {"notice", "display"}), 0);  // before: not delivered
    std::vector<platform::SystemNotice> seen;
    sim.platform->Notices().Subscribe([&](const platform::SystemNotice& notice) { seen.push_back(notice); });
    ASSERT_EQ(SimCommand(sim.path, {"notice", "suspend"}), 0);
    ASSERT_EQ(SimCommand(sim.path, {"notice", "resume"}), 0);
    ASSERT_EQ(SimCommand(sim.path, {"notice", "0x219", "0x8004"}), 0);
    ASSERT_TRUE(WaitFor([&] { return seen.size() >= 3; }, 3000));
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].message, platform::WM_POWERBROADCAST);
    EXPECT_EQ(seen[0].wParam, platform::PBT_APMSUSPEND);
    EXPECT_EQ(seen[1].wParam, platform::PBT_APMRESUMESUSPEND);
    EXPECT_EQ(seen[2].message, platform::WM_DEVICECHANGE);
    EXPECT_EQ(seen[2].wParam, platform::DBT_DEVICEREMOVECOMPLETE);

    // The tool replaces the file by a rename each time; a file written over
    // in place (as some editors do) is noticed too, and so are replacements
    // after that.
    QJsonObject state = State(sim.path);
    QJsonArray notices = state.value("notices").toArray();
    notices.append(QJsonObject{{"seq", state.value("noticeSeq").toInt() + 1}, {"message", 0x7E}, {"wParam", 0}});
    state["notices"] = notices;
    state["noticeSeq"] = state.value("noticeSeq").toInt() + 1;
    test::WriteFile(sim.path, QJsonDocument(state).toJson());
    ASSERT_TRUE(WaitFor([&] { return seen.size() >= 4; }, 3000));
    EXPECT_EQ(seen[3].message, platform::WM_DISPLAYCHANGE);
    ASSERT_EQ(SimCommand(sim.path, {"notice", "suspend"}), 0);
    ASSERT_TRUE(WaitFor([&] { return seen.size() >= 5; }, 3000));
    EXPECT_EQ(seen[4].wParam, platform::PBT_APMSUSPEND);

    // A folder that goes away takes its watches along; one made again in its
    // place is still heard.
    const QByteArray description = test::ReadFile(sim.path);
    const QString folder = QFileInfo(sim.path).absolutePath();
    ASSERT_TRUE(QDir(folder).removeRecursively());
    WaitFor([] { return false; }, 300);
    ASSERT_TRUE(QDir().mkpath(folder));
    test::WriteFile(sim.path, description);
    ASSERT_EQ(SimCommand(sim.path, {"notice", "resume"}), 0);
    ASSERT_TRUE(WaitFor([&] { return seen.size() >= 6; }, 3000));
    EXPECT_EQ(seen[5].wParam, platform::PBT_APMRESUMESUSPEND);
}

TEST(SimPlatformTest, ElevatedStartsAreRecorded)
{
    QJsonObject description = QJsonDocument::fromJson(test::ReadFile(test::SourceDir() + "/examples/sim/one-4k.json"))
                                  .object();
    description["performElevatedStarts"] = false;
    auto sim = MakeSim(description);
    EXPECT_TRUE(sim.platform->System().StartElevated("/opt/x/Renovo", {"Orvane", "http://site/", "M.xml"}, 1));
    const QJsonObject start = State(sim.path).value("elevatedStarts").toArray().at(0).toObject();
    EXPECT_EQ(start.value("file").toString(), "/opt/x/Renovo");
    EXPECT_EQ(start.value("args").toArray().at(1).toString(), "http://site/");
    EXPECT_FALSE(sim.platform->System().ModuleFileName().empty());
}

TEST(SimPlatformTest, EdidAsHexBytesAndBadDescriptions)
{
    platform::edid::Fields fields;
    fields.productCode = 0x4F12;
    fields.width = 2560;
    fields.height = 1080;
    fields.serial = "HEX1";
    const auto bytes = platform::edid::Build(fields);
    unsigned sum = 0;
    for (auto byte : bytes)
        sum += byte;
    EXPECT_EQ(sum % 256, 0u) << "checksum";
    QString hex;
    for (auto byte : bytes)
        hex += QString("%1 ").arg(byte, 2, 16, QChar('0'));
    // The tool prints the same block for harnesses of their own.
    std::ostringstream printed;
    std::ostringstream err;
    EXPECT_EQ(platform::sim::RunSimCommand({"edid", "--product", "0x4F12", "--size", "2560x1080", "--serial", "HEX1"},
                                           printed, err),
              0);
    EXPECT_EQ(printed.str(), QString(hex).remove(' ').toStdString() + "\n");
    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"edid", "--size", "2560"}, {"edid", "--maker", "O1V"}, {"edid", "--product"}, {"edid", "--port", "1"}})
        EXPECT_EQ(platform::sim::RunSimCommand(bad, printed, err), 2) << bad[1];

    QJsonObject description = State(test::SourceDir() + "/examples/sim/one-4k.json");
    QJsonArray monitors = description.value("monitors").toArray();
    QJsonObject monitor = monitors[0].toObject();
    monitor["edid"] = hex;
    monitors[0] = monitor;
    description["monitors"] = monitors;
    auto sim = MakeSim(description);
    ASSERT_TRUE(sim.platform);
    VcpAccess vcp(sim.platform->MonitorConfig());
    MonitorInventory inventory(*sim.platform, vcp);
    ASSERT_EQ(inventory.Monitors().size(), 1u);
    EXPECT_EQ(inventory.Monitors()[0].identity.NativeWidth(), 2560);
    EXPECT_EQ(inventory.Monitors()[0].identity.SerialNumber(), QByteArray("HEX1"));
    EXPECT_TRUE(inventory.Monitors()[0].supported);
    // Registry paths compare without regard to case.
    EXPECT_EQ(sim.platform->Registry()
                  .ChildGroups("hkey_local_machine\\system\\currentcontrolset\\enum\\display\\orv4f10")
                  .size(),
              1u);

    monitor["edid"] = "00 ff zz";
    monitors[0] = monitor;
    description["monitors"] = monitors;
    EXPECT_FALSE(MakeSim(description).platform);
    monitor.remove("display");
    monitors[0] = monitor;
    description["monitors"] = monitors;
    EXPECT_FALSE(MakeSim(description).platform);
    const QString garbage = test::MakeScratchDir("bad") + "/bad.json";
    test::WriteFile(garbage, "{ not json");
    EXPECT_FALSE(platform::sim::CreateSimPlatform(garbage.toStdString(), platform::CreateHostSystem()));
    EXPECT_FALSE(platform::sim::CreateSimPlatform("/nonexistent/state.json", platform::CreateHostSystem()));
    // A tool command that would break the description leaves it untouched.
    EXPECT_EQ(SimCommand(sim.path, {"set", "uhd", "0x1FF", "1"}), 2);

    // Numbers a field cannot hold make the description malformed, naming the
    // field; a handle takes its default, a size the rect's within int.
    const QByteArray display = R"({"deviceName": "A", "rect": [-2147483648, 0, 2147483647, 1], "handle": -1})";
    for (const auto& [json, field] : std::vector<std::pair<QByteArray, std::string>>{
             {R"({"noticeSeq": -1})", "noticeSeq"},
             {R"({"notices": [{"seq": 1, "wParam": 1e300}]})", "wParam"},
             {R"({"displays": [)" + display + R"(], "monitors": [{"display": "A", "vcp": {"0xAA": {"current": 2.5}}}]})",
              "current"},
             {R"({"displays": [)" + display + R"(], "monitors": [{"display": "A", "capabilitiesLength": 4294967296}]})",
              "capabilitiesLength"}}) {
        std::string error;
        EXPECT_FALSE(platform::sim::ParseState(QJsonDocument::fromJson(json).object(), &error)) << json.constData();
        EXPECT_NE(error.find(field), std::string::npos) << error;
    }
    const auto parsed =
        platform::sim::ParseState(QJsonDocument::fromJson("{\"displays\": [" + display + "]}").object(), nullptr);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->displays[0].handle, 0x10001u);
    EXPECT_EQ(parsed->displays[0].stored.pelsWidth, 2147483647u);
}

TEST(SimPlatformTest, RecordsKeepTheirNewestHundred)
{
    auto sim = MakeSimFromExample("one-4k.json");
    platform::MonitorConfigApi& config = sim.platform->MonitorConfig();
    ASSERT_EQ(SimCommand(sim.path, {"delay", "uhd", "0"}), 0);
    for (std::uint32_t value = 0; value < 150; ++value)
        ASSERT_EQ(config.SetVCPFeature(257, 0x10, value), 1);
    const QJsonArray writes = State(sim.path).value("vcpWrites").toArray();
    ASSERT_EQ(writes.size(), 100);
    EXPECT_EQ(writes.first().toObject().value("value").toInt(), 50);
    EXPECT_EQ(writes.last().toObject().value("value").toInt(), 149);
}

TEST(SimPlatformTest, ConcurrentWritersLoseNothing)
{
    auto sim = MakeSimFromExample("one-4k.json");
    platform::MonitorConfigApi& config = sim.platform->MonitorConfig();
    ASSERT_EQ(SimCommand(sim.path, {"delay", "uhd", "0"}), 0);
    QProcess tool;
    tool.start("/bin/sh", {"-c", QString("for i in 1 2 3 4 5 6 7 8 9 10; do \"%1\" \"%2\" notice display; done")
                                     .arg(test::StageDir() + "/orvane-sim", sim.path)});
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(config.SetVCPFeature(257, 0xCA, static_cast<std::uint32_t>(i)), 1);
    ASSERT_TRUE(tool.waitForFinished(20000));
    const QJsonObject state = State(sim.path);
    EXPECT_EQ(state.value("vcpWrites").toArray().size(), 10);
    EXPECT_EQ(state.value("noticeSeq").toInt(), 10);
}

}  // namespace
}  // namespace orvane

// The nearest display as MonitorFromPoint finds it, kept once for the
// simulation and the Linux displays: exact near a display, no overflow at the
// ends of the coordinates.
TEST(SimPlatformTest, DistanceToADisplayHoldsAcrossTheWholeCoordinateRange)
{
    using orvane::platform::DistanceSquared;
    using orvane::platform::Rect;
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    const Rect screen{0, 0, 1920, 1080};
    EXPECT_EQ(DistanceSquared(screen, 960, 540), 0u);
    EXPECT_EQ(DistanceSquared(screen, 1920, 1079), 1u);  // right and bottom edges lie outside
    EXPECT_EQ(DistanceSquared(screen, -3, -4), 25u);
    const Rect farEnd{kMax - 10, 0, kMax, 1};
    EXPECT_EQ(DistanceSquared(farEnd, 0, 0), std::uint64_t(kMax - 10) * std::uint64_t(kMax - 10));
    const std::uint64_t across = std::uint64_t(kMax) - std::uint64_t(std::int64_t(kMin)) - 10;
    EXPECT_EQ(DistanceSquared(farEnd, kMin, 0), across * across);
    EXPECT_EQ(DistanceSquared(Rect{kMax - 10, kMax - 10, kMax, kMax}, kMin, kMin), ~std::uint64_t(0));
}
