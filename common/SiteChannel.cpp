#include "common/SiteChannel.h"

#include <QUrl>

namespace orvane {

QString SiteChannel(const QString& baseUrl)
{
    const QString path = QUrl(baseUrl, QUrl::TolerantMode).path();
    if (path.endsWith(QLatin1String(kProductionSitePath)))
        return QLatin1String(kProductionChannel);
    if (path.endsWith(QLatin1String(kTestSitePath)))
        return QLatin1String(kTestChannel);
    return {};
}

}  // namespace orvane
