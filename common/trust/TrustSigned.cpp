// Built with public keys: manifests and files must prove they come from the
// holder of one of the keys.
#include <QFile>
#include <QList>

#include "common/UpdateTrust.h"
#include "common/trust/Gcrypt.h"

namespace orvane {

// The keys given at build time: base64 of raw Ed25519 public keys, separated
// by commas or blanks (defined by the build's key list).
const char* BuiltInPublicKeyText();

namespace {

QList<QByteArray> BuiltInKeys()
{
    QList<QByteArray> keys;
    const QByteArray text = QByteArray(BuiltInPublicKeyText()).replace(',', ' ');
    for (const QByteArray& item : text.simplified().split(' ')) {
        const QByteArray key = QByteArray::fromBase64(item);
        if (key.size() == 32)
            keys << key;
    }
    return keys;
}

}  // namespace

bool SignedUpdatesRequired()
{
    return true;
}

QString VerifyManifestSignature(const QByteArray& manifest, const QByteArray& signatureText)
{
    const QByteArray signature = QByteArray::fromBase64(signatureText.trimmed());
    if (signature.size() != 64)
        return QStringLiteral("no signature");
    for (const QByteArray& key : BuiltInKeys()) {
        if (trust::Ed25519Verify(key, manifest, signature))
            return {};
    }
    return QStringLiteral("bad signature");
}

QString FileSha256(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(trust::Sha256(file).toHex());
}

}  // namespace orvane
