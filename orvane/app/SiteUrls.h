// Addresses of the update site and the support pages.
#pragma once

#include <QByteArray>
#include <QString>

namespace orvane {

// Host of the update site; ORVANE_SITE_HOST ("127.0.0.1:8123") replaces it so
// that tests and demonstrations can serve a site of their own.
QByteArray UpdateSiteHost();
QByteArray ProductionSiteUrl();  // ends with "/"
QByteArray TestSiteUrl();        // ends with "/"
QString SupportFaqUrl();
QString ProductSiteUrl();

}  // namespace orvane
