// A message through the desktop's notification service
// (org.freedesktop.Notifications on the session bus).
#pragma once

#include <QDBusConnection>

#include <string>

namespace orvane::platform::linuxplatform {

// True when the service took the message.
bool SendDesktopNotification(const QDBusConnection& sessionBus, const std::string& title, const std::string& text,
                             const std::string& iconPath);

}  // namespace orvane::platform::linuxplatform
