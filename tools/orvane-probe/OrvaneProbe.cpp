// Tells how many supported monitors the platform of this process finds, the
// same way the tray program does at start. The demonstration script uses it
// to choose between real monitors and the simulated ones.
//   orvane-probe        prints the supported count; exit 0 when at least one
#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

#include "orvane/monitor/MonitorInventory.h"
#include "orvane/monitor/VcpAccess.h"
#include "platform/Platform.h"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(ORVANE_VERSION_TEXT);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Prints how many supported monitors Orvane would find on this machine: the monitors are\n"
        "enumerated and identified the way the tray program does at start. Exit status 0 when at\n"
        "least one is found, else 1. The log lines of the enumeration go to standard error.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(app);
    auto& platform = orvane::platform::ProcessPlatform();
    orvane::VcpAccess vcp(platform.MonitorConfig());
    orvane::MonitorInventory inventory(platform, vcp);
    std::printf("%d\n", inventory.m_nSupportedCount);
    return inventory.m_nSupportedCount > 0 ? 0 : 1;
}
