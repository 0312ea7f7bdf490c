// Monitors, displays and system notices described in a JSON file, for tests
// and demonstrations.
#pragma once

#include <memory>
#include <string>

#include "platform/Platform.h"

namespace orvane::platform::sim {

// nullptr when the description cannot be read. host gives the process
// services the simulation does not replace (own path, single instance,
// file times and versions, and elevated starts when the state allows them):
// those of the real system, CreateHostSystem(), in the program.
std::unique_ptr<Platform> CreateSimPlatform(const std::string& descriptionPath, std::unique_ptr<SystemApi> host);

// Its process services alone (elevated starts recorded in the state);
// nullptr when the description cannot be read.
std::unique_ptr<SystemApi> CreateSimSystem(const std::string& descriptionPath, std::unique_ptr<SystemApi> host);

}  // namespace orvane::platform::sim
