// Display changes of a Wayland session whose compositor lets clients
// configure its outputs: every configuration update the compositor announces
// on a connection of the watcher's own (one notice per burst read).
#pragma once

#include <functional>
#include <memory>

#include <QObject>

#include "platform/Types.h"

class QSocketNotifier;

namespace orvane::platform::linuxplatform {

class OutputManagement;

class OutputChangeWatcher : public QObject {
    Q_OBJECT
public:
    OutputChangeWatcher(std::function<void(const SystemNotice&)> sink, QObject* parent = nullptr);
    ~OutputChangeWatcher() override;

private slots:
    void OnReadable();

private:
    std::function<void(const SystemNotice&)> m_sink;
    std::unique_ptr<OutputManagement> m_outputs;
    QSocketNotifier* m_notifier = nullptr;  // child
};

}  // namespace orvane::platform::linuxplatform
