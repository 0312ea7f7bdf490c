// Demonstration mode: a platform whose monitors are simulated hands every
// rotation it makes on to the real desktop of this session, so a pivot read
// over simulated DDC/CI turns a real display (an X11 output, or an output of
// a GNOME, KDE Plasma or wlroots-family Wayland desktop). The platform seam
// stays the simulated one in every other respect.
#pragma once

#include <memory>
#include <string>

#include "platform/Platform.h"

class QDBusConnection;

namespace orvane::platform::linuxplatform {

// The session's own displays (the backend LinuxDisplay chooses, GNOME's
// service through sessionBus) without any monitor devices; nullptr, with
// one log line, when the session has none usable.
std::unique_ptr<DisplayApi> CreateSessionDisplays(const QDBusConnection& sessionBus);

// Wraps inner: after each successful orientation change of inner's displays,
// the session display named realOutput (empty: the first, primary, one) is
// turned the same way, keeping its mode. A refusal of the real desktop is
// logged; the simulated change stands.
std::unique_ptr<Platform> ForwardRotations(std::unique_ptr<Platform> inner, std::unique_ptr<DisplayApi> session,
                                           std::string realOutput);

// The demonstration switch: with ORVANE_SESSION_ROTATION set ("primary" or
// an output name such as "DP-1"), inner's rotations are handed on to the
// session's display; without it inner comes back unchanged.
std::unique_ptr<Platform> WithRotationForwarding(std::unique_ptr<Platform> inner);

}  // namespace orvane::platform::linuxplatform
