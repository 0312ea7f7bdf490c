#include "common/ManifestSeal.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include "common/BoundedRead.h"
#include "common/CheckedFile.h"
#include "common/Download.h"
#include "common/ManifestReader.h"
#include "common/SiteChannel.h"
#include "common/UpdateTrust.h"
#include "common/UpdaterFiles.h"

namespace orvane {

namespace {

QString SequencePath(const QString& installDir)
{
    return installDir + "/" + kSequenceFileName;
}

QByteArray ReadCapped(const QString& path, qint64 cap, bool& ok)
{
    QFile file(path);
    ok = file.open(QIODevice::ReadOnly);
    const QByteArray data = ok ? ReadAtMost(file, cap + 1) : QByteArray();
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
        seal.channel = xml.attributes().value(QStringLiteral("channel")).toString();
        return seal;
    }
    return seal;
}

QString ReadAcceptedSequence(const QString& installDir, qint64& sequence)
{
    sequence = -1;
    const QString path = SequencePath(installDir);
    const QFileInfo info(path);
    if (info.isSymLink() || (info.exists() && !info.isFile()))
        return QStringLiteral("the accepted-sequence record is not a plain file");
    if (!info.exists())
        return QStringLiteral("the accepted-sequence record is missing");
    bool ok = false;
    const QByteArray text = ReadCapped(path, 32, ok);
    if (!ok)
        return QStringLiteral("the accepted-sequence record cannot be read");
    // Exactly what WriteAcceptedSequence writes: anything else was not
    // written by the updater.
    static const QRegularExpression form(QStringLiteral("\\A(0|[1-9][0-9]{0,17})\\n\\z"));
    if (!form.match(QString::fromLatin1(text)).hasMatch())
        return QStringLiteral("the accepted-sequence record is damaged");
    sequence = text.trimmed().toLongLong();
    return {};
}

bool WriteAcceptedSequence(const QString& installDir, qint64 sequence)
{
    CheckedFile file;
    const QByteArray text = QByteArray::number(sequence) + "\n";
    return file.CreateBeside(SequencePath(installDir)) && file.Write(text.constData(), text.size())
        && file.CommitTo(SequencePath(installDir));
}

QString CheckSignedManifest(const QString& manifestPath, const QString& signaturePath, const QString& installDir,
                            const QString& siteUrl, qint64* sequence)
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
    const QString channel = SiteChannel(siteUrl);
    if (channel.isEmpty())
        return QStringLiteral("the site address %1 is neither the production nor the test site").arg(siteUrl);
    if (seal.channel != channel)
        return QStringLiteral("signed for the \"%1\" site, fetched from the \"%2\" site").arg(seal.channel, channel);
    qint64 accepted = -1;
    const QString record = ReadAcceptedSequence(installDir, accepted);
    if (!record.isEmpty())
        return record;
    if (seal.sequence < accepted)
        return QStringLiteral("sequence %1 is older than the accepted %2").arg(seal.sequence).arg(accepted);
    if (seal.expires < QDateTime::currentDateTimeUtc())
        return QStringLiteral("expired at %1").arg(seal.expires.toString(Qt::ISODate));
    if (sequence)
        *sequence = seal.sequence;
    return {};
}

QString FetchAndCheckSignature(const QString& siteUrl, const QString& manifestName, const QString& localManifest,
                               const QString& installDir, qint64* sequence, DownloadCancel* cancel)
{
    const QString localSignature = SignatureName(localManifest);
    QFile::remove(localSignature);
    if (!DownloadFile(SignatureName(siteUrl + manifestName), localSignature, kMaxSignatureSize, cancel))
        return QStringLiteral("no signature");
    const QString problem = CheckSignedManifest(localManifest, localSignature, installDir, siteUrl, sequence);
    QFile::remove(localSignature);
    return problem;
}

}  // namespace orvane
