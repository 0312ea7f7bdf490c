// The displays of a GNOME Wayland session: one per logical monitor, named by
// its first monitor's connector, with settings read and changed through
// GNOME's display configuration service.
#pragma once

#include <string>

#include "platform/Platform.h"
#include "platform/linux/displays/BackendDisplays.h"
#include "platform/linux/gnome/MutterDisplayConfig.h"

namespace orvane::platform::linuxplatform {

class GnomeDisplays : public BackendDisplays {
public:
    GnomeDisplays(MutterDisplayConfig& service, std::string drmRoot);

    bool EnumDisplaySettings(const std::string& device, std::int32_t modeIndex, DisplaySettings& out) override;
    std::int32_t ChangeDisplaySettingsEx(const std::string& device, const DisplaySettings& settings,
                                         std::uint32_t flags) override;

private:
    std::vector<Shown> ShownDisplays() override;

    MutterDisplayConfig& m_service;
};

}  // namespace orvane::platform::linuxplatform
