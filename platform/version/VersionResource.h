// Reads the fixed file-version record (VS_FIXEDFILEINFO) of an executable
// without the Windows version API: from a PE file's version resource, or from
// the record the build embeds in the project's own ELF executables.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Platform.h"

namespace orvane::platform::version {

VersionRead ReadFixedFileVersion(const std::string& path, std::uint32_t& fileVersionMS, std::uint32_t& fileVersionLS);

}  // namespace orvane::platform::version
