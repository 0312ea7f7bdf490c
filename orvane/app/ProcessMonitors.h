// The process-wide monitor-access objects of the program, built over the
// process platform before main runs.
#pragma once

#include "orvane/monitor/MonitorContext.h"

namespace orvane {

MonitorContext& ProcessMonitorContext();

}  // namespace orvane
