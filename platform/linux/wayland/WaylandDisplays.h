// The displays of a Wayland session whose compositor lets clients configure
// its outputs (KDE Plasma, the wlroots family): one per enabled output, named
// by its connector, read and changed through the compositor's output
// configuration protocol.
#pragma once

#include <string>

#include "platform/Platform.h"
#include "platform/linux/wayland/OutputManagement.h"
#include "platform/linux/wayland/WaylandLayout.h"
#include "platform/linux/displays/ReadPlanApply.h"

namespace orvane::platform::linuxplatform {

class WaylandDisplays : public PlannedDisplays<WaylandLayout, WaylandChangePlan, PlanWaylandChange> {
public:
    WaylandDisplays(OutputManagement& outputs, std::string drmRoot);

private:
    std::vector<Shown> ShownDisplays() override;
    std::optional<WaylandLayout> ReadState() override;
    bool ApplyPlan(const WaylandLayout& state, const WaylandChangePlan& plan, std::string* why) override;

    OutputManagement& m_outputs;
};

}  // namespace orvane::platform::linuxplatform
