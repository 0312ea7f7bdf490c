#include "platform/linux/displays/BackendChoice.h"

#include <cstdlib>

namespace orvane::platform::linuxplatform {

namespace {
std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}
}  // namespace

SessionEnvironment ReadSessionEnvironment()
{
    return SessionEnvironment{Env("XDG_SESSION_TYPE"), Env("WAYLAND_DISPLAY"), Env("DISPLAY"),
                              Env("XDG_CURRENT_DESKTOP")};
}

BackendChoice ChooseBackends(const SessionEnvironment& environment)
{
    BackendChoice kind;
    const bool wayland = environment.sessionType == "wayland" ||
                         (environment.sessionType != "x11" && !environment.waylandDisplay.empty());
    if (wayland) {
        // Desktop names are only a hint: sway sets none, so any Wayland
        // compositor is asked, and GNOME's service is looked for on the bus.
        kind.tryWayland = true;
        kind.tryGnome = true;
        const std::string desktop = environment.desktop.empty() ? "this desktop" : environment.desktop;
        kind.why = "the Wayland desktop (" + desktop +
                   ") offers no output configuration the program can use (KDE's, wlroots', or GNOME's display "
                   "configuration service): the desktop cannot be rotated; log on with an X11 session";
        return kind;
    }
    if (environment.display.empty()) {
        kind.why = "no X display (DISPLAY is not set)";
        return kind;
    }
    kind.tryX11 = true;
    return kind;
}

}  // namespace orvane::platform::linuxplatform
