// EDID base blocks for simulated monitors: written out as hex bytes in the
// description, or made up from a product code, native size, name and serial.
#pragma once

#include <QJsonValue>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvane::platform::sim {

struct EdidFields {
    std::string manufacturer = "ORV";
    std::uint16_t productCode = 0;
    int width = 1920;
    int height = 1080;
    std::string name;
    std::string serial;
};

// A 128-byte block with the preferred timing at the native size, a 0xFF
// serial descriptor, a 0xFC name descriptor and a valid checksum.
std::vector<std::uint8_t> MakeEdid(const EdidFields& fields);

// The "edid" item of a description: a hex string (any length, blanks
// allowed) or an object {"productCode", "width", "height", "name", "serial",
// "manufacturer"}. Missing or null: no EDID value. Malformed: nullopt and
// error set.
std::optional<std::vector<std::uint8_t>> EdidFromJson(const QJsonValue& value, std::string* error);

}  // namespace orvane::platform::sim
