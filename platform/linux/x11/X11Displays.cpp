#include "platform/linux/x11/X11Displays.h"

#include <algorithm>

namespace orvane::platform::linuxplatform {

namespace {

Rect Intersection(const Rect& a, const Rect& b)
{
    Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    if (r.right <= r.left || r.bottom <= r.top)
        return a;  // the work area lies elsewhere: the whole display is usable
    return r;
}

}  // namespace

X11Displays::X11Displays(RandrServer* server, std::string drmRoot)
    : PlannedDisplays(std::move(drmRoot), "The X server"), m_server(server)
{
}

std::vector<X11Displays::Shown> X11Displays::ShownDisplays()
{
    std::vector<Shown> shown;
    const auto screen = Current();
    if (!screen)
        return shown;
    for (const auto& output : screen->outputs) {
        const RandrCrtc* crtc = screen->Crtc(output.crtc);
        if (!crtc || !crtc->mode)
            continue;
        const Rect monitor{crtc->x, crtc->y, crtc->x + std::int32_t(crtc->width), crtc->y + std::int32_t(crtc->height)};
        Shown entry = ShownAs(output.name, output.id == screen->primary, monitor, output.edid);
        if (screen->workArea)
            entry.work = Intersection(monitor, *screen->workArea);
        shown.push_back(std::move(entry));
    }
    return shown;
}

std::optional<RandrScreen> X11Displays::ReadState()
{
    return m_server ? m_server->Read() : std::nullopt;
}

bool X11Displays::ApplyPlan(const RandrScreen& state, const RandrChangePlan& plan, std::string*)
{
    return CarryOut(*m_server, state, plan);
}

}  // namespace orvane::platform::linuxplatform
