// Whether the session has a display the GUI library can open. Qt ends the
// process with an abort when its display cannot be reached, so the programs
// ask first and leave with a sentence instead.
#pragma once

#include <string>

namespace orvane::platform::linuxplatform {

// "" when a window can be shown, or when a GUI back-end other than X11 was
// chosen (QT_QPA_PLATFORM, "-platform") and only Qt can tell; otherwise what
// is missing.
std::string GuiSessionProblem(int argc, char** argv);

}  // namespace orvane::platform::linuxplatform
