// The two update sites a release is published to (production and test) and
// how a site's base URL tells which one it is. A signed manifest names its
// site, so that one signed for the test site is never taken from the
// production one, nor the other way round.
#pragma once

#include <QString>

namespace orvane {

// The paths of the two base URLs below the site's host.
constexpr const char kProductionSitePath[] = "/dept-rkwt/Orvane/";
constexpr const char kTestSitePath[] = "/dept-rkwt/Orvane_Test/";

// The channel names a signed manifest carries.
constexpr const char kProductionChannel[] = "production";
constexpr const char kTestChannel[] = "test";

// kProductionChannel for a base URL whose path ends with kProductionSitePath,
// kTestChannel for kTestSitePath, an empty text for any other.
QString SiteChannel(const QString& baseUrl);

}  // namespace orvane
