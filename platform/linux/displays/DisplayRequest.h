// A change request of the seam (the settings given to ChangeDisplaySettingsEx)
// decoded once for every display backend, and the choice of the mode that
// serves it among those a display offers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Types.h"

namespace orvane::platform::linuxplatform {

struct DisplayRequest {
    std::int32_t result = DISP_CHANGE_SUCCESSFUL;  // DISP_CHANGE_BADMODE: an orientation beyond DMDO_270
    std::uint32_t orientation = DMDO_DEFAULT;
    bool portrait = false;
    std::uint32_t width = 0;  // the mode's size, unturned
    std::uint32_t height = 0;
    std::uint32_t hertz = 0;  // 0: no rate asked for
};

// settings against what the display shows now: its orientation and its
// mode's unturned size. Fields not given keep what is now; the size given
// is the one shown, already turned for portrait; a rate of 0 or 1 stands
// for the hardware's default, that is none in particular.
DisplayRequest DecodeRequest(const DisplaySettings& settings, std::uint32_t orientationNow, std::uint32_t widthNow,
                             std::uint32_t heightNow);

// One mode a display offers, as the choice sees it.
struct ModeCandidate {
    std::uint32_t width = 0;  // unturned
    std::uint32_t height = 0;
    double refresh = 0;  // Hz
    bool current = false;
    bool preferred = false;
};

// The index of the mode that serves the request: of the requested size and,
// when asked, rate (in whole hertz), what runs now where it fits, else the
// monitor's preferred timing, else the fastest (with a rate asked for, the
// closest). -1 when none fits.
int ChooseMode(const std::vector<ModeCandidate>& modes, const DisplayRequest& request);

// Why a request was refused, for the log: "no mode 2160x3840 at 60 Hz" and
// the like, the size as it would be shown.
std::string NoModeFor(const DisplayRequest& request);
std::string NoOutput(const std::string& name);
std::string OrientationBeyondRange(const DisplayRequest& request);

}  // namespace orvane::platform::linuxplatform
