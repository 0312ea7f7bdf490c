// The per-file test of the update manifest: is the installed copy missing or
// out of date?
#pragma once

#include <QString>

#include "common/FileVersion.h"
#include "common/ManifestEntry.h"

namespace orvane {

// Manifest version against installed version, component by component over
// four parts (missing or non-numeric parts count as 0): 0 when all are equal,
// 1 when any installed part is lower, else -1. Not an ordering: installed
// 2.0.0.0 against 1.5.0.0 gives 1.
int CompareVersion(const QString& manifestVersion, const QString& installedVersion);

// True when the installed file is missing; else, with a version in the
// manifest, when CompareVersion gives 1; else when the installed file is
// older than the manifest date or differs in size. A date that does not parse
// leaves the decision to the size.
bool NeedsUpdate(const ManifestEntry& entry, const QString& installDir, const VersionReader& readVersion);

// Whether the manifest's file is older than the installed one, compared in
// order of significance (major first) when a version is listed, else by the
// date. A missing installed file is never newer.
bool IsOlderThanInstalled(const ManifestEntry& entry, const QString& installDir, const VersionReader& readVersion);

// The decision line: "<installed path in quotes>" "  " true|false.
void LogUpdateDecision(const QString& installedPath, bool needsUpdate);

// Creates installation folder + subDir and working folder + subDir, one level
// each, where missing.
void CreateEntryFolders(const ManifestEntry& entry, const QString& installDir, const QString& workDir);

// Why the entry's place in the installation or working folder is unsafe to
// write to (its folder or file is a link, which could lead anywhere), or an
// empty text.
QString LinkOnPath(const ManifestEntry& entry, const QString& installDir, const QString& workDir);

enum class EntryVerdict { UpToDate, OutOfDate, Refused };

// The walk's step for one entry: refuses (and logs) an unsafe entry, or one
// whose place passes through a link, before anything is created for it;
// otherwise creates its folders, logs its parsed date and applies
// NeedsUpdate. A build that takes only signed sites keeps an installed file
// newer than the manifest's (IsOlderThanInstalled).
EntryVerdict JudgeEntry(const ManifestEntry& entry, const QString& installDir, const QString& workDir,
                        const VersionReader& readVersion);

}  // namespace orvane
