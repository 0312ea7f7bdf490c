#include "orvane/app/SiteUrls.h"

#include "common/SiteChannel.h"

namespace orvane {

QByteArray UpdateSiteHost()
{
    const QByteArray host = qgetenv("ORVANE_SITE_HOST");
    return host.isEmpty() ? QByteArray("update.orvane.example") : host;
}

QByteArray ProductionSiteUrl()
{
    return "http://" + UpdateSiteHost() + kProductionSitePath;
}

QByteArray TestSiteUrl()
{
    return "http://" + UpdateSiteHost() + kTestSitePath;
}

QString SupportFaqUrl()
{
    return QStringLiteral("http://support.orvane.example/support/faq/?q=Orvane");
}

QString ProductSiteUrl()
{
    return QStringLiteral("http://www.orvane.example");
}

}  // namespace orvane
