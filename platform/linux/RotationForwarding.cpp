#include "platform/linux/RotationForwarding.h"

#include <cstdlib>

#include <QDBusConnection>
#include <QDebug>
#include <QString>

#include "platform/linux/LinuxDisplay.h"
#include "platform/linux/devices/DrmConnectors.h"

namespace orvane::platform::linuxplatform {

namespace {

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
    std::string LastChangeRefusal() override { return m_inner.LastChangeRefusal(); }

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
    std::string why;
    auto display = LinuxDisplay::Connect(sessionBus, kDrmClassRoot, &why);
    if (display->Kind() == DisplayBackendKind::None) {
        qWarning().noquote() << "Session displays: none," << QString::fromStdString(why);
        return nullptr;
    }
    if (display->Kind() == DisplayBackendKind::Wayland)
        qInfo().noquote() << "Session displays:" << QString::fromStdString(display->BackendName());
    return display;
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
