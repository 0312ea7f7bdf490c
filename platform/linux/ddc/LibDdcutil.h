// DdcLibrary over libddcutil, loaded at run time: the library writes notices
// to standard output as soon as it is loaded, so loading and detection run
// with standard output captured and the text goes to the log instead. A
// machine without the library, without I2C devices or without permission on
// them gets no DDC/CI monitors and one log line saying why.
#pragma once

#include <memory>
#include <string>

#include "platform/linux/ddc/DdcLibrary.h"

namespace orvane::platform::linuxplatform {

// Folder of the I2C device nodes; tests point it elsewhere.
constexpr const char kDevFolder[] = "/dev";

// Whether DDC/CI can work with the I2C device nodes in devFolder: fault None
// with an empty text, or the fault and what was found.
DdcAccessReport I2cAccessCheck(const std::string& devFolder = kDevFolder);

// The text of I2cAccessCheck: why the nodes cannot be used, or empty.
std::string I2cAccessProblem(const std::string& devFolder = kDevFolder);

// devFolder: where the I2C device nodes are looked for before the library
// is loaded at all.
std::unique_ptr<DdcLibrary> CreateLibDdcutil(const std::string& devFolder = kDevFolder);

}  // namespace orvane::platform::linuxplatform
