#include "orvane/app/ProcessMonitors.h"

#include "orvane/monitor/MonitorInventory.h"
#include "orvane/monitor/SupportedMonitorList.h"
#include "orvane/monitor/VcpAccess.h"

namespace orvane {

// Built at the first call, which main makes before the entry runs, in this
// order: the workers with the access object, the inventory (first
// enumeration), then the supported list (firmware reads). Their lines go to
// Qt's default output. They live until the process ends.
MonitorContext& ProcessMonitorContext()
{
    static VcpAccess vcpAccess(platform::ProcessPlatform().MonitorConfig());
    static MonitorInventory monitorInventory(platform::ProcessPlatform(), vcpAccess);
    static SupportedMonitorList supportedMonitorList(monitorInventory, vcpAccess, platform::ProcessPlatform());
    static MonitorContext monitorContext{platform::ProcessPlatform(), vcpAccess, monitorInventory,
                                         supportedMonitorList};
    return monitorContext;
}

}  // namespace orvane
