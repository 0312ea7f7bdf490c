// The tray program's entry: application, single instance, log, site choice,
// the one main window and the event loop.
#pragma once

#include "orvane/monitor/MonitorContext.h"

namespace orvane {

int RunOrvane(int argc, char** argv, MonitorContext& monitors);

}  // namespace orvane
