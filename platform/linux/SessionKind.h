// Which display backend the session allows: X11 sessions are driven through
// RandR, GNOME Wayland sessions through GNOME's display configuration
// service; other Wayland desktops keep the display configuration to
// themselves, and their X11 compatibility server only pretends to change it.
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

struct SessionKind {
    bool tryX11 = false;
    bool tryGnome = false;
    std::string why;  // when neither: the log line's reason
};

SessionKind ClassifySession(const SessionEnvironment& environment);

}  // namespace orvane::platform::linuxplatform
