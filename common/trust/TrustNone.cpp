// Built without public keys: the plain site format, nothing signed.
#include "common/UpdateTrust.h"

namespace orvane {

bool SignedUpdatesRequired()
{
    return false;
}

QString VerifyManifestSignature(const QByteArray&, const QByteArray&)
{
    return QStringLiteral("built without update keys");
}

QString FileSha256(const QString&)
{
    return {};
}

}  // namespace orvane
