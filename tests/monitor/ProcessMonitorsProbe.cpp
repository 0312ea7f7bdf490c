// Prints what the process-wide monitor objects found before main ran.
#include <cstdio>

#include "orvane/app/ProcessMonitors.h"
#include "orvane/monitor/MonitorInventory.h"
#include "orvane/monitor/SupportedMonitorList.h"

int main()
{
    orvane::MonitorContext& context = orvane::ProcessMonitorContext();
    std::printf("total=%u supported=%d list=%d\n", context.inventory.m_TotalMonitor,
                context.inventory.m_nSupportedCount, context.monitors.Count());
    return 0;
}
