// The process-wide monitor-access objects of the program, built over the
// process platform before the entry runs (at the first call).
#pragma once

#include "orvane/monitor/MonitorContext.h"

namespace orvane {

MonitorContext& ProcessMonitorContext();

}  // namespace orvane
