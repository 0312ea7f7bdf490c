// The display settings of a RandR output in the terms of the seam: stored
// orientation, mode list and the change of size, orientation and refresh
// rate. X11 has no separate stored settings; the current configuration is
// what the next session start will not necessarily keep (the desktop's own
// display settings decide that), so "stored" reads the current one.
//
// Orientation: the seam's DMDO_90 means the monitor stands turned 90 degrees
// clockwise, so the picture has to turn 90 degrees counter-clockwise on the
// panel, which is RandR's RR_Rotate_90 ("xrandr --rotate left"). Hence
// DMDO_n <-> RR_Rotate_(90*n).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Types.h"
#include "platform/linux/displays/ModeListing.h"
#include "platform/linux/x11/RandrServer.h"

namespace orvane::platform::linuxplatform {

std::uint16_t RandrRotationFor(std::uint32_t orientation);
// The DMDO value of a RandR rotation (reflection bits ignored).
std::uint32_t OrientationFor(std::uint16_t rotation);

// The output's current settings; nullopt when it shows nothing.
std::optional<DisplaySettings> CurrentSettings(const RandrScreen& screen, const std::string& output);

// The output's modes, unrotated, one entry per size and whole refresh rate,
// in the server's order.
std::vector<DisplaySettings> ModeList(const RandrScreen& screen, const std::string& output);

struct RandrChangePlan {
    std::int32_t result = DISP_CHANGE_SUCCESSFUL;  // a failure code: nothing is to be done
    std::string why;                               // the refusal in words
    bool nothingToDo = false;
    RandrCrtcConfig crtc;
    std::int32_t screenWidth = 0;  // the screen size the new layout needs
    std::int32_t screenHeight = 0;
    std::int32_t screenWidthMm = 0;
    std::int32_t screenHeightMm = 0;
};

// Decides the CRTC configuration and screen size for the requested settings
// (fields tell which of orientation, size and frequency are given). The size
// is the one shown on the screen, already turned for portrait. The output
// keeps its top-left corner; every other output stays where it is.
RandrChangePlan PlanChange(const RandrScreen& screen, const std::string& output, const DisplaySettings& settings);

// Carries out a plan against the screen it was made for: the screen is
// enlarged first where the new layout does not fit, the CRTC set, then the
// screen fitted to the layout. Any refused step puts back what was changed.
bool CarryOut(RandrServer& server, const RandrScreen& screen, const RandrChangePlan& plan);

// Reads the screen, plans the change and carries it out.
std::int32_t ApplyChange(RandrServer& server, const std::string& output, const DisplaySettings& settings);

}  // namespace orvane::platform::linuxplatform
