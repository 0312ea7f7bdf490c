// Monitors and graphics cards coming and going, from udev's drm events.
#pragma once

#include <functional>
#include <set>
#include <string>

#include <QObject>

#include "platform/Types.h"

class QSocketNotifier;
struct udev;
struct udev_monitor;

namespace orvane::platform::linuxplatform {

class DrmWatcher : public QObject {
    Q_OBJECT
public:
    // drmRoot is where the connectors' state is read after each event.
    DrmWatcher(std::string drmRoot, std::function<void(const SystemNotice&)> sink, QObject* parent = nullptr);
    ~DrmWatcher() override;

private slots:
    void OnReadable();

private:
    std::set<std::string> Connected() const;

    std::string m_drmRoot;
    std::function<void(const SystemNotice&)> m_sink;
    struct udev* m_udev = nullptr;
    struct udev_monitor* m_monitor = nullptr;
    std::set<std::string> m_connected;
    QSocketNotifier* m_notifier = nullptr;  // child
};

}  // namespace orvane::platform::linuxplatform
