// Reads the fixed file-version record (VS_FIXEDFILEINFO) of an executable
// without the Windows version API: from a PE file's version resource, or from
// the record the build embeds in the project's own ELF executables.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/version/FixedFileInfo.h"

namespace orvane::platform::version {

// The outputs are written only when the result is Ok. Paths are UTF-8 (on
// Windows, as the C runtime's narrow file functions take them).
VersionRead ReadFixedFileVersion(const std::string& path, std::uint32_t& fileVersionMS, std::uint32_t& fileVersionLS);

// The same for a file image already in memory, with the whole record.
VersionRead ReadFixedFileInfo(const std::vector<std::uint8_t>& image, FixedFileInfo& out);

}  // namespace orvane::platform::version
