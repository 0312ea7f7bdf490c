#include "platform/linux/displays/ModeListing.h"

#include <algorithm>
#include <cmath>

namespace orvane::platform::linuxplatform {

std::uint32_t WholeHertz(double refresh)
{
    return refresh > 0 ? std::uint32_t(std::lround(refresh)) : 0u;
}

DisplaySettings ShownSettings(const ListedMode& mode, std::uint32_t orientation, std::uint32_t bitsPerPel)
{
    DisplaySettings settings;
    settings.fields = DM_DISPLAYORIENTATION | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
    settings.orientation = orientation;
    const bool portrait = IsPortrait(orientation);
    settings.pelsWidth = portrait ? mode.height : mode.width;
    settings.pelsHeight = portrait ? mode.width : mode.height;
    settings.displayFrequency = mode.hertz;
    settings.bitsPerPel = bitsPerPel;
    return settings;
}

void AddDistinctMode(std::vector<DisplaySettings>& list, const ListedMode& mode, std::uint32_t bitsPerPel)
{
    const bool seen = std::any_of(list.begin(), list.end(), [&](const DisplaySettings& other) {
        return other.pelsWidth == mode.width && other.pelsHeight == mode.height && other.displayFrequency == mode.hertz;
    });
    if (seen)
        return;
    DisplaySettings entry;
    entry.fields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
    entry.pelsWidth = mode.width;
    entry.pelsHeight = mode.height;
    entry.displayFrequency = mode.hertz;
    entry.bitsPerPel = bitsPerPel;
    list.push_back(entry);
}

bool ModeAt(const std::vector<DisplaySettings>& list, std::int32_t index, DisplaySettings& out)
{
    if (index < 0 || std::size_t(index) >= list.size())
        return false;
    out = list[std::size_t(index)];
    return true;
}

}  // namespace orvane::platform::linuxplatform
