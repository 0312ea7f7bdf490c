// The few libgcrypt operations signed updates need: Ed25519 keys,
// signatures and SHA-256. Raw keys are 32 bytes, signatures 64 (r then s).
#pragma once

#include <QByteArray>
#include <QIODevice>

namespace orvane::trust {

bool Ed25519Verify(const QByteArray& publicKey, const QByteArray& message, const QByteArray& signature);
// Empty on failure.
QByteArray Ed25519Sign(const QByteArray& secretKey, const QByteArray& publicKey, const QByteArray& message);
// False on failure.
bool Ed25519Generate(QByteArray& secretKey, QByteArray& publicKey);
// Empty when the device cannot be read to its end.
QByteArray Sha256(QIODevice& device);

}  // namespace orvane::trust
