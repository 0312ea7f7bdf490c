// Signed updates' guard against an old manifest served again or one taken
// from the other site: the signed manifest's root element carries "sequence"
// (grows with every publication), "expires" (UTC, ISO 8601) and "channel"
// (the site it was published to), and the newest sequence accepted is kept
// in the installation folder.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace orvane {

// A signature file is a line of base64; anything longer is not one.
constexpr qint64 kMaxSignatureSize = 4096;

struct ManifestSeal {
    qint64 sequence = -1;  // -1: absent or not a number
    QDateTime expires;     // invalid: absent or not a date
    QString channel;       // kProductionChannel, kTestChannel, or whatever else was written
};

// The root element's attributes; a document that does not start with an
// element gives an empty seal.
ManifestSeal ReadManifestSeal(const QByteArray& manifest);

// The newest sequence accepted so far in this installation, or why the
// record cannot be trusted: it must be a plain file holding a decimal number
// and a line end, nothing else. A missing record is a damaged one too: an
// installation of a signed build is shipped with its record.
QString ReadAcceptedSequence(const QString& installDir, qint64& sequence);
bool WriteAcceptedSequence(const QString& installDir, qint64 sequence);

// Checks a downloaded manifest against its downloaded signature file: a
// good signature by a built-in key, the channel of siteUrl (the base URL it
// was fetched from), a sequence not below the newest accepted (read from a
// sound record), and an expiry still ahead. Empty when the manifest may be
// used, else why not; *sequence receives the manifest's sequence.
QString CheckSignedManifest(const QString& manifestPath, const QString& signaturePath, const QString& installDir,
                            const QString& siteUrl, qint64* sequence = nullptr);

class DownloadCancel;

// Downloads the detached signature of siteUrl + manifestName beside the
// local manifest copy and applies CheckSignedManifest; the signature copy is
// removed again.
QString FetchAndCheckSignature(const QString& siteUrl, const QString& manifestName, const QString& localManifest,
                               const QString& installDir, qint64* sequence = nullptr,
                               DownloadCancel* cancel = nullptr);

}  // namespace orvane
