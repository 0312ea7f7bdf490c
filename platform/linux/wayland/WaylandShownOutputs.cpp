#include "platform/linux/wayland/WaylandShownOutputs.h"

#include <algorithm>

#include <wayland-client.h>

#include "xdg-output-unstable-v1-client-protocol.h"

namespace orvane::platform::linuxplatform {

namespace {

using Output = WaylandShownOutputs::Output;

void Geometry(void* data, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
              const char*, const char*, std::int32_t transform)
{
    static_cast<Output*>(data)->transform = transform;
}
void Mode(void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height, std::int32_t refresh)
{
    if (!(flags & WL_OUTPUT_MODE_CURRENT))
        return;
    auto* output = static_cast<Output*>(data);
    output->width = width;
    output->height = height;
    output->refresh = refresh;
}
void Done(void* data, wl_output*)
{
    ++*static_cast<Output*>(data)->updates;
}
void Scale(void*, wl_output*, std::int32_t) {}
void Name(void* data, wl_output*, const char* name)
{
    static_cast<Output*>(data)->name = name ? name : "";
}
void Description(void*, wl_output*, const char*) {}
const wl_output_listener kOutputListener = {Geometry, Mode, Done, Scale, Name, Description};

void LogicalPosition(void* data, zxdg_output_v1*, std::int32_t x, std::int32_t y)
{
    auto* output = static_cast<Output*>(data);
    output->x = x;
    output->y = y;
    output->positioned = true;
}
void LogicalSize(void*, zxdg_output_v1*, std::int32_t, std::int32_t) {}
void LogicalDone(void*, zxdg_output_v1*) {}
void LogicalText(void*, zxdg_output_v1*, const char*) {}
const zxdg_output_v1_listener kLogicalListener = {LogicalPosition, LogicalSize, LogicalDone, LogicalText,
                                                   LogicalText};

}  // namespace

WaylandShownOutputs::WaylandShownOutputs(WaylandConnection& connection, std::uint64_t* updates)
    : m_connection(connection), m_updates(updates)
{
    if (const auto* global = m_connection.Find(zxdg_output_manager_v1_interface.name))
        m_manager = static_cast<zxdg_output_manager_v1*>(
            m_connection.Bind(*global, &zxdg_output_manager_v1_interface, 2));
    Follow();
}

WaylandShownOutputs::~WaylandShownOutputs()
{
    for (auto& output : m_outputs) {
        if (output.logical)
            zxdg_output_v1_destroy(output.logical);
        wl_output_destroy(output.proxy);
    }
    if (m_manager)
        zxdg_output_manager_v1_destroy(m_manager);
}

void WaylandShownOutputs::Bind(const WaylandConnection::Global& global)
{
    m_outputs.emplace_back();
    Output& output = m_outputs.back();
    output.global = global.name;
    output.updates = m_updates;
    output.proxy = static_cast<wl_output*>(m_connection.Bind(global, &wl_output_interface, 4));
    wl_output_add_listener(output.proxy, &kOutputListener, &output);
    if (m_manager) {
        output.logical = zxdg_output_manager_v1_get_xdg_output(m_manager, output.proxy);
        zxdg_output_v1_add_listener(output.logical, &kLogicalListener, &output);
    }
}

bool WaylandShownOutputs::Follow()
{
    const auto& globals = m_connection.Globals();
    for (auto it = m_outputs.begin(); it != m_outputs.end();) {
        const bool present = std::any_of(globals.begin(), globals.end(),
                                         [&](const auto& g) { return g.name == it->global; });
        if (present) {
            ++it;
            continue;
        }
        if (it->logical)
            zxdg_output_v1_destroy(it->logical);
        wl_output_destroy(it->proxy);
        it = m_outputs.erase(it);
    }
    bool added = false;
    for (const auto& global : globals) {
        // Without a name (before version 4) an output cannot be told apart.
        if (global.interface != wl_output_interface.name || global.version < 4)
            continue;
        if (std::none_of(m_outputs.begin(), m_outputs.end(), [&](const Output& o) { return o.global == global.name; })) {
            Bind(global);
            added = true;
        }
    }
    return added;
}

const WaylandShownOutputs::Output* WaylandShownOutputs::Named(const std::string& name) const
{
    for (const auto& output : m_outputs) {
        if (output.name == name && output.width > 0)
            return &output;
    }
    return nullptr;
}

}  // namespace orvane::platform::linuxplatform
