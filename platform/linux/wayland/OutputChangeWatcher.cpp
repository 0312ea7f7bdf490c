#include "platform/linux/wayland/OutputChangeWatcher.h"

#include <QDebug>
#include <QSocketNotifier>
#include <QString>

#include "platform/linux/session/NoticeMapping.h"
#include "platform/linux/wayland/OutputManagement.h"

namespace orvane::platform::linuxplatform {

OutputChangeWatcher::OutputChangeWatcher(std::function<void(const SystemNotice&)> sink, QObject* parent)
    : QObject(parent), m_sink(std::move(sink))
{
    std::string why;
    m_outputs = ConnectOutputManagement(nullptr, &why);
    if (!m_outputs) {
        qWarning().noquote() << "Notices: cannot follow the compositor's outputs, display changes are not noticed:"
                             << QString::fromStdString(why);
        return;
    }
    m_notifier = new QSocketNotifier(m_outputs->Connection().Fd(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &OutputChangeWatcher::OnReadable);
}

OutputChangeWatcher::~OutputChangeWatcher() = default;

void OutputChangeWatcher::OnReadable()
{
    const std::uint64_t before = m_outputs->Updates();
    if (!m_outputs->Connection().DispatchAvailable()) {
        qWarning() << "Notices: the connection to the compositor broke, display changes are no longer noticed";
        m_notifier->setEnabled(false);
        return;
    }
    if (m_outputs->Updates() != before)
        m_sink(DisplayChangeNotice());
}

}  // namespace orvane::platform::linuxplatform
