// The real platform of the build's OS, as the process's platform choice
// (platform/select) meets it. Each OS folder defines these, together with
// CreateHostSystem and GuiSessionProblem of the seam, in its
// HostPlatform.cpp; platform/CMakeLists.txt builds the one of the OS.
#pragma once

#include <memory>

#include "platform/Platform.h"

namespace orvane::platform {

std::unique_ptr<Platform> CreateHostPlatform();

// What the host adds around a simulated platform: on Linux the desktop
// session's notices and notifications, and the optional hand-over of its
// rotations to the session's real desktop; on Windows nothing.
std::unique_ptr<Platform> AroundSimulation(std::unique_ptr<Platform> sim);

}  // namespace orvane::platform
