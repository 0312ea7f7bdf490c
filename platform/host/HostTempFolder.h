// Where the OS keeps a user's temporary files. Each OS folder implements it
// (host/HostTempFolder.cpp under platform/linux and platform/win32).
#pragma once

#include <QString>
#include <QStringList>

namespace orvane::platform::host {

// The folders the user's environment names as its temporary folder, in the
// order they are preferred; each may be empty or name nothing.
// Linux: $TMPDIR, $XDG_RUNTIME_DIR. Windows: Qt's temporary location.
QStringList TempFolderCandidates();

// The temporary folder when no candidate names one. Linux:
// PrivateTempFolder("/tmp") (empty when none can be made). Windows:
// "%LOCALAPPDATA%/Temp" when it exists, else "%SystemRoot%/Temp".
QString DefaultTempFolder();

// "<base>/orvane-<uid>", created with mode 0700 and used only while it is a
// real folder of this user that nobody else may enter; when that name is
// taken by anything else, a fresh "<base>/orvane-<uid>-XXXXXX" instead.
// Empty when neither can be made, and always on Windows.
QString PrivateTempFolder(const QString& base);

}  // namespace orvane::platform::host
