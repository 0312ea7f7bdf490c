// How the programs' windows are drawn: neither program draws OpenGL, so its
// widgets are kept off the GL paths that would load a GL driver (on X11 the
// GLX integration maps a software renderer of some 50 MB into the process
// when the first window appears).
#pragma once

namespace orvane {

// Call before the application object is created. Leaves the choice to the
// user who named a GL integration (QT_XCB_GL_INTEGRATION, or on Wayland
// QT_WAYLAND_CLIENT_BUFFER_INTEGRATION).
void UseRasterWindows();

}  // namespace orvane
