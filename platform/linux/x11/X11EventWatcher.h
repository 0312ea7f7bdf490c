// Display changes (RandR screen-change events) and work-area changes
// (_NET_WORKAREA on the root window), read from an X connection of its own.
#pragma once

#include <functional>
#include <memory>

#include <QObject>

#include "platform/Types.h"

class QSocketNotifier;
typedef struct _XDisplay Display;

namespace orvane::platform::linuxplatform {

class X11EventWatcher : public QObject {
    Q_OBJECT
public:
    // displayName nullptr: $DISPLAY. Without an X display with RandR it logs
    // one line and delivers nothing.
    X11EventWatcher(const char* displayName, std::function<void(const SystemNotice&)> sink,
                    QObject* parent = nullptr);
    ~X11EventWatcher() override;

    bool Listening() const { return m_display != nullptr; }

private slots:
    void OnReadable();

private:
    std::function<void(const SystemNotice&)> m_sink;
    Display* m_display = nullptr;
    int m_randrEventBase = 0;
    unsigned long m_workAreaAtom = 0;
    QSocketNotifier* m_notifier = nullptr;  // child
};

}  // namespace orvane::platform::linuxplatform
