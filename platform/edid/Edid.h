// Reading the few EDID facts the Linux layer needs to name a monitor the way
// the device registry of the other platform does.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvane::platform::linuxplatform {

using Edid = std::vector<std::uint8_t>;

constexpr std::size_t kEdidBaseBlockSize = 128;

// The model ID: the three-letter plug-and-play maker ID of bytes 8-9 and the
// product code of bytes 10-11 as four upper-case hex digits ("ABC1234").
// Empty when the block is too short or the maker ID is not three letters.
std::string PnpModelId(const Edid& edid);

// Text of the monitor-name descriptor (tag 0xFC), empty when there is none.
std::string EdidMonitorName(const Edid& edid);

// Whether both hold the same base block (the first 128 bytes); blocks
// shorter than that never match anything.
bool SameBaseBlock(const Edid& a, const Edid& b);

}  // namespace orvane::platform::linuxplatform
