#include "tests/linux/WlOutputReader.h"

#include <list>

#include <wayland-client.h>

#include "xdg-output-unstable-v1-client-protocol.h"

namespace {

struct Bound {
    wl_output* proxy = nullptr;
    zxdg_output_v1* logical = nullptr;
    WlOutputState state;
};

void Geometry(void* data, wl_output*, std::int32_t x, std::int32_t y, std::int32_t, std::int32_t, std::int32_t,
              const char*, const char*, std::int32_t transform)
{
    auto* state = &static_cast<Bound*>(data)->state;
    state->x = x;
    state->y = y;
    state->transform = transform;
}
void Mode(void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height, std::int32_t)
{
    if (flags & WL_OUTPUT_MODE_CURRENT) {
        static_cast<Bound*>(data)->state.width = width;
        static_cast<Bound*>(data)->state.height = height;
    }
}
void Done(void*, wl_output*) {}
void Scale(void*, wl_output*, std::int32_t) {}
void Name(void* data, wl_output*, const char* name)
{
    static_cast<Bound*>(data)->state.name = name;
}
void Description(void*, wl_output*, const char*) {}
const wl_output_listener kOutputListener = {Geometry, Mode, Done, Scale, Name, Description};

// wlroots puts every output at 0,0 in wl_output; xdg_output has the position.
void LogicalPosition(void* data, zxdg_output_v1*, std::int32_t x, std::int32_t y)
{
    static_cast<Bound*>(data)->state.x = x;
    static_cast<Bound*>(data)->state.y = y;
}
void LogicalSize(void*, zxdg_output_v1*, std::int32_t, std::int32_t) {}
void LogicalDone(void*, zxdg_output_v1*) {}
void LogicalText(void*, zxdg_output_v1*, const char*) {}
const zxdg_output_v1_listener kLogicalListener = {LogicalPosition, LogicalSize, LogicalDone, LogicalText,
                                                   LogicalText};

struct Registry {
    std::list<Bound> outputs;
    zxdg_output_manager_v1* manager = nullptr;
};

void Global(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version)
{
    auto* self = static_cast<Registry*>(data);
    if (std::string(interface) == zxdg_output_manager_v1_interface.name)
        self->manager = static_cast<zxdg_output_manager_v1*>(
            wl_registry_bind(registry, name, &zxdg_output_manager_v1_interface, 2));
    if (std::string(interface) != wl_output_interface.name)
        return;
    self->outputs.emplace_back();
    Bound& bound = self->outputs.back();
    bound.proxy = static_cast<wl_output*>(
        wl_registry_bind(registry, name, &wl_output_interface, version < 4 ? version : 4));
    wl_output_add_listener(bound.proxy, &kOutputListener, &bound);
}
void GlobalRemove(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener kRegistryListener = {Global, GlobalRemove};

}  // namespace

std::vector<WlOutputState> ReadWlOutputs(const std::string& socket)
{
    std::vector<WlOutputState> states;
    wl_display* display = wl_display_connect(socket.c_str());
    if (!display)
        return states;
    Registry registry;
    wl_registry* proxy = wl_display_get_registry(display);
    wl_registry_add_listener(proxy, &kRegistryListener, &registry);
    wl_display_roundtrip(display);
    for (auto& bound : registry.outputs) {
        if (registry.manager) {
            bound.logical = zxdg_output_manager_v1_get_xdg_output(registry.manager, bound.proxy);
            zxdg_output_v1_add_listener(bound.logical, &kLogicalListener, &bound);
        }
    }
    if (wl_display_roundtrip(display) >= 0 && wl_display_roundtrip(display) >= 0) {
        for (const auto& bound : registry.outputs)
            states.push_back(bound.state);
    }
    for (auto& bound : registry.outputs) {
        if (bound.logical)
            zxdg_output_v1_destroy(bound.logical);
        wl_output_destroy(bound.proxy);
    }
    if (registry.manager)
        zxdg_output_manager_v1_destroy(registry.manager);
    wl_registry_destroy(proxy);
    wl_display_disconnect(display);
    return states;
}

const WlOutputState* FindWlOutput(const std::vector<WlOutputState>& outputs, const std::string& name)
{
    for (const auto& output : outputs) {
        if (output.name == name)
            return &output;
    }
    return nullptr;
}
