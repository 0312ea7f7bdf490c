// The display-settings request the program makes to turn a display: the
// orientation with the size and rate that go with it.
#pragma once

#include <cstdint>

#include "platform/Platform.h"

namespace orvane::test {

inline platform::DisplaySettings Turn(std::uint32_t orientation, std::uint32_t width, std::uint32_t height,
                                      std::uint32_t hertz = 60)
{
    platform::DisplaySettings settings;
    settings.fields = platform::DM_DISPLAYORIENTATION | platform::DM_PELSWIDTH | platform::DM_PELSHEIGHT
        | platform::DM_DISPLAYFREQUENCY;
    settings.orientation = orientation;
    settings.pelsWidth = width;
    settings.pelsHeight = height;
    settings.displayFrequency = hertz;
    return settings;
}

}  // namespace orvane::test
