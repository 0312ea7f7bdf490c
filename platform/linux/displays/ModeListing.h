// How every backend answers for settings in the seam's terms: the size as
// shown (turned for portrait), whole hertz, and a mode list with one entry
// per size and rate, whatever finer rates the server lists.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Types.h"

namespace orvane::platform::linuxplatform {

// Refresh rate as the seam reports it: whole hertz, rounded.
std::uint32_t WholeHertz(double refresh);

// A mode as the server has it: unrotated size, whole hertz.
struct ListedMode {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t hertz = 0;
};

// The current settings of an output showing `mode` turned by `orientation`.
DisplaySettings ShownSettings(const ListedMode& mode, std::uint32_t orientation, std::uint32_t bitsPerPel = 32);

// Adds the mode unless the list already has one of that size and rate.
void AddDistinctMode(std::vector<DisplaySettings>& list, const ListedMode& mode, std::uint32_t bitsPerPel = 32);

// Entry `index` of the list, as EnumDisplaySettings answers for it.
bool ModeAt(const std::vector<DisplaySettings>& list, std::int32_t index, DisplaySettings& out);

}  // namespace orvane::platform::linuxplatform
