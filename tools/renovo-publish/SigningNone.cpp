// Built without libgcrypt: sites can only be published unsigned.
#include "tools/renovo-publish/Signing.h"

namespace orvane::publish {

namespace {

QString Unavailable()
{
    return QStringLiteral("this renovo-publish was built without signing (libgcrypt not found)");
}

}  // namespace

bool SigningAvailable()
{
    return false;
}

QString GenerateKey(const QString&, QString&)
{
    return Unavailable();
}

QString SignManifest(const QString&, const QString&, const QString&)
{
    return Unavailable();
}

QString FileHash(const QString&)
{
    return {};
}

}  // namespace orvane::publish
