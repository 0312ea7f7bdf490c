// The outputs of a Wayland compositor that lets clients configure them (KDE's
// output device and management protocols, wlroots' output management) as
// plain values, and the decision of the layout that turns one output.
//
// Outputs use wl_output's transforms: 0-3 turn the picture counter-clockwise
// in quarter turns like RandR's rotations, so transform n is the program's
// DMDO_n; 4-7 add a flip, which a turn keeps. Positions are in the
// compositor's logical space, where an output takes its mode's size turned
// and divided by its scale. Both compositors keep a turned output's top-left
// corner and move nothing else, so the layout planned here moves the outputs
// that touched the turned one's right or bottom edge along with that edge,
// as on GNOME.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Types.h"
#include "platform/linux/gnome/MutterState.h"

namespace orvane::platform::linuxplatform {

struct WaylandMode {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t refresh = 0;  // mHz; 0 when the compositor does not say
    bool preferred = false;
};

struct WaylandOutput {
    std::string name;  // the connector: DP-1, HDMI-A-1, Virtual-1, HEADLESS-1
    std::vector<std::uint8_t> edid;  // empty when the compositor does not give it
    bool enabled = false;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t transform = 0;
    double scale = 1;
    std::vector<WaylandMode> modes;
    int currentMode = -1;  // index into modes

    const WaylandMode* Current() const;
};

struct WaylandLayout {
    std::vector<WaylandOutput> outputs;

    const WaylandOutput* Output(const std::string& name) const;
    // Wayland has no primary output: the one at the origin of the layout
    // (else the first shown) stands for it.
    std::string PrimaryName() const;
    // The layout in GNOME's terms (one logical monitor per shown output, mode
    // ids are indices into the output's modes), whose size and layout rules
    // are the same.
    MutterState AsMutterState() const;
};

// The settings of the enabled output called name in the seam's terms: as
// shown now (nullopt when it shows nothing), and its modes, one per size
// and rate; nothing for a disabled output.
std::optional<DisplaySettings> CurrentSettings(const WaylandLayout& layout, const std::string& name);
std::vector<DisplaySettings> ModeList(const WaylandLayout& layout, const std::string& name);

struct WaylandChangePlan {
    std::int32_t result = DISP_CHANGE_SUCCESSFUL;  // a failure code: nothing is to be done
    std::string why;                               // the refusal in words
    bool nothingToDo = false;
    WaylandLayout layout;  // the whole layout to apply
};

// The layout with the output called name turned and sized as settings asks
// (the size shown, already turned for portrait; the refresh rate in whole
// hertz, or the highest one of that size when not given).
WaylandChangePlan PlanWaylandChange(const WaylandLayout& current, const std::string& name,
                                    const DisplaySettings& settings);

}  // namespace orvane::platform::linuxplatform
