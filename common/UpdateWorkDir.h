// The working folder both programs share for the downloaded manifest and the
// packed and unpacked copies of listed files.
#pragma once

#include <QString>

namespace orvane {

// The temporary-files location followed by "/Renovo".
QString UpdateWorkDir();

}  // namespace orvane
