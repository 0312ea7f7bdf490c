// Whether the session has a display the GUI library can open. Qt ends the
// process with an abort when its display cannot be reached, so the programs
// ask first and leave with a sentence instead.
#pragma once

#include <string>

namespace orvane::platform::linuxplatform {

// "" when a window can be shown, or when only Qt can tell (a GUI back-end
// chosen through QT_QPA_PLATFORM or "-platform", a Wayland session);
// otherwise what is missing.
std::string GuiSessionProblem(int argc, char** argv);

}  // namespace orvane::platform::linuxplatform
