#include "orvane/ui/TrayHostWatcher.h"

#include <QDebug>
#include <QSystemTrayIcon>
#include <QTimer>

#include "common/Log.h"

namespace orvane {

TrayHostWatcher::TrayHostWatcher(QSystemTrayIcon& icon, platform::SystemApi& system,
                                 std::function<bool()> available, QObject* parent)
    : QObject(parent), m_icon(icon), m_system(system), m_available(std::move(available))
{
}

void TrayHostWatcher::Start(int intervalMs)
{
    if (m_available())
        return;
    const char* title = "Orvane is running without an icon";
    const char* text =
        "This desktop has no notification area, so Orvane shows no tray icon. It keeps turning your monitors; "
        "the icon appears once a notification area is there (on GNOME: the AppIndicator and KStatusNotifierItem "
        "Support extension). To end it meanwhile, run: pkill -TERM -ix orvane";
    qCInfo(lcOrvane).noquote() << "No notification area:" << text;
    if (!m_system.ShowDesktopNotification(title, text))
        qCInfo(lcOrvane) << "No notification area: the desktop's notification service did not take the message either";
    m_pTimer = new QTimer(this);
    connect(m_pTimer, &QTimer::timeout, this, &TrayHostWatcher::Look);
    m_pTimer->start(intervalMs);
}

void TrayHostWatcher::Look()
{
    if (!m_available())
        return;
    m_pTimer->stop();
    qCInfo(lcOrvane) << "Notification area found: the tray icon is shown";
    // The icon was made visible while there was nowhere to put it; showing
    // it again places it in the new notification area.
    if (m_icon.isVisible()) {
        m_icon.hide();
        m_icon.show();
    }
}

}  // namespace orvane
