// A desktop without a notification area (GNOME without its AppIndicator
// extension, say) would leave the program running with nothing to see and
// nothing to click. The watcher tells the user once, through the desktop's
// notification service and the log, and shows the icon as soon as a
// notification area appears.
#pragma once

#include <QObject>

#include <functional>

#include "platform/Platform.h"

class QSystemTrayIcon;
class QTimer;

namespace orvane {

class TrayHostWatcher : public QObject {
    Q_OBJECT
public:
    // available: whether a notification area exists now.
    TrayHostWatcher(QSystemTrayIcon& icon, platform::SystemApi& system, std::function<bool()> available,
                    QObject* parent);

    // Looks once; without a notification area tells the user and keeps
    // looking every intervalMs.
    void Start(int intervalMs = 2000);

private slots:
    void Look();

private:
    QSystemTrayIcon& m_icon;
    platform::SystemApi& m_system;
    std::function<bool()> m_available;
    QTimer* m_pTimer = nullptr;
};

}  // namespace orvane
