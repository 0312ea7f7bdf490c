// Display device names live in fixed buffers of 32 wide characters on the
// platform the program was designed for.
#pragma once

#include <string>

namespace orvane {

constexpr int kDeviceNameChars = 31;

// The name cut to at most 31 UTF-16 units, never inside a character.
std::string CutDeviceName(const std::string& name);

}  // namespace orvane
