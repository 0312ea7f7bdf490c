// The working folder both programs share for the downloaded manifest and the
// packed and unpacked copies of listed files.
#pragma once

#include <QString>

namespace orvane {

// TempFolder() followed by "/Renovo".
QString UpdateWorkDir();

// The folder is a real folder (not a link) owned by this process's user. An
// updater running with more rights than the user must not write through a
// folder someone else prepared in a shared temporary location.
bool IsPrivateFolder(const QString& path);

}  // namespace orvane
