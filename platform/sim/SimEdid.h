// EDID base blocks for simulated monitors: written out as hex bytes in the
// description, or made up (by the EDID builder of platform/edid) from a
// product code, native size, name and serial.
#pragma once

#include <QJsonValue>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvane::platform::sim {

// The "edid" item of a description: a hex string (any length, blanks
// allowed) or an object {"productCode", "width", "height", "name", "serial",
// "manufacturer"}. Missing or null: no EDID value. Malformed: nullopt and
// error set.
std::optional<std::vector<std::uint8_t>> EdidFromJson(const QJsonValue& value, std::string* error);

}  // namespace orvane::platform::sim
