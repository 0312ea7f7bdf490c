#include "platform/linux/wayland/CompositorLink.h"

#include <QDebug>
#include <QString>

namespace orvane::platform::linuxplatform {

CompositorLink::CompositorLink(std::unique_ptr<OutputManagement> first, std::optional<std::string> socket,
                               std::string role)
    : m_outputs(std::move(first)), m_socket(std::move(socket)), m_role(std::move(role))
{
    // The session's socket as it is now: the one to come back to.
    if (!m_socket && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        m_socket = qEnvironmentVariable("WAYLAND_DISPLAY").toStdString();
    if (m_outputs) {
        m_generation = 1;
        m_name = m_outputs->Name();
    }
}

OutputManagement* CompositorLink::Current()
{
    if (m_outputs && !m_outputs->Connection().Broken())
        return m_outputs.get();
    if (m_outputs) {
        m_outputs.reset();
        qInfo().noquote() << QString::fromStdString(m_role + ": the connection to the compositor broke; "
                                                             "connecting again once it is back");
    }
    // Cheap while the compositor is away: its socket is gone, and the
    // connection attempt fails at once.
    std::string why;
    m_outputs = ConnectOutputManagement(m_socket ? m_socket->c_str() : nullptr, &why);
    if (!m_outputs)
        return nullptr;
    ++m_generation;
    m_name = m_outputs->Name();
    if (m_generation > 1)
        qInfo().noquote() << QString::fromStdString(m_role + ": connected to the compositor again, " + m_name);
    return m_outputs.get();
}

}  // namespace orvane::platform::linuxplatform
