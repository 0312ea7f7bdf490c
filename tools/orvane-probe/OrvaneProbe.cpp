// Tells how many supported monitors the platform of this process finds, the
// same way the tray program does at start. The demonstration script uses it
// to choose between real monitors and the simulated ones.
//   orvane-probe        prints the supported count; exit 0 when at least one
#include <QCoreApplication>

#include <cstdio>

#include "orvane/monitor/MonitorInventory.h"
#include "orvane/monitor/VcpAccess.h"
#include "platform/Platform.h"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    auto& platform = orvane::platform::ProcessPlatform();
    orvane::VcpAccess vcp(platform.MonitorConfig());
    orvane::MonitorInventory inventory(platform, vcp);
    std::printf("%d\n", inventory.m_nSupportedCount);
    return inventory.m_nSupportedCount > 0 ? 0 : 1;
}
