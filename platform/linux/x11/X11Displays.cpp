#include "platform/linux/x11/X11Displays.h"

#include <algorithm>

#include "platform/linux/displays/ReadPlanApply.h"
#include "platform/linux/x11/RandrSettings.h"

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
    : BackendDisplays(std::move(drmRoot)), m_server(server)
{
}

std::vector<X11Displays::Shown> X11Displays::ShownDisplays()
{
    std::vector<Shown> shown;
    const auto screen = m_server ? m_server->Read() : std::nullopt;
    if (!screen)
        return shown;
    for (const auto& output : screen->outputs) {
        const RandrCrtc* crtc = screen->Crtc(output.crtc);
        if (!crtc || !crtc->mode)
            continue;
        Shown entry;
        entry.output.handle = HandleFor(output.name);
        entry.output.name = output.name;
        entry.output.primary = output.id == screen->primary;
        entry.output.edid = output.edid;
        entry.monitor = Rect{crtc->x, crtc->y, crtc->x + std::int32_t(crtc->width),
                             crtc->y + std::int32_t(crtc->height)};
        entry.work = screen->workArea ? Intersection(entry.monitor, *screen->workArea) : entry.monitor;
        shown.push_back(std::move(entry));
    }
    return shown;
}

bool X11Displays::EnumDisplaySettings(const std::string& device, std::int32_t modeIndex, DisplaySettings& out)
{
    const auto screen = m_server ? m_server->Read() : std::nullopt;
    return screen && SettingsAt(
                         modeIndex, [&] { return CurrentSettings(*screen, device); },
                         [&] { return ModeList(*screen, device); }, out);
}

std::int32_t X11Displays::ChangeDisplaySettingsEx(const std::string& device, const DisplaySettings& settings,
                                                  std::uint32_t)
{
    // The change lasts for the session; what the desktop restores at the
    // next log-on is its own display configuration's business.
    if (!m_server)
        return DISP_CHANGE_FAILED;
    return ApplyChange(*m_server, device, settings);
}

}  // namespace orvane::platform::linuxplatform
