#include <QFile>
#include <QSaveFile>

#include "common/trust/Gcrypt.h"
#include "tools/renovo-publish/Signing.h"

namespace orvane::publish {

namespace {

// "secret <base64>" and "public <base64>" lines; '#' starts a comment.
QString ReadKeyFile(const QString& keyFile, QByteArray& secretKey, QByteArray& publicKey)
{
    QFile file(keyFile);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read %1: %2").arg(keyFile, file.errorString());
    for (const QByteArray& line : file.read(64 * 1024).split('\n')) {
        const QList<QByteArray> words = line.simplified().split(' ');
        if (words.size() == 2 && words[0] == "secret")
            secretKey = QByteArray::fromBase64(words[1]);
        else if (words.size() == 2 && words[0] == "public")
            publicKey = QByteArray::fromBase64(words[1]);
    }
    if (secretKey.size() != 32 || publicKey.size() != 32)
        return QStringLiteral("%1 is not a key file of renovo-publish --generate-key").arg(keyFile);
    return {};
}

}  // namespace

bool SigningAvailable()
{
    return true;
}

QString GenerateKey(const QString& keyFile, QString& publicKey)
{
    QByteArray secret;
    QByteArray pub;
    if (!trust::Ed25519Generate(secret, pub))
        return QStringLiteral("key generation failed");
    QSaveFile file(keyFile);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("cannot write %1: %2").arg(keyFile, file.errorString());
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    file.write("# Update signing key of renovo-publish: keep it secret, never on the site.\n");
    file.write("secret " + secret.toBase64() + "\npublic " + pub.toBase64() + "\n");
    if (!file.commit())
        return QStringLiteral("cannot write %1: %2").arg(keyFile, file.errorString());
    publicKey = QString::fromLatin1(pub.toBase64());
    return {};
}

QString SignManifest(const QString& keyFile, const QString& manifestPath, const QString& signaturePath)
{
    QByteArray secret;
    QByteArray pub;
    const QString problem = ReadKeyFile(keyFile, secret, pub);
    if (!problem.isEmpty())
        return problem;
    QFile manifest(manifestPath);
    if (!manifest.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read %1: %2").arg(manifestPath, manifest.errorString());
    const QByteArray signature = trust::Ed25519Sign(secret, pub, manifest.readAll());
    if (signature.isEmpty())
        return QStringLiteral("signing failed");
    QSaveFile out(signaturePath);
    if (!out.open(QIODevice::WriteOnly) || out.write(signature.toBase64() + "\n") < 0 || !out.commit())
        return QStringLiteral("cannot write %1: %2").arg(signaturePath, out.errorString());
    return {};
}

QString FileHash(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(trust::Sha256(file).toHex());
}

}  // namespace orvane::publish
