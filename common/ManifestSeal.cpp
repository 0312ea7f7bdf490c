#include "common/ManifestSeal.h"

#include <QFile>
#include <QSaveFile>
#include <QXmlStreamReader>

#include "common/Download.h"
#include "common/ManifestReader.h"
#include "common/UpdateTrust.h"

namespace orvane {

namespace {

const char* const kSequenceFile = "/UpdateSequence";

QByteArray ReadCapped(const QString& path, qint64 cap, bool& ok)
{
    QFile file(path);
    ok = file.open(QIODevice::ReadOnly);
    const QByteArray data = ok ? file.read(cap + 1) : QByteArray();
    ok = ok && data.size() <= cap;
    return data;
}

}  // namespace

ManifestSeal ReadManifestSeal(const QByteArray& manifest)
{
    ManifestSeal seal;
    QXmlStreamReader xml(manifest);
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::DTD || token == QXmlStreamReader::Invalid)
            return seal;
        if (token != QXmlStreamReader::StartElement)
            continue;
        bool ok = false;
        const qint64 sequence = xml.attributes().value(QStringLiteral("sequence")).toLongLong(&ok);
        seal.sequence = ok && sequence >= 0 ? sequence : -1;
        seal.expires = QDateTime::fromString(xml.attributes().value(QStringLiteral("expires")).toString(), Qt::ISODate);
        return seal;
    }
    return seal;
}

qint64 ReadAcceptedSequence(const QString& installDir)
{
    bool ok = false;
    const QByteArray text = ReadCapped(installDir + kSequenceFile, 64, ok);
    const qint64 sequence = ok ? text.trimmed().toLongLong(&ok) : -1;
    return ok ? sequence : -1;
}

bool WriteAcceptedSequence(const QString& installDir, qint64 sequence)
{
    QSaveFile file(installDir + kSequenceFile);
    return file.open(QIODevice::WriteOnly) && file.write(QByteArray::number(sequence) + "\n") > 0 && file.commit();
}

QString CheckSignedManifest(const QString& manifestPath, const QString& signaturePath, const QString& installDir,
                            qint64* sequence)
{
    bool ok = false;
    const QByteArray manifest = ReadCapped(manifestPath, kMaxManifestSize, ok);
    if (!ok)
        return QStringLiteral("manifest cannot be read");
    const QByteArray signature = ReadCapped(signaturePath, kMaxSignatureSize, ok);
    if (!ok)
        return QStringLiteral("no signature");
    const QString problem = VerifyManifestSignature(manifest, signature);
    if (!problem.isEmpty())
        return problem;
    // Only now is the content the publisher's own.
    const ManifestSeal seal = ReadManifestSeal(manifest);
    if (seal.sequence < 0 || !seal.expires.isValid())
        return QStringLiteral("no sequence or expiry");
    const qint64 accepted = ReadAcceptedSequence(installDir);
    if (seal.sequence < accepted)
        return QStringLiteral("sequence %1 is older than the accepted %2").arg(seal.sequence).arg(accepted);
    if (seal.expires < QDateTime::currentDateTimeUtc())
        return QStringLiteral("expired at %1").arg(seal.expires.toString(Qt::ISODate));
    if (sequence)
        *sequence = seal.sequence;
    return {};
}

QString FetchAndCheckSignature(const QString& manifestUrl, const QString& localManifest, const QString& installDir,
                               qint64* sequence, DownloadCancel* cancel)
{
    const QString localSignature = SignatureName(localManifest);
    QFile::remove(localSignature);
    if (!DownloadFile(SignatureName(manifestUrl), localSignature, kMaxSignatureSize, cancel))
        return QStringLiteral("no signature");
    const QString problem = CheckSignedManifest(localManifest, localSignature, installDir, sequence);
    QFile::remove(localSignature);
    return problem;
}

}  // namespace orvane
