// Display changes of a Wayland session whose compositor lets clients
// configure its outputs: every configuration update the compositor announces
// on a connection of the watcher's own (one notice per burst read). When the
// compositor goes away (restarted by the session or by hand), the watcher
// connects again once it is back and reports that as a display change.
#pragma once

#include <functional>
#include <memory>

#include <QObject>

#include "platform/Types.h"

class QSocketNotifier;
class QTimer;

namespace orvane::platform::linuxplatform {

class CompositorLink;

// Between two attempts to reach a compositor that went away.
constexpr int kCompositorRetryMs = 1000;

class OutputChangeWatcher : public QObject {
    Q_OBJECT
public:
    OutputChangeWatcher(std::function<void(const SystemNotice&)> sink, QObject* parent = nullptr);
    ~OutputChangeWatcher() override;

private slots:
    void OnReadable();
    void Reconnect();

private:
    void Listen();
    void StopListening();

    std::function<void(const SystemNotice&)> m_sink;
    std::unique_ptr<CompositorLink> m_link;
    QSocketNotifier* m_notifier = nullptr;  // child; on the current connection
    QTimer* m_retry = nullptr;              // child
    std::uint64_t m_listening = 0;          // the link's generation the notifier is on
};

}  // namespace orvane::platform::linuxplatform
