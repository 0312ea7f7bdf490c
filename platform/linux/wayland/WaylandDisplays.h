// The displays of a Wayland session whose compositor lets clients configure
// its outputs (KDE Plasma, the wlroots family): one per enabled output, named
// by its connector, read and changed through the compositor's output
// configuration protocol.
#pragma once

#include <string>

#include "platform/Platform.h"
#include "platform/linux/wayland/OutputManagement.h"
#include "platform/linux/displays/BackendDisplays.h"

namespace orvane::platform::linuxplatform {

class WaylandDisplays : public BackendDisplays {
public:
    WaylandDisplays(OutputManagement& outputs, std::string drmRoot);

    bool EnumDisplaySettings(const std::string& device, std::int32_t modeIndex, DisplaySettings& out) override;
    std::int32_t ChangeDisplaySettingsEx(const std::string& device, const DisplaySettings& settings,
                                         std::uint32_t flags) override;

private:
    std::vector<Shown> ShownDisplays() override;

    OutputManagement& m_outputs;
};

}  // namespace orvane::platform::linuxplatform
