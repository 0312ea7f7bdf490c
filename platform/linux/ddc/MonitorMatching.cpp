#include "platform/linux/ddc/MonitorMatching.h"

namespace orvane::platform::linuxplatform {

std::vector<std::vector<std::size_t>> MatchDisplaysToOutputs(const std::vector<Edid>& outputEdids,
                                                             const std::vector<DdcDisplayRecord>& displays)
{
    std::vector<std::vector<std::size_t>> matches(outputEdids.size());
    for (std::size_t d = 0; d < displays.size(); ++d) {
        std::size_t fallback = outputEdids.size();
        bool placed = false;
        for (std::size_t o = 0; o < outputEdids.size() && !placed; ++o) {
            if (!edid::SameBaseBlock(outputEdids[o], displays[d].edid))
                continue;
            if (matches[o].empty()) {
                matches[o].push_back(d);
                placed = true;
            } else if (fallback == outputEdids.size()) {
                fallback = o;
            }
        }
        // More identical monitors answer than outputs show them (a splitter,
        // say): they stay with the first output that shows that EDID.
        if (!placed && fallback < outputEdids.size())
            matches[fallback].push_back(d);
    }
    return matches;
}

}  // namespace orvane::platform::linuxplatform
