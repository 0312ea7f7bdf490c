// RunInfo.ini beside the executables: read once at start, never written.
#pragma once

#include <QString>

namespace orvane {

// applicationDirPath() + "/RunInfo.ini".
QString SettingsFilePath();

// "TraceSet/TraceLevel", default 1; a non-numeric text reads as 0.
int ReadTraceLevel();

// "Others/Site": true selects the test update site. Absent, "", "0" and
// "false" in any case read as false; every other text as true.
bool ReadTestSiteFlag();

}  // namespace orvane
