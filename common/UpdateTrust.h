// Signed updates (a build option): whether manifests must be signed, and the
// checks of a manifest's signature and of a file's hash. Built without
// public keys, nothing is required and every site of the plain format works.
#pragma once

#include <QByteArray>
#include <QString>

namespace orvane {

// Name of the detached signature beside the manifest on the site.
inline QString SignatureName(const QString& manifestName)
{
    return manifestName + ".sig";
}

// True when public keys are built in: then a manifest counts only with a
// good signature by one of them, and each file only with its listed hash.
bool SignedUpdatesRequired();

// Empty when signatureText (the base64 of an Ed25519 signature) is a good
// signature of manifest by a built-in key; else why not.
QString VerifyManifestSignature(const QByteArray& manifest, const QByteArray& signatureText);

// Lower-case hex SHA-256 of the file's bytes; empty when it cannot be read
// (or nothing is required).
QString FileSha256(const QString& path);

}  // namespace orvane
