#include "platform/linux/RotationForwarding.h"

#include <cstdlib>

#include <QDBusConnection>
#include <QDebug>
#include <QString>

#include "platform/linux/devices/DrmConnectors.h"
#include "platform/linux/gnome/GnomeDisplays.h"
#include "platform/linux/gnome/MutterDisplayConfig.h"
#include "platform/linux/wayland/OutputManagement.h"
#include "platform/linux/displays/BackendChoice.h"
#include "platform/linux/wayland/WaylandDisplays.h"
#include "platform/linux/x11/X11Displays.h"
#include "platform/linux/x11/XlibRandrServer.h"

namespace orvane::platform::linuxplatform {

namespace {

// Keeps the backend's connection alive as long as its displays.
class OwningDisplays : public DisplayApi {
public:
    OwningDisplays(std::unique_ptr<XlibRandrServer> server, std::unique_ptr<MutterDisplayConfig> mutter,
                   std::unique_ptr<OutputManagement> outputs = nullptr)
        : m_server(std::move(server)), m_mutter(std::move(mutter)), m_outputs(std::move(outputs))
    {
        if (m_outputs)
            m_displays = std::make_unique<WaylandDisplays>(*m_outputs, kDrmClassRoot);
        else if (m_mutter)
            m_displays = std::make_unique<GnomeDisplays>(*m_mutter, kDrmClassRoot);
        else
            m_displays = std::make_unique<X11Displays>(m_server.get(), kDrmClassRoot);
    }
    bool EnumDisplayMonitors(const std::function<bool(DisplayHandle)>& callback) override
    {
        return m_displays->EnumDisplayMonitors(callback);
    }
    bool GetMonitorInfo(DisplayHandle display, DisplayInfo& info) override
    {
        return m_displays->GetMonitorInfo(display, info);
    }
    DisplayHandle MonitorFromPoint(std::int32_t x, std::int32_t y) override
    {
        return m_displays->MonitorFromPoint(x, y);
    }
    bool EnumDisplayDevices(const std::string* device, std::uint32_t index, DisplayDevice& out) override
    {
        return m_displays->EnumDisplayDevices(device, index, out);
    }
    bool EnumDisplaySettings(const std::string& device, std::int32_t modeIndex, DisplaySettings& out) override
    {
        return m_displays->EnumDisplaySettings(device, modeIndex, out);
    }
    std::int32_t ChangeDisplaySettingsEx(const std::string& device, const DisplaySettings& settings,
                                         std::uint32_t flags) override
    {
        return m_displays->ChangeDisplaySettingsEx(device, settings, flags);
    }

private:
    std::unique_ptr<XlibRandrServer> m_server;
    std::unique_ptr<MutterDisplayConfig> m_mutter;
    std::unique_ptr<OutputManagement> m_outputs;
    std::unique_ptr<DisplayApi> m_displays;
};

class ForwardingDisplays : public DisplayApi {
public:
    ForwardingDisplays(DisplayApi& inner, std::unique_ptr<DisplayApi> session, std::string realOutput)
        : m_inner(inner), m_session(std::move(session)), m_realOutput(std::move(realOutput))
    {
    }
    bool EnumDisplayMonitors(const std::function<bool(DisplayHandle)>& callback) override
    {
        return m_inner.EnumDisplayMonitors(callback);
    }
    bool GetMonitorInfo(DisplayHandle display, DisplayInfo& info) override
    {
        return m_inner.GetMonitorInfo(display, info);
    }
    DisplayHandle MonitorFromPoint(std::int32_t x, std::int32_t y) override
    {
        return m_inner.MonitorFromPoint(x, y);
    }
    bool EnumDisplayDevices(const std::string* device, std::uint32_t index, DisplayDevice& out) override
    {
        return m_inner.EnumDisplayDevices(device, index, out);
    }
    bool EnumDisplaySettings(const std::string& device, std::int32_t modeIndex, DisplaySettings& out) override
    {
        return m_inner.EnumDisplaySettings(device, modeIndex, out);
    }
    std::int32_t ChangeDisplaySettingsEx(const std::string& device, const DisplaySettings& settings,
                                         std::uint32_t flags) override
    {
        const std::int32_t result = m_inner.ChangeDisplaySettingsEx(device, settings, flags);
        if (result == DISP_CHANGE_SUCCESSFUL && (settings.fields & DM_DISPLAYORIENTATION))
            Forward(settings.orientation);
        return result;
    }

private:
    void Forward(std::uint32_t orientation)
    {
        std::string output = m_realOutput;
        if (output.empty()) {
            m_session->EnumDisplayMonitors([&](DisplayHandle handle) {
                DisplayInfo info;
                if (m_session->GetMonitorInfo(handle, info))
                    output = info.deviceName;
                return output.empty();
            });
        }
        DisplaySettings turn;
        turn.fields = DM_DISPLAYORIENTATION;
        turn.orientation = orientation;
        const std::int32_t result = m_session->ChangeDisplaySettingsEx(output, turn, CDS_UPDATEREGISTRY);
        qDebug().noquote() << "Session display" << QString::fromStdString(output) << "turned to" << orientation
                           << "result" << result;
    }

