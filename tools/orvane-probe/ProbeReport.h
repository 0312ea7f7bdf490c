// What orvane-probe tells about the monitors: every monitor device of every
// display with its model, whether it answers DDC/CI, whether it reports its
// orientation (VCP 0xAA), whether it is supported, and the settings line
// that would make an unsupported one supported.
#pragma once

#include <QString>

#include <optional>
#include <string>
#include <vector>

#include "orvane/monitor/ModelCode.h"
#include "orvane/monitor/MonitorInventory.h"
#include "platform/Platform.h"

namespace orvane {

// One monitor device as the probe lists it.
struct ProbedMonitor {
    int number = 0;  // 1, 2, ... in listing order
    QString name;    // the EDID's monitor name; empty when it has none
    std::string output;
    std::optional<ModelCode> model;  // nullopt when the EDID could not be read
    // The physical monitor behind the device when it answers DDC/CI, else 0.
    platform::PhysicalMonitorHandle handle = 0;
    bool supported = false;       // a monitor the tray program would drive
    bool supportedModel = false;  // its model is on the list (built in or added)

    bool Answers() const { return handle != 0; }
    // "Monitor 1: NAME on DP-1".
    QString Title() const;
};

// inventory: enumerated over platform.
std::vector<ProbedMonitor> ListMonitors(platform::Platform& platform, const MonitorInventory& inventory);

struct ProbeResult {
    QString text;
    int supported = 0;
};

// programDir: the tray program's folder, whose RunInfo.ini is read first.
ProbeResult ProbeMonitors(platform::Platform& platform, const MonitorInventory& inventory,
                          const QString& programDir);

// The words for a VCP 0xAA value: "landscape", "turned 90 degrees clockwise" ...
QString OrientationName(quint32 value);

}  // namespace orvane
