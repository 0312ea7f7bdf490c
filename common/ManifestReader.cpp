#include "common/ManifestReader.h"

#include <QDebug>
#include <QDomDocument>
#include <QFile>

#include "common/UserPrompts.h"

namespace orvane {

namespace {

ManifestEntry EntryFromNode(const QDomNode& node)
{
    ManifestEntry entry;
    entry.file = node.toElement().attribute(QStringLiteral("file"));
    const QDomNodeList children = node.childNodes();
    if (children.count() >= 5) {
        entry.packedName = children.at(0).toElement().text();
        entry.fileVersion = children.at(1).toElement().text();
        entry.fileDate = children.at(2).toElement().text();
        entry.fileSize = children.at(3).toElement().text();
        entry.subDir = children.at(4).toElement().text();
    }
    return entry;
}

}  // namespace

ManifestRead ReadManifest(const QString& path, UserPrompts& prompts, QList<ManifestEntry>& entries)
{
    entries.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        prompts.Information(QStringLiteral("title"), QStringLiteral("open error!"));
        return ManifestRead::OpenError;
    }
    // The whole document is held as a tree; a site that sends gigabytes must
    // not take the memory of the machine with it.
    if (file.size() > kMaxManifestSize) {
        qDebug() << "Manifest too large:" << file.size() << "bytes";
        return ManifestRead::ParseError;
    }
    QDomDocument document;
    if (!document.setContent(&file, false))
        return ManifestRead::ParseError;
    const QDomElement root = document.documentElement();
    if (root.isNull())
        return ManifestRead::ParseError;
    const QDomNodeList nodes = root.childNodes();
    for (int i = 0; i < nodes.count(); ++i)
        entries.append(EntryFromNode(nodes.at(i)));
    return ManifestRead::Ok;
}

}  // namespace orvane
