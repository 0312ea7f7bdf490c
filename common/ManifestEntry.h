// One file of the update manifest and the paths and values derived from it.
#pragma once

#include <QDateTime>
#include <QString>

namespace orvane {

struct ManifestEntry {
    QString file;         // attribute "file": installed file name
    QString packedName;   // child 0: packed file on the site, appended to the base URL
    QString fileVersion;  // child 1: "" or "a.b.c.d"
    QString fileDate;     // child 2: "M/d/yyyy h:m:s AP", local time
    QString fileSize;     // child 3: decimal size of the unpacked file
    QString subDir;       // child 4: "" or "/" + folder name
    QString sha256;       // child 5, signed sites only: hex SHA-256 of the packed file as served
};

// Installation folder + subDir + "/" + file.
QString InstalledPath(const ManifestEntry& entry, const QString& installDir);
// Working folder + subDir + "/" + file.
QString UnpackedWorkPath(const ManifestEntry& entry, const QString& workDir);
// Working folder + subDir + "/" + packedName.
QString PackedWorkPath(const ManifestEntry& entry, const QString& workDir);
// Base URL + packedName; the base URL keeps its trailing "/".
QString PackedUrl(const ManifestEntry& entry, const QString& siteUrl);

// The date text with the Big5-as-UTF-8 morning and afternoon words replaced
// by "AM" and "PM", parsed as local time; invalid when it does not parse.
QDateTime ParseFileDate(const QString& fileDate);

// The size text as a signed 32-bit number; 0 when it does not parse.
qint32 ParseFileSize(const QString& fileSize);

// Why the entry must not be acted on, or an empty text when it is safe. The
// manifest comes over plain HTTP and the updater writes with administrator
// rights, so no field may lead outside the installation and working folders.
QString EntryProblem(const ManifestEntry& entry);

// A plain file or folder name that stays inside its folder on every platform
// (no separators, "..", drive or device names, trailing dot or blank).
bool IsPlainName(const QString& name);

}  // namespace orvane
