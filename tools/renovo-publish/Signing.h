// Signing a published site: the key pair and the manifest's detached
// signature, for programs built with ORVANE_UPDATE_PUBLIC_KEY.
#pragma once

#include <QString>

namespace orvane::publish {

// False when this build has no signing library.
bool SigningAvailable();

// Writes a new key pair to keyFile (readable by its owner only) and gives the
// public key, base64, as the build option takes it. Empty text on success,
// else what went wrong.
QString GenerateKey(const QString& keyFile, QString& publicKey);

// Writes the detached signature of the manifest file (base64, one line) to
// signaturePath, signed with the key pair in keyFile.
QString SignManifest(const QString& keyFile, const QString& manifestPath, const QString& signaturePath);

// Lower-case hex SHA-256 of a file; empty when it cannot be read.
QString FileHash(const QString& path);

}  // namespace orvane::publish
