// The session's notices for the program: sleep and wake-up, display,
// work-area and monitor changes. The watchers are made on the subscribing
// thread, so the sink runs there, from its event loop.
#pragma once

#include <memory>
#include <string>

#include "platform/Platform.h"
#include "platform/linux/displays/BackendChoice.h"

namespace orvane::platform::linuxplatform {

class SleepWatcher;
class X11EventWatcher;
class DrmWatcher;
class DisplayConfigWatcher;
class OutputChangeWatcher;

class LinuxNotices : public NoticeSource {
public:
    // backend: whose display changes to listen for.
    LinuxNotices(DisplayBackendKind backend, std::string drmRoot);
    ~LinuxNotices() override;
    void Subscribe(std::function<void(const SystemNotice&)> sink) override;

private:
    DisplayBackendKind m_backend;
    std::string m_drmRoot;
    std::function<void(const SystemNotice&)> m_sink;
    std::unique_ptr<SleepWatcher> m_sleep;
    std::unique_ptr<X11EventWatcher> m_x11;
    std::unique_ptr<DisplayConfigWatcher> m_gnome;
    std::unique_ptr<OutputChangeWatcher> m_wayland;
    std::unique_ptr<DrmWatcher> m_drm;
};

}  // namespace orvane::platform::linuxplatform
