// The folder both programs keep their logs and working copies in: the
// user's own temporary folder, never a shared one under a name others could
// guess and take first, and never "/".
#pragma once

#include <QString>

namespace orvane {

// Windows: Qt's temporary location when it names an existing folder, else
// the platform's default temporary folder. Elsewhere: $TMPDIR when it names
// a folder (not "/"), else $XDG_RUNTIME_DIR when it names one, else
// PrivateTempFolder().
QString TempFolder();

// "<base>/orvane-<uid>", created with mode 0700 and used only while it is a
// real folder of this user that nobody else may enter; when that name is
// taken by anything else, a fresh "<base>/orvane-<uid>-XXXXXX" instead.
// Empty when neither can be made, and always on Windows.
QString PrivateTempFolder(const QString& base = QStringLiteral("/tmp"));

}  // namespace orvane
