// A start without a usable monitor names what is missing on this machine:
// one log line per cause, and the same text as a second line in the box
// where the platform examined the monitors' access.

#include <gtest/gtest.h>

#include "UiTestSupport.h"

namespace orvane {
namespace {

using platform::DdcAccessFault;
using test::LogCapture;
using test::Rig;

// The one monitor is a model that is not on the list.
void ForeignModel(QByteArray& json)
{
    json.replace("\"productCode\": \"0x4F10\",", "\"productCode\": \"0x1234\", \"manufacturer\": \"OTH\",");
}

QString NoticeLine(const LogCapture& log)
{
    for (const QString& line : log.Lines())
        if (line.startsWith("No usable monitor: "))
            return line.mid(19);
    return {};
}

TEST(MissingPieces, EachCauseIsLoggedAndShownAfterTheStandingText)
{
    const struct {
        DdcAccessFault fault;
        bool lastingFixInPlace;
        const char* says;
    } causes[] = {
        {DdcAccessFault::NoI2cDevices, false, "to load it at every start: echo i2c-dev"},
        // The package lists the module to load at boot: only loading it now is left.
        {DdcAccessFault::NoI2cDevices, true, "is set to load at every start but is not loaded now; load it once"},
        {DdcAccessFault::NoI2cPermission, false, "add yourself to the i2c group"},
        {DdcAccessFault::NoI2cPermission, true, "is installed but not yet in effect; log out and in again"},
        {DdcAccessFault::NoDdcLibrary, false, "install libddcutil"},
        {DdcAccessFault::NoDdcAnswer, false, "enable DDC/CI in the monitor's on-screen menu"},
    };
    for (const auto& cause : causes) {
        Rig rig("one-4k.json", [](QByteArray& json) {
            json.replace("\"id\": \"uhd\",", "\"id\": \"uhd\", \"attached\": false,");
        });
        rig.accessReport = {cause.fault, "found <this>", cause.lastingFixInPlace};
        LogCapture log;
        auto window = rig.MakeWindow();
        ASSERT_EQ(rig.boxes.size(), 1u);
        const QString line = NoticeLine(log);
        EXPECT_TRUE(line.contains(cause.says)) << qPrintable(line);
        const QString text = rig.boxes[0].text;
        EXPECT_TRUE(text.startsWith("This software supports specific KM series models only"));
        EXPECT_TRUE(text.endsWith("/support/faq/?q=Orvane</a><br / >" + line.toHtmlEscaped())) << qPrintable(text);
        EXPECT_EQ(rig.exits, std::vector<int>({0}));
    }
}

TEST(MissingPieces, AModelNotOnTheListIsNamedWithTheEnrolmentAndItsSettingsLine)
{
    Rig rig("one-4k.json", ForeignModel);
    ASSERT_EQ(rig.inventory->m_nSupportedCount, 0);
    rig.accessReport = {DdcAccessFault::None, ""};
    LogCapture log;
    auto window = rig.MakeWindow();
    const QString line = NoticeLine(log);
    EXPECT_TRUE(line.contains("Not on the list of supported models: OTH1234."));
    EXPECT_TRUE(line.contains("run orvane-probe --enrol and pivot it")) << qPrintable(line);
    EXPECT_TRUE(line.contains(qEnvironmentVariable("XDG_CONFIG_HOME") + "/orvane/RunInfo.ini (by hand: "
                              "[Monitors] Models=OTH1234)"))
        << qPrintable(line);
    ASSERT_EQ(rig.boxes.size(), 1u);
    EXPECT_TRUE(rig.boxes[0].text.endsWith("</a><br / >" + line.toHtmlEscaped()));
}

TEST(MissingPieces, APlatformThatDoesNotLookKeepsTheBoxAsItIs)
{
    Rig rig("one-4k.json", ForeignModel);
    LogCapture log;
    auto window = rig.MakeWindow();
    ASSERT_EQ(rig.boxes.size(), 1u);
    EXPECT_TRUE(rig.boxes[0].text.endsWith("/support/faq/?q=Orvane</a>"));
    // The log still names the model.
    EXPECT_TRUE(NoticeLine(log).contains("OTH1234"));
}

}  // namespace
}  // namespace orvane
