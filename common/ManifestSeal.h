// Signed updates' guard against an old manifest served again: the signed
// manifest's root element carries "sequence" (grows with every publication)
// and "expires" (UTC, ISO 8601), and the newest sequence accepted is kept in
// the installation folder.
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
};

// The root element's attributes; a document that does not start with an
// element gives an empty seal.
ManifestSeal ReadManifestSeal(const QByteArray& manifest);

// The newest sequence accepted so far in this installation, -1 for none.
qint64 ReadAcceptedSequence(const QString& installDir);
bool WriteAcceptedSequence(const QString& installDir, qint64 sequence);

// Checks a downloaded manifest against its downloaded signature file: a
// good signature by a built-in key, a sequence not below the newest
// accepted, and an expiry still ahead. Empty when the manifest may be used,
// else why not; *sequence receives the manifest's sequence.
QString CheckSignedManifest(const QString& manifestPath, const QString& signaturePath, const QString& installDir,
                            qint64* sequence = nullptr);

class DownloadCancel;

// Downloads manifestUrl's detached signature beside the local manifest copy
// and applies CheckSignedManifest; the signature copy is removed again.
QString FetchAndCheckSignature(const QString& manifestUrl, const QString& localManifest, const QString& installDir,
                               qint64* sequence = nullptr, DownloadCancel* cancel = nullptr);

}  // namespace orvane
