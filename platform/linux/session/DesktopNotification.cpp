#include "platform/linux/session/DesktopNotification.h"

#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

namespace orvane::platform::linuxplatform {

bool SendDesktopNotification(const QDBusConnection& sessionBus, const std::string& title, const std::string& text,
                             const std::string& iconPath)
{
    QDBusConnection bus(sessionBus);
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.Notifications", "/org/freedesktop/Notifications",
                                                       "org.freedesktop.Notifications", "Notify");
    call << QString("Orvane") << 0u << QString::fromStdString(iconPath) << QString::fromStdString(title)
         << QString::fromStdString(text) << QStringList() << QVariantMap() << -1;
    // The service may be started on demand; a short wait covers that without
    // holding up the program for long when nobody answers.
    const QDBusMessage reply = bus.call(call, QDBus::Block, 3000);
    return reply.type() == QDBusMessage::ReplyMessage;
}

}  // namespace orvane::platform::linuxplatform
