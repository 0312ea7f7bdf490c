// The real platform of the build's OS. The build compiles exactly one
// definition of these (HostLinux.cpp or HostWin32.cpp), so the OS is chosen
// by CMake and nowhere else.
#pragma once

#include <memory>

#include "platform/Platform.h"

namespace orvane::platform {

std::unique_ptr<Platform> CreateHostPlatform();

// What the host adds around a simulated platform: on Linux the optional
// hand-over of its rotations to the session's real desktop.
std::unique_ptr<Platform> AroundSimulation(std::unique_ptr<Platform> sim);

}  // namespace orvane::platform
