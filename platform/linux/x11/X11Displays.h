// The displays of an X11 session: one per output that shows part of the
// desktop, named by the output ("DP-1"), with settings read and changed
// through RandR. Without a server (no usable X display) there are none.
#pragma once

#include <string>

#include "platform/Platform.h"
#include "platform/linux/displays/ReadPlanApply.h"
#include "platform/linux/x11/RandrSettings.h"

namespace orvane::platform::linuxplatform {

class X11Displays : public PlannedDisplays<RandrScreen, RandrChangePlan, PlanChange> {
public:
    // server may be nullptr; drmRoot is where EDIDs are looked up when the
    // server does not provide them.
    X11Displays(RandrServer* server, std::string drmRoot);

private:
    std::vector<Shown> ShownDisplays() override;
    std::optional<RandrScreen> ReadState() override;
    bool ApplyPlan(const RandrScreen& state, const RandrChangePlan& plan, std::string* why) override;

    RandrServer* m_server;
};

}  // namespace orvane::platform::linuxplatform
