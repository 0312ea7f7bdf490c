#include "platform/linux/session/GuiSession.h"

#include <X11/Xlib.h>

#include <cstdlib>
#include <cstring>

namespace orvane::platform::linuxplatform {

std::string GuiSessionProblem(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return {};
    }
    const char* chosen = std::getenv("QT_QPA_PLATFORM");
    if (chosen && *chosen && std::strncmp(chosen, "xcb", 3) != 0)
        return {};
    // In a Wayland session Qt may take the compositor or its X server: it
    // alone can tell which works.
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (wayland && *wayland)
        return {};
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        return "no graphical session: neither DISPLAY nor WAYLAND_DISPLAY is set (start it from a desktop session)";
    ::Display* connection = ::XOpenDisplay(nullptr);
    if (!connection)
        return std::string("the X display \"") + display + "\" cannot be opened";
    ::XCloseDisplay(connection);
    return {};
}

}  // namespace orvane::platform::linuxplatform
