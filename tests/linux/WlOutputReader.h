// Reads the outputs as every Wayland client sees them (wl_output), on a
// fresh connection, independent of the output configuration protocols the
// program uses.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct WlOutputState {
    std::string name;  // wl_output 4 and later
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t transform = 0;
    std::int32_t width = 0;  // the current mode, unturned
    std::int32_t height = 0;

    // The part of the compositor's space the output covers (scale 1).
    std::int32_t ShownWidth() const { return transform & 1 ? height : width; }
    std::int32_t ShownHeight() const { return transform & 1 ? width : height; }
};

// The outputs of the compositor at socket (a path or name); empty on failure.
std::vector<WlOutputState> ReadWlOutputs(const std::string& socket);
const WlOutputState* FindWlOutput(const std::vector<WlOutputState>& outputs, const std::string& name);
