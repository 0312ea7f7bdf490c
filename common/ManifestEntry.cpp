#include "common/ManifestEntry.h"

#include <QLocale>
#include <QStringList>

#include "common/UpdaterFiles.h"

namespace orvane {

QString InstalledPath(const ManifestEntry& entry, const QString& installDir)
{
    return installDir + entry.subDir + "/" + entry.file;
}

QString UnpackedWorkPath(const ManifestEntry& entry, const QString& workDir)
{
    return workDir + entry.subDir + "/" + entry.file;
}

QString PackedWorkPath(const ManifestEntry& entry, const QString& workDir)
{
    return workDir + entry.subDir + "/" + entry.packedName;
}

QString PackedUrl(const ManifestEntry& entry, const QString& siteUrl)
{
    return siteUrl + entry.packedName;
}

QDateTime ParseFileDate(const QString& fileDate)
{
    // A manifest written with Big5 morning/afternoon words and read as UTF-8
    // turns each stray byte into one U+FFFD.
    const QChar r(0xFFFD);
    QString text = fileDate;
    text.replace(QString(r) + "W" + r + r, QStringLiteral("AM"));
    text.replace(QString(r) + "U" + r + r, QStringLiteral("PM"));
    // The C locale: the machine's own locale would expect its own words for
    // morning and afternoon (a Chinese one never accepts "PM").
    return QLocale::c().toDateTime(text, QStringLiteral("M/d/yyyy h:m:s AP"));
}

qint32 ParseFileSize(const QString& fileSize)
{
    bool ok = false;
    const int value = fileSize.toInt(&ok, 10);
    return ok ? value : 0;
}

namespace {

bool IsReservedDeviceName(const QString& name)
{
    // Windows opens these as devices whatever the extension ("nul.txt").
    static const QStringList devices = {
        "CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$",
        "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8", "COM9",
        "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9",
    };
    const QString stem = name.section('.', 0, 0).trimmed().toUpper();
    return devices.contains(stem);
}

}  // namespace

bool IsPlainName(const QString& name)
{
    if (name.isEmpty() || name == "." || name == "..")
        return false;
    if (name.endsWith('.') || name.endsWith(' '))
        return false;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
        // Separators, drive and stream colons, and what Windows refuses in a
        // name anyway; '?' and '#' would also change the download URL.
        if (QStringLiteral("/\\:*?\"<>|#").contains(c))
            return false;
    }
    return !IsReservedDeviceName(name);
}

QString EntryProblem(const ManifestEntry& entry)
{
    if (!IsPlainName(entry.file))
        return QStringLiteral("file name \"%1\" is not a plain name").arg(entry.file);
    // An entry without fields has no packed name; it can still be judged but
    // never downloaded.
    // '%' would let the name escape its folder once the URL is decoded.
    if (!entry.packedName.isEmpty() && (!IsPlainName(entry.packedName) || entry.packedName.contains('%')))
        return QStringLiteral("packed name \"%1\" is not a plain name").arg(entry.packedName);
    if (!entry.subDir.isEmpty() && !(entry.subDir.startsWith('/') && IsPlainName(entry.subDir.mid(1))))
        return QStringLiteral("folder \"%1\" is not \"/\" and one plain name").arg(entry.subDir);
    // The user's settings and the updater's own records are no release's files.
    if (IsUpdaterStateName(entry.file))
        return QStringLiteral("file name \"%1\" is one of the updater's own").arg(entry.file);
    if (IsUpdaterStateName(entry.packedName))
        return QStringLiteral("packed name \"%1\" is one of the updater's own").arg(entry.packedName);
    // Nor a folder of such a name: the swap's journal names each file with
    // its folder, and its reader takes no such name back after a crash.
    if (IsUpdaterStateName(entry.subDir.mid(1)))
        return QStringLiteral("folder \"%1\" is one of the updater's own").arg(entry.subDir);
    return {};
}

}  // namespace orvane
