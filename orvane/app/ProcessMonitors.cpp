#include "orvane/app/ProcessMonitors.h"

#include "orvane/monitor/MonitorInventory.h"
#include "orvane/monitor/SupportedMonitorList.h"
#include "orvane/monitor/VcpAccess.h"

namespace orvane {

namespace {
// Constructed in this order before main runs: the workers with the access
// object, the inventory (first enumeration), then the supported list
// (firmware reads). Their lines go to Qt's default output.
VcpAccess g_vcpAccess(platform::ProcessPlatform().MonitorConfig());
MonitorInventory g_monitorInventory(platform::ProcessPlatform(), g_vcpAccess);
SupportedMonitorList g_supportedMonitorList(g_monitorInventory, g_vcpAccess, platform::ProcessPlatform());
MonitorContext g_monitorContext{platform::ProcessPlatform(), g_vcpAccess, g_monitorInventory, g_supportedMonitorList};
}  // namespace

MonitorContext& ProcessMonitorContext()
{
    return g_monitorContext;
}

}  // namespace orvane
