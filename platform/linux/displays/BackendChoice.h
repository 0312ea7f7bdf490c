// Which display backends the session allows: X11 sessions are driven through
// RandR; Wayland sessions through the compositor's own output configuration
// protocol (KDE Plasma, the wlroots family), which its registry globals
// reveal, or GNOME's display configuration service. The X11 compatibility
// server of a Wayland session only pretends to change the outputs.
#pragma once

#include <string>

namespace orvane::platform::linuxplatform {

struct SessionEnvironment {
    std::string sessionType;     // XDG_SESSION_TYPE
    std::string waylandDisplay;  // WAYLAND_DISPLAY
    std::string display;         // DISPLAY
    std::string desktop;         // XDG_CURRENT_DESKTOP
};

SessionEnvironment ReadSessionEnvironment();

// The backend a session's displays are driven through.
enum class DisplayBackendKind { None, X11, Gnome, Wayland };

struct BackendChoice {
    bool tryX11 = false;
    bool tryWayland = false;  // ask the compositor's globals first
    bool tryGnome = false;    // then GNOME's display configuration service
    std::string why;          // the log line's reason when no backend is found
};

BackendChoice ChooseBackends(const SessionEnvironment& environment);

}  // namespace orvane::platform::linuxplatform
