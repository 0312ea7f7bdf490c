// Monitors, displays and system notices described in a JSON file, for tests
// and demonstrations.
#pragma once

#include <memory>
#include <string>

#include "platform/Platform.h"

namespace orvane::platform::sim {

// nullptr when the description cannot be read.
std::unique_ptr<Platform> CreateSimPlatform(const std::string& descriptionPath);

// Its process services alone (elevated starts recorded in the state);
// nullptr when the description cannot be read.
std::unique_ptr<SystemApi> CreateSimSystem(const std::string& descriptionPath);

}  // namespace orvane::platform::sim
