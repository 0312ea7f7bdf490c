// Which DDC/CI display shows the picture of which display output: the two
// sides only share the monitor's EDID.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/linux/ddc/DdcLibrary.h"
#include "platform/edid/Edid.h"

namespace orvane::platform::linuxplatform {

// For each output EDID (in order) the indices of the DDC/CI displays whose
// EDID is the same, in detection order. Each DDC/CI display goes to one
// output only: two identical monitors without serial numbers are paired in
// order rather than both counted twice.
std::vector<std::vector<std::size_t>> MatchDisplaysToOutputs(const std::vector<Edid>& outputEdids,
                                                             const std::vector<DdcDisplayRecord>& displays);

}  // namespace orvane::platform::linuxplatform
