// The kernel's view of the display connectors (/sys/class/drm): used for a
// monitor's EDID where the display server does not expose it, and to tell
// monitor arrival from removal.
#pragma once

#include <string>
#include <vector>

#include "platform/edid/Edid.h"

namespace orvane::platform::linuxplatform {

struct DrmConnector {
    std::string card;  // "card0"
    std::string name;  // "DP-1", "HDMI-A-1"
    bool connected = false;
    Edid edid;  // empty when the connector has no monitor or no EDID
};

constexpr const char kDrmClassRoot[] = "/sys/class/drm";

// Connectors below root ("cardN-<connector>" folders), sorted by folder name.
// A missing or unreadable root gives an empty list.
std::vector<DrmConnector> ReadDrmConnectors(const std::string& root = kDrmClassRoot);

// The connector a display-server output name refers to. Drivers spell the
// same connector differently ("HDMI-A-1" in the kernel, "HDMI-1" or
// "HDMI-A-1" in the server, "DisplayPort-1" for "DP-1"); nullptr when none
// fits.
const DrmConnector* FindConnectorForOutput(const std::vector<DrmConnector>& connectors,
                                           const std::string& outputName);

}  // namespace orvane::platform::linuxplatform
