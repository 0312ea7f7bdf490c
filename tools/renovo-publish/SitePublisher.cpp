#include "tools/renovo-publish/SitePublisher.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QSet>
#include <QTextStream>
#include <QXmlStreamWriter>

#include <cstdio>

#include "common/ManifestEntry.h"
#include "common/UpdaterFiles.h"
#include "tools/renovo-publish/Signing.h"

namespace orvane::publish {

namespace {

struct Listed {
    QString file;
    QString subDir;
    QString packedName;
    QString version;
    QString date;
    qint64 size = 0;
    QString hash;  // of the packed file, on signed sites
};

QString OwnVersion(platform::SystemApi& system, const QString& path)
{
    std::uint32_t ms = 0;
    std::uint32_t ls = 0;
    if (system.ReadFileVersion(path.toUtf8().toStdString(), ms, ls) != platform::VersionRead::Ok)
        return {};
    return QStringLiteral("%1.%2.%3.%4").arg(ms >> 16).arg(ms & 0xFFFF).arg(ls >> 16).arg(ls & 0xFFFF);
}

// All packed files share the site's one folder, so names from different
// subfolders must not meet.
QString UniquePackedName(const QString& file, const QString& subDir, QSet<QString>& taken)
{
    const QString base = (subDir.isEmpty() ? QString() : subDir.mid(1) + "_") + file + ".qz";
    QString name = base;
    for (int n = 2; taken.contains(name.toLower()); ++n)
        name = QStringLiteral("%1.%2").arg(n).arg(base);
    taken.insert(name.toLower());
    return name;
}

QString WritePacked(const QString& source, const QString& target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read %1: %2").arg(source, in.errorString());
    const QByteArray data = in.readAll();
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly) || out.write(qCompress(data)) < 0 || !out.commit())
        return QStringLiteral("cannot write %1: %2").arg(target, out.errorString());
    return {};
}

QString WriteManifest(const QString& path, const PublishOptions& options, const QList<Listed>& listed)
{
    const bool sign = !options.signKeyFile.isEmpty();
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return QStringLiteral("cannot write %1: %2").arg(path, out.errorString());
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("manifest"));
    xml.writeAttribute(QStringLiteral("version"), options.version);
    if (sign) {
        xml.writeAttribute(QStringLiteral("sequence"), QString::number(options.sequence));
        xml.writeAttribute(QStringLiteral("expires"), options.expires.toUTC().toString(Qt::ISODate));
        xml.writeAttribute(QStringLiteral("channel"), options.channel);
    }
    for (const Listed& item : listed) {
        xml.writeStartElement(QStringLiteral("entry"));
        xml.writeAttribute(QStringLiteral("file"), item.file);
        xml.writeTextElement(QStringLiteral("packedName"), item.packedName);
        xml.writeTextElement(QStringLiteral("fileVersion"), item.version);
        xml.writeTextElement(QStringLiteral("fileDate"), item.date);
        xml.writeTextElement(QStringLiteral("fileSize"), QString::number(item.size));
        xml.writeTextElement(QStringLiteral("subDir"), item.subDir);
        if (sign)
            xml.writeTextElement(QStringLiteral("sha256"), item.hash);
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    if (xml.hasError() || !out.commit())
        return QStringLiteral("cannot write %1: %2").arg(path, out.errorString());
    return {};
}

}  // namespace

QString ManifestDate(const QDateTime& dateTime)
{
    return QLocale::c().toString(dateTime.toLocalTime(), QStringLiteral("M/d/yyyy h:m:s AP"));
}

QString PublishSite(platform::SystemApi& system, const PublishOptions& options)
{
    const QDir install(options.installDir);
    if (!install.exists())
        return QStringLiteral("no installation folder %1").arg(options.installDir);
    if (!QDir().mkpath(options.siteDir))
        return QStringLiteral("cannot create %1").arg(options.siteDir);

    QStringList excluded;
    for (const QString& name : options.exclude)
        excluded << name.toLower();

    QList<Listed> listed;
    QSet<QString> taken;
    QStringList folders{QString()};
    for (const QString& sub : install.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        folders << "/" + sub;
    for (const QString& subDir : folders) {
        if (!subDir.isEmpty() && (!IsPlainName(subDir.mid(1)) || IsUpdaterStateName(subDir.mid(1)))) {
            std::fprintf(stderr, "renovo-publish: skipping folder %s\n", qPrintable(subDir));
            continue;
        }
        const QDir dir(options.installDir + subDir);
        for (const QFileInfo& info : dir.entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
            // The settings and the updater's own records belong to the
            // installation, not to the release; the updater refuses them.
            if (excluded.contains(info.fileName().toLower()) || IsUpdaterStateName(info.fileName()))
                continue;
            if (!IsPlainName(info.fileName()) || info.size() > 0x7FFFFFFF) {
                std::fprintf(stderr, "renovo-publish: skipping %s\n", qPrintable(info.filePath()));
                continue;
            }
            Listed item;
            item.file = info.fileName();
            item.subDir = subDir;
            item.packedName = UniquePackedName(item.file, subDir, taken);
            item.version = OwnVersion(system, info.filePath());
            item.date = ManifestDate(options.date ? *options.date : info.lastModified());
            item.size = info.size();
            if (!item.version.isEmpty() && !options.version.isEmpty() && item.version != options.version)
                std::fprintf(stderr, "renovo-publish: %s carries version %s, not %s\n", qPrintable(info.filePath()),
                             qPrintable(item.version), qPrintable(options.version));
            const QString problem = WritePacked(info.filePath(), options.siteDir + "/" + item.packedName);
            if (!problem.isEmpty())
                return problem;
            if (!options.signKeyFile.isEmpty()) {
                item.hash = FileHash(options.siteDir + "/" + item.packedName);
                if (item.hash.isEmpty())
                    return QStringLiteral("cannot hash %1").arg(item.packedName);
            }
            listed << item;
        }
    }
    const QString manifest = options.siteDir + "/ServerManifest.xml";
    const QString signature = manifest + ".sig";
    // A signature of an earlier publication would not match the new manifest.
    QFile::remove(signature);
    const QString problem = WriteManifest(manifest, options, listed);
    if (!problem.isEmpty() || options.signKeyFile.isEmpty())
        return problem;
    return SignManifest(options.signKeyFile, manifest, signature);
}

}  // namespace orvane::publish