    DisplayApi& m_inner;
    std::unique_ptr<DisplayApi> m_session;
    std::string m_realOutput;
};

class ForwardingPlatform : public Platform {
public:
    ForwardingPlatform(std::unique_ptr<Platform> inner, std::unique_ptr<DisplayApi> session, std::string realOutput)
        : m_inner(std::move(inner)), m_display(m_inner->Display(), std::move(session), std::move(realOutput))
    {
    }
    const char* Name() const override { return m_inner->Name(); }
    DisplayApi& Display() override { return m_display; }
    MonitorConfigApi& MonitorConfig() override { return m_inner->MonitorConfig(); }
    DeviceRegistry& Registry() override { return m_inner->Registry(); }
    SystemApi& System() override { return m_inner->System(); }
    NoticeSource& Notices() override { return m_inner->Notices(); }

private:
    std::unique_ptr<Platform> m_inner;
    ForwardingDisplays m_display;
};

}  // namespace

std::unique_ptr<DisplayApi> CreateSessionDisplays(const QDBusConnection& sessionBus)
{
    const BackendChoice kind = ChooseBackends(ReadSessionEnvironment());
    std::string why = kind.why;
    if (kind.tryX11) {
        if (auto server = XlibRandrServer::Connect(nullptr, &why))
            return std::make_unique<OwningDisplays>(std::move(server), nullptr);
    }
    if (kind.tryWayland) {
        if (auto outputs = ConnectOutputManagement(nullptr, &why)) {
            qInfo().noquote() << "Session displays:" << outputs->Name();
            return std::make_unique<OwningDisplays>(nullptr, nullptr, std::move(outputs));
        }
    }
    if (kind.tryGnome) {
        auto mutter = std::make_unique<MutterDisplayConfig>(sessionBus);
        if (mutter->Available())
            return std::make_unique<OwningDisplays>(nullptr, std::move(mutter));
        why = kind.why + " (" + why + ")";
    }
    qWarning().noquote() << "Session displays: none," << QString::fromStdString(why);
    return nullptr;
}

std::unique_ptr<Platform> ForwardRotations(std::unique_ptr<Platform> inner, std::unique_ptr<DisplayApi> session,
                                           std::string realOutput)
{
    if (!inner || !session)
        return inner;
    return std::make_unique<ForwardingPlatform>(std::move(inner), std::move(session), std::move(realOutput));
}

std::unique_ptr<Platform> WithRotationForwarding(std::unique_ptr<Platform> inner)
{
    const char* target = std::getenv("ORVANE_SESSION_ROTATION");
    if (!inner || !target || !*target)
        return inner;
    const std::string output = std::string(target) == "primary" ? std::string() : std::string(target);
    qDebug().noquote() << "Rotations are handed on to the session display"
                       << QString::fromStdString(output.empty() ? "primary" : output);
    return ForwardRotations(std::move(inner), CreateSessionDisplays(QDBusConnection::sessionBus()), output);
}

}  // namespace orvane::platform::linuxplatform
