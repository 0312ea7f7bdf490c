// Display states and change requests decoded from a fuzz input for the
// planners' targets: connector names from a few (so requests meet outputs),
// ids from a few (so references meet or miss), numbers of the widths the
// server or compositor reports them in.
#pragma once

#include <string>

#include "fuzz/support/FuzzInput.h"
#include "platform/Types.h"

namespace orvane::fuzz {

inline std::string ConnectorName(FuzzInput& in)
{
    static const char* const kNames[] = {"DP-1", "HDMI-A-1", "eDP-1", ""};
    return kNames[in.Below(4)];
}

// A change request as the seam may be given it: any fields, any values.
inline platform::DisplaySettings Request(FuzzInput& in)
{
    platform::DisplaySettings settings;
    const std::uint8_t given = in.Integral<std::uint8_t>();
    settings.fields = ((given & 1) ? platform::DM_DISPLAYORIENTATION : 0) | ((given & 2) ? platform::DM_PELSWIDTH : 0) |
                      ((given & 4) ? platform::DM_PELSHEIGHT : 0) | ((given & 8) ? platform::DM_DISPLAYFREQUENCY : 0);
    settings.orientation = (given & 16) ? in.Integral<std::uint32_t>() : in.Below(4);
    settings.pelsWidth = in.Integral<std::uint32_t>();
    settings.pelsHeight = in.Integral<std::uint32_t>();
    settings.displayFrequency = in.Integral<std::uint32_t>();
    settings.bitsPerPel = 32;
    return settings;
}

}  // namespace orvane::fuzz
