#include "platform/linux/session/DesktopIntegration.h"

#include <QCoreApplication>
#include <QDBusConnection>

#include "platform/linux/session/DesktopNotification.h"
#include "platform/linux/session/ShutdownWatcher.h"

namespace orvane::platform::linuxplatform {

namespace {

class DesktopSystem : public SystemApi {
public:
    explicit DesktopSystem(SystemApi& inner) : m_inner(inner) {}
    std::string ModuleFileName() override { return m_inner.ModuleFileName(); }
    InstanceLock AcquireSingleInstance(const std::string& name) override { return m_inner.AcquireSingleInstance(name); }
    bool IsRunAtStartup() override { return m_inner.IsRunAtStartup(); }
    bool StartElevated(const std::string& file, const std::vector<std::string>& args, int showCommand) override
    {
        return m_inner.StartElevated(file, args, showCommand);
    }
    bool SetFileLastWriteTime(const std::string& path, std::uint64_t fileTime) override
    {
        return m_inner.SetFileLastWriteTime(path, fileTime);
    }
    VersionRead ReadFileVersion(const std::string& path, std::uint32_t& ms, std::uint32_t& ls) override
    {
        return m_inner.ReadFileVersion(path, ms, ls);
    }
    bool ShowDesktopNotification(const std::string& title, const std::string& text) override
    {
        const std::string icon = QCoreApplication::instance()
                                     ? (QCoreApplication::applicationDirPath() + "/icon/icon_64.png").toStdString()
                                     : std::string();
        return SendDesktopNotification(QDBusConnection::sessionBus(), title, text, icon);
    }

private:
    SystemApi& m_inner;
};

class DesktopNoticeSource : public NoticeSource {
public:
    explicit DesktopNoticeSource(NoticeSource& inner) : m_inner(inner) {}
    void Subscribe(std::function<void(const SystemNotice&)> sink) override
    {
        m_sink = std::move(sink);
        m_inner.Subscribe([this](const SystemNotice& notice) { m_sink(notice); });
        if (!m_watcher)
            m_watcher = std::make_unique<ShutdownWatcher>(QDBusConnection::systemBus(),
                                                            [this](const SystemNotice& notice) { m_sink(notice); });
    }

private:
    NoticeSource& m_inner;
    std::function<void(const SystemNotice&)> m_sink;
    std::unique_ptr<ShutdownWatcher> m_watcher;
};

class DesktopIntegrationPlatform : public Platform {
public:
    explicit DesktopIntegrationPlatform(std::unique_ptr<Platform> inner)
        : m_inner(std::move(inner)), m_system(m_inner->System()), m_notices(m_inner->Notices())
    {
    }
    const char* Name() const override { return m_inner->Name(); }
    DisplayApi& Display() override { return m_inner->Display(); }
    MonitorConfigApi& MonitorConfig() override { return m_inner->MonitorConfig(); }
    DeviceRegistry& Registry() override { return m_inner->Registry(); }
    SystemApi& System() override { return m_system; }
    NoticeSource& Notices() override { return m_notices; }

private:
    std::unique_ptr<Platform> m_inner;
    DesktopSystem m_system;
    DesktopNoticeSource m_notices;
};

}  // namespace

std::unique_ptr<Platform> WithDesktopIntegration(std::unique_ptr<Platform> inner)
{
    return std::make_unique<DesktopIntegrationPlatform>(std::move(inner));
}

}  // namespace orvane::platform::linuxplatform
