// Finds the fixed version record the build embeds in the project's own ELF
// executables: the contents of the section named kEmbeddedVersionSection,
// located through the section headers (32- or 64-bit, either byte order).
#pragma once

#include "platform/Platform.h"
#include "platform/version/ByteView.h"
#include "platform/version/FixedFileInfo.h"

namespace orvane::platform::version {

bool LooksLikeElf(const ByteView& image);

// NoVersionInfo: not an ELF image, or no version section.
// NoFixedInfo: the section exists but holds no valid record.
VersionRead ReadElfFixedInfo(const ByteView& image, FixedFileInfo& out);

}  // namespace orvane::platform::version
