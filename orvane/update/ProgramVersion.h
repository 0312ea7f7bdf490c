// The orientation program's reading of a version resource: the four numbers
// and a text of a chosen number of components with the minor number padded
// to an even count of digits ("1.02.3.4").
#pragma once

#include <QString>

#include "platform/Platform.h"

namespace orvane {

// Fills the four outputs and returns the text, or returns "" and leaves the
// outputs as they were when the file has no readable version record.
QString ReadFileVersion(platform::SystemApi& system, const QString& path, int& major, int& minor, int& build,
                        int& revision, int count);

}  // namespace orvane
