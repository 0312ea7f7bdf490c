// Finds VS_FIXEDFILEINFO in a PE image (PE32 or PE32+) by walking its
// resource directory: RT_VERSION, then the VS_VERSION_INFO entry, then its
// first language.
#pragma once

#include "platform/Platform.h"
#include "platform/version/ByteView.h"
#include "platform/version/FixedFileInfo.h"

namespace orvane::platform::version {

bool LooksLikePe(const ByteView& image);

// NoVersionInfo: not a PE image, or no readable version resource.
// NoFixedInfo: a version resource without a valid fixed record.
VersionRead ReadPeFixedInfo(const ByteView& image, FixedFileInfo& out);

}  // namespace orvane::platform::version
