// GNOME's display configuration (org.gnome.Mutter.DisplayConfig) as plain
// values, and the decision of the configuration that turns one monitor.
// Mutter's transforms 0-3 turn the picture counter-clockwise like RandR's
// rotations, so transform n is the program's DMDO_n.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Types.h"

namespace orvane::platform::linuxplatform {

struct MutterMode {
    std::string id;
    std::int32_t width = 0;
    std::int32_t height = 0;
    double refresh = 0;
    bool current = false;
    bool preferred = false;
};

struct MutterMonitor {
    std::string connector;
    std::string vendor;
    std::string product;
    std::string serial;
    std::vector<MutterMode> modes;

    const MutterMode* CurrentMode() const;
};

struct MutterLogicalMonitor {
    std::int32_t x = 0;
    std::int32_t y = 0;
    double scale = 1;
    std::uint32_t transform = 0;
    bool primary = false;
    std::vector<std::string> connectors;
};

struct MutterState {
    std::uint32_t serial = 0;
    std::vector<MutterMonitor> monitors;
    std::vector<MutterLogicalMonitor> logicalMonitors;
    bool logicalLayout = true;  // layout-mode 1: sizes in the layout are divided by the scale

    const MutterMonitor* Monitor(const std::string& connector) const;
    // Position and size of a logical monitor in the layout; an edge beyond
    // the layout's coordinates is kept at their end.
    Rect Bounds(const MutterLogicalMonitor& logical) const;
};

struct MutterChangePlan {
    std::int32_t result = DISP_CHANGE_SUCCESSFUL;
    std::string why;  // the refusal in words
    bool nothingToDo = false;
    // The whole new layout: for each logical monitor, its connectors' modes.
    std::vector<MutterLogicalMonitor> logicalMonitors;
    std::vector<std::vector<std::string>> modeIds;  // per logical monitor, per connector
};

// The settings of the monitor on connector in the seam's terms: as shown
// now (nullopt when it shows nothing), and its modes, one per size and rate.
std::optional<DisplaySettings> CurrentSettings(const MutterState& state, const std::string& connector);
std::vector<DisplaySettings> ModeList(const MutterState& state, const std::string& connector);

// The layout with the logical monitor shown on connector turned and sized as
// settings asks. Monitors right of or below it that touched it move along
// with its new edge, so the layout stays without gaps; all others stay. A
// change that would move one past the layout's coordinates is refused
// (DISP_CHANGE_BADMODE).
MutterChangePlan PlanMutterChange(const MutterState& state, const std::string& connector,
                                  const DisplaySettings& settings);

}  // namespace orvane::platform::linuxplatform
