// Whether this machine is set up for DDC/CI for good: the i2c-dev module
// listed to load at every start, a udev rule giving the logged-in user the
// display adapters' I2C buses. When it is, what a user still has to do is
// only for now (load the module once, log in again), and the hints say so.
#pragma once

#include <string>

namespace orvane::platform::linuxplatform {

// A modules-load.d file (or /etc/modules) below root lists module; "-" and
// "_" in module names are the same.
bool ModuleLoadsAtBoot(const std::string& module, const std::string& root = "");

// A udev rule below root tags the I2C device nodes for the seat's user
// (uaccess), as the package's rule and ddcutil's do.
bool I2cAccessRuleInstalled(const std::string& root = "");

}  // namespace orvane::platform::linuxplatform
