// When no monitor can be used: what is missing on this machine and how to
// mend it, one sentence per cause, from the platform's DDC/CI report and the
// monitors the inventory found but does not support.
#pragma once

#include <QStringList>

#include "orvane/monitor/MonitorInventory.h"
#include "platform/Types.h"

namespace orvane {

QStringList MissingPieces(const platform::DdcAccessReport& report, const MonitorInventory& inventory);

}  // namespace orvane
