#include "common/ManifestReader.h"

#include <QDebug>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QXmlStreamReader>

#include "common/BoundedRead.h"
#include "common/Log.h"
#include "common/UserPrompts.h"

namespace orvane {

namespace {

// One entry while it is being read: the fields by the position of the
// entry's child nodes, texts gathered from every level below each child.
struct EntryBuilder {
    ManifestEntry entry;
    QString fields[6];
    int childCount = 0;
    int fieldDepth = 0;  // levels open inside the current child element

    ManifestEntry Finish()
    {
        if (childCount >= 5) {
            entry.packedName = fields[0];
            entry.fileVersion = fields[1];
            entry.fileDate = fields[2];
            entry.fileSize = fields[3];
            entry.subDir = fields[4];
            entry.sha256 = fields[5];
        }
        return entry;
    }
};

bool IsNode(QXmlStreamReader::TokenType token, const QXmlStreamReader& xml)
{
    switch (token) {
    case QXmlStreamReader::Comment:
    case QXmlStreamReader::ProcessingInstruction:
        return true;
    case QXmlStreamReader::Characters:
        // Whitespace between elements forms no node.
        return !xml.isWhitespace();
    default:
        return false;
    }
}

// Why the document is not readable, or empty when it was read into entries.
QString Parse(QXmlStreamReader& xml, QList<ManifestEntry>& entries)
{
    xml.setNamespaceProcessing(false);
    int depth = 0;  // 1 inside the root, 2 inside an entry, 3+ inside a field
    bool rootSeen = false;
    EntryBuilder current;
    QSet<QString> folders;

    auto addEntry = [&](const ManifestEntry& entry) -> QString {
        if (entries.size() >= kMaxManifestEntries)
            return QStringLiteral("more than %1 entries").arg(kMaxManifestEntries);
        folders.insert(entry.subDir);
        if (folders.size() > kMaxManifestFolders)
            return QStringLiteral("more than %1 folders").arg(kMaxManifestFolders);
        entries.append(entry);
        return {};
    };

    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        switch (token) {
        case QXmlStreamReader::DTD:
        case QXmlStreamReader::EntityReference:
            return QStringLiteral("document type declarations are not accepted");
        case QXmlStreamReader::StartElement:
            if (++depth > kMaxManifestDepth)
                return QStringLiteral("nested deeper than %1 levels").arg(kMaxManifestDepth);
            if (depth == 1) {
                rootSeen = true;
            } else if (depth == 2) {
                current = EntryBuilder();
                current.entry.file = xml.attributes().value(QStringLiteral("file")).toString();
            } else if (depth == 3) {
                ++current.childCount;
            }
            break;
        case QXmlStreamReader::EndElement:
            if (depth == 2) {
                const QString problem = addEntry(current.Finish());
                if (!problem.isEmpty())
                    return problem;
            }
            --depth;
            break;
        case QXmlStreamReader::Characters:
            if (depth >= 3 && current.childCount <= 6)
                current.fields[current.childCount - 1] += xml.text();
            // Text directly in an entry is a child node of its own.
            if (depth == 2 && !xml.isWhitespace())
                ++current.childCount;
            if (depth == 1 && !xml.isWhitespace()) {
                const QString problem = addEntry(ManifestEntry());
                if (!problem.isEmpty())
                    return problem;
            }
            break;
        default:
            if (IsNode(token, xml)) {
                if (depth == 1) {
                    const QString problem = addEntry(ManifestEntry());
                    if (!problem.isEmpty())
                        return problem;
                } else if (depth == 2) {
                    ++current.childCount;
                }
            }
            break;
        }
    }
    if (xml.hasError())
        return xml.errorString();
    if (!rootSeen)
        return QStringLiteral("no root element");
    return {};
}

// Why the entries together ask for more than one update may bring, or empty.
QString TotalsProblem(const QList<ManifestEntry>& entries)
{
    qint64 declared = 0;
    QHash<QString, int> sharing;
    for (const ManifestEntry& entry : entries) {
        if (entry.packedName.isEmpty())
            continue;
        declared += qMax<qint64>(ParseFileSize(entry.fileSize), 0);
        if (declared > kMaxDeclaredTotal)
            return QStringLiteral("the files add up to more than %1 bytes").arg(kMaxDeclaredTotal);
        if (++sharing[entry.packedName.toLower()] > kMaxEntriesPerPackedFile)
            return QStringLiteral("more than %1 entries name the packed file \"%2\"")
                .arg(kMaxEntriesPerPackedFile)
                .arg(entry.packedName);
    }
    return {};
}

}  // namespace

ManifestRead ReadManifest(const QString& path, UserPrompts& prompts, QList<ManifestEntry>& entries)
{
    entries.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        prompts.Information(QStringLiteral("title"), QStringLiteral("open error!"));
        return ManifestRead::OpenError;
    }
    const QByteArray data = ReadAtMost(file, kMaxManifestSize + 1);
    if (data.size() > kMaxManifestSize) {
        qCDebug(lcOrvane) << "Manifest not readable: more than" << kMaxManifestSize << "bytes";
        return ManifestRead::ParseError;
    }
    QXmlStreamReader bytes(data);
    QString problem = Parse(bytes, entries);
    if (bytes.error() == QXmlStreamReader::NotWellFormedError && bytes.errorString().contains("encoded")) {
        // Sites write Big5 words into undeclared UTF-8; each stray byte
        // reads as U+FFFD, as the date parsing expects.
        entries.clear();
        QXmlStreamReader text(QString::fromUtf8(data));
        problem = Parse(text, entries);
    }
    if (!problem.isEmpty()) {
        qCDebug(lcOrvane) << "Manifest not readable:" << problem;
        entries.clear();
        return ManifestRead::ParseError;
    }
    problem = TotalsProblem(entries);
    if (!problem.isEmpty()) {
        qCDebug(lcOrvane) << "Refused manifest:" << problem;
        entries.clear();
        return ManifestRead::Refused;
    }
    return ManifestRead::Ok;
}

}  // namespace orvane
