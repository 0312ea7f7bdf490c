// The folder both programs keep their logs and working copies in.
#pragma once

#include <QString>

namespace orvane {

// Qt's temporary location when it names an existing folder, else the
// platform's default temporary folder: a TMPDIR (or TEMP) that points
// nowhere must never turn the paths built on it into paths below "/".
QString TempFolder();

}  // namespace orvane
