// The commands of the orvane-sim tool, which drives a running simulation from
// outside the process by changing its description file.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace orvane::platform::sim {

// args: FILE COMMAND [ARGS...], or edid [OPTIONS...]. Returns the process
// exit code: 0 done, 1 the command failed, 2 usage error.
int RunSimCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The usage text.
std::string SimUsage();

}  // namespace orvane::platform::sim
