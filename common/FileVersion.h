// The updater's reading of an installed file's version resource.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>

#include "platform/Platform.h"

namespace orvane {

// The two file-version words of the file's fixed version record; false, with
// "error in GetFileVersionInfo" or "error in VerQueryValue" in the log, when
// the file has none that can be read. Both programs' forms read through it.
bool ReadVersionWords(platform::SystemApi& system, const QString& path, std::uint32_t& ms, std::uint32_t& ls);

// "major.minor.build.revision" of the file's fixed version record, or "" (with
// "error in GetFileVersionInfo" or "error in VerQueryValue" in the log).
QString ReadFileVersion(platform::SystemApi& system, const QString& path);

// How the per-file test learns an installed file's version text; each program
// plugs in its own form of the reading.
using VersionReader = std::function<QString(const QString& path)>;

}  // namespace orvane
