// The monitor-access objects the user interface works with. The program uses
// its process-wide instances; tests build their own over a simulated platform.
#pragma once

#include "platform/Platform.h"

namespace orvane {

class VcpAccess;
class MonitorInventory;
class SupportedMonitorList;

struct MonitorContext {
    platform::Platform& platform;
    VcpAccess& vcp;
    MonitorInventory& inventory;
    SupportedMonitorList& monitors;
};

}  // namespace orvane
