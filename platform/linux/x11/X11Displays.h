// The displays of an X11 session: one per output that shows part of the
// desktop, named by the output ("DP-1"), with settings read and changed
// through RandR. Without a server (no usable X display) there are none.
#pragma once

#include <string>

#include "platform/Platform.h"
#include "platform/linux/displays/BackendDisplays.h"
#include "platform/linux/x11/RandrServer.h"

namespace orvane::platform::linuxplatform {

class X11Displays : public BackendDisplays {
public:
    // server may be nullptr; drmRoot is where EDIDs are looked up when the
    // server does not provide them.
    X11Displays(RandrServer* server, std::string drmRoot);

    bool EnumDisplaySettings(const std::string& device, std::int32_t modeIndex, DisplaySettings& out) override;
    std::int32_t ChangeDisplaySettingsEx(const std::string& device, const DisplaySettings& settings,
                                         std::uint32_t flags) override;

private:
    std::vector<Shown> ShownDisplays() override;

    RandrServer* m_server;
};

}  // namespace orvane::platform::linuxplatform
