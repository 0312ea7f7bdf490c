// The displays of a GNOME Wayland session: one per logical monitor, named by
// its first monitor's connector, with settings read and changed through
// GNOME's display configuration service.
#pragma once

#include <string>

#include "platform/Platform.h"
#include "platform/linux/displays/ReadPlanApply.h"
#include "platform/linux/gnome/MutterDisplayConfig.h"

namespace orvane::platform::linuxplatform {

class GnomeDisplays : public PlannedDisplays<MutterState, MutterChangePlan, PlanMutterChange> {
public:
    GnomeDisplays(MutterDisplayConfig& service, std::string drmRoot);

private:
    std::vector<Shown> ShownDisplays() override;
    std::optional<MutterState> ReadState() override;
    std::uint64_t ServerGeneration() override;
    bool ApplyPlan(const MutterState& state, const MutterChangePlan& plan, std::string* why) override;

    MutterDisplayConfig& m_service;
};

}  // namespace orvane::platform::linuxplatform
