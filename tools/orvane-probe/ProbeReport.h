// What orvane-probe tells about the monitors: every monitor device of every
// display with its model, whether it answers DDC/CI, whether it reports its
// orientation (VCP 0xAA), whether it is supported, and the settings line
// that would make an unsupported one supported.
#pragma once

#include <QString>

#include "orvane/monitor/MonitorInventory.h"
#include "platform/Platform.h"

namespace orvane {

struct ProbeResult {
    QString text;
    int supported = 0;
};

// inventory: enumerated over platform.
ProbeResult ProbeMonitors(platform::Platform& platform, const MonitorInventory& inventory);

}  // namespace orvane
