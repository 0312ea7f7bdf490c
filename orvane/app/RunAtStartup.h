// The run-at-log-on entry: the program only reads it; the Kestrun tool in the
// program's folder adds ("1") or deletes ("0") it with administrator rights.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace orvane {

// Kestrun beside the program whose path is given (".exe" on Windows).
std::string KestrunPath(const std::string& modulePath);

// Starts Kestrun with "1" or "0" and does not wait; true when it started.
bool SetRunAtStartup(platform::SystemApi& system, const std::string& modulePath, bool enabled);

}  // namespace orvane
