// What the X11 display code needs from the X server's RandR extension, as
// plain values, so that the decisions above it can be tested without a
// server. XlibRandrServer is the real one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Types.h"
#include "platform/edid/Edid.h"

namespace orvane::platform::linuxplatform {

using RandrId = unsigned long;  // XID of a mode, CRTC or output; 0 is none

// RandR rotation bits (counter-clockwise angles of the picture).
constexpr std::uint16_t kRandrRotate0 = 1;
constexpr std::uint16_t kRandrRotate90 = 2;
constexpr std::uint16_t kRandrRotate180 = 4;
constexpr std::uint16_t kRandrRotate270 = 8;
constexpr std::uint16_t kRandrRotationMask = 0x0F;

struct RandrMode {
    RandrId id = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    double refresh = 0;  // Hz
};

struct RandrCrtc {
    RandrId id = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::uint32_t width = 0;  // as shown on the screen (after rotation)
    std::uint32_t height = 0;
    RandrId mode = 0;
    std::uint16_t rotation = kRandrRotate0;   // current, may carry reflection bits
    std::uint16_t rotations = kRandrRotate0;  // supported
    std::vector<RandrId> outputs;
};

struct RandrOutput {
    RandrId id = 0;
    std::string name;
    bool connected = false;
    RandrId crtc = 0;
    std::vector<RandrId> modes;  // the output's modes, preferred ones first
    int preferred = 0;           // how many of modes are preferred
    Edid edid;
};

struct RandrScreen {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t widthMm = 0;
    std::int32_t heightMm = 0;
    std::int32_t minWidth = 0;
    std::int32_t minHeight = 0;
    std::int32_t maxWidth = 0;
    std::int32_t maxHeight = 0;
    int depth = 24;
    RandrId primary = 0;
    std::optional<Rect> workArea;  // _NET_WORKAREA of the current desktop
    std::vector<RandrMode> modes;
    std::vector<RandrCrtc> crtcs;
    std::vector<RandrOutput> outputs;

    const RandrMode* Mode(RandrId id) const;
    const RandrCrtc* Crtc(RandrId id) const;
    const RandrOutput* Output(const std::string& name) const;
};

struct RandrCrtcConfig {
    RandrId crtc = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
    RandrId mode = 0;
    std::uint16_t rotation = kRandrRotate0;
    std::vector<RandrId> outputs;
};

class RandrServer {
public:
    virtual ~RandrServer() = default;
    virtual std::optional<RandrScreen> Read() = 0;
    // Holds other clients off while a change is made in several steps.
    virtual void Grab() = 0;
    virtual void Ungrab() = 0;
    virtual bool SetScreenSize(std::int32_t width, std::int32_t height, std::int32_t widthMm,
                               std::int32_t heightMm) = 0;
    virtual bool SetCrtc(const RandrCrtcConfig& config) = 0;
};

}  // namespace orvane::platform::linuxplatform
