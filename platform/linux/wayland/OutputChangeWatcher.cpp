#include "platform/linux/wayland/OutputChangeWatcher.h"

#include <QDebug>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>

#include "platform/linux/session/NoticeMapping.h"
#include "platform/linux/wayland/CompositorLink.h"
#include "platform/linux/wayland/OutputManagement.h"

namespace orvane::platform::linuxplatform {

OutputChangeWatcher::OutputChangeWatcher(std::function<void(const SystemNotice&)> sink, QObject* parent)
    : QObject(parent), m_sink(std::move(sink))
{
    std::string why;
    auto outputs = ConnectOutputManagement(nullptr, &why);
    if (!outputs) {
        qWarning().noquote() << "Notices: cannot follow the compositor's outputs, display changes are not noticed:"
                             << QString::fromStdString(why);
        return;
    }
    m_link = std::make_unique<CompositorLink>(std::move(outputs), std::nullopt, "Notices");
    m_retry = new QTimer(this);
    m_retry->setInterval(kCompositorRetryMs);
    connect(m_retry, &QTimer::timeout, this, &OutputChangeWatcher::Reconnect);
    Listen();
}

OutputChangeWatcher::~OutputChangeWatcher() = default;

void OutputChangeWatcher::StopListening()
{
    // It may be the notifier whose signal is being handled.
    if (m_notifier) {
        m_notifier->setEnabled(false);
        m_notifier->deleteLater();
        m_notifier = nullptr;
    }
}

void OutputChangeWatcher::Listen()
{
    StopListening();
    m_notifier = new QSocketNotifier(m_link->Current()->Connection().Fd(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &OutputChangeWatcher::OnReadable);
    m_listening = m_link->Generation();
}

void OutputChangeWatcher::OnReadable()
{
    OutputManagement* outputs = m_link->Current();
    if (outputs && m_link->Generation() != m_listening) {
        Reconnect();
        return;
    }
    const std::uint64_t before = outputs ? outputs->Updates() : 0;
    if (!outputs || !outputs->Connection().DispatchAvailable()) {
        StopListening();
        m_retry->start();
        return;
    }
    if (outputs->Updates() != before)
        m_sink(DisplayChangeNotice());
}

void OutputChangeWatcher::Reconnect()
{
    if (!m_link->Current())
        return;
    m_retry->stop();
    const bool fresh = m_link->Generation() != m_listening;
    Listen();
    // A compositor that started afresh shows its own configuration.
    if (fresh)
        m_sink(DisplayChangeNotice());
}

}  // namespace orvane::platform::linuxplatform
