// Puts a ready file in place of an installed one so that the installed path
// always holds either the complete old file or the complete new one.
#pragma once

#include <QString>

#include <optional>

#include "platform/Platform.h"

namespace orvane {

// Copies source to a staged file beside target, stamps its last-write time
// (when given), then swaps it in with one rename. On any failure the staged
// copy is removed and target is left byte-identical. A replaced file keeps
// its permissions; a new one is made executable when it is a program.
bool ReplaceInstalledFile(platform::SystemApi& system, const QString& source, const QString& target,
                          std::optional<qint64> lastWriteTime);

// Name of the staged copy of target while it is being replaced.
QString StagedPath(const QString& target);

}  // namespace orvane
