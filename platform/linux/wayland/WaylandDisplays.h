// The displays of a Wayland session whose compositor lets clients configure
// its outputs (KDE Plasma, the wlroots family): one per enabled output, named
// by its connector, read and changed through the compositor's output
// configuration protocol, on a link that connects again when the
// compositor restarts.
#pragma once

#include <string>

#include "platform/Platform.h"
#include "platform/linux/displays/ReadPlanApply.h"
#include "platform/linux/wayland/CompositorLink.h"
#include "platform/linux/wayland/WaylandLayout.h"

namespace orvane::platform::linuxplatform {

class WaylandDisplays : public PlannedDisplays<WaylandLayout, WaylandChangePlan, PlanWaylandChange> {
public:
    WaylandDisplays(CompositorLink& link, std::string drmRoot);

private:
    std::vector<Shown> ShownDisplays() override;
    std::optional<WaylandLayout> ReadState() override;
    bool ApplyPlan(const WaylandLayout& state, const WaylandChangePlan& plan, std::string* why) override;
    std::uint64_t ServerGeneration() override { return m_link.Generation(); }

    CompositorLink& m_link;
};

}  // namespace orvane::platform::linuxplatform
