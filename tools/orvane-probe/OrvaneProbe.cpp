// Lists the monitors the platform of this process finds, the same way the
// tray program does at start, and how each one stands: model, DDC/CI,
// orientation reading, support, and the settings line that would add an
// unsupported model. The demonstration script uses the exit code to choose
// between real monitors and the simulated ones.
//   orvane-probe        the list; exit 0 when at least one monitor is supported
#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

#include "orvane/monitor/MonitorInventory.h"
#include "orvane/monitor/VcpAccess.h"
#include "platform/Platform.h"
#include "tools/orvane-probe/ProbeReport.h"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(ORVANE_VERSION_TEXT);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Lists the monitors Orvane would find on this machine, enumerated and identified the way\n"
        "the tray program does at start: model, DDC/CI, orientation reading, support, and the\n"
        "settings line that would add an unsupported model. Exit status 0 when at least one\n"
        "monitor is supported, else 1. The log lines of the enumeration go to standard error.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(app);
    auto& platform = orvane::platform::ProcessPlatform();
    orvane::VcpAccess vcp(platform.MonitorConfig());
    orvane::MonitorInventory inventory(platform, vcp);
    const orvane::ProbeResult result = orvane::ProbeMonitors(platform, inventory);
    std::fputs(result.text.toUtf8().constData(), stdout);
    return result.supported > 0 ? 0 : 1;
}
