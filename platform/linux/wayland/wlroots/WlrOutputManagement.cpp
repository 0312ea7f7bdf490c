// The wlroots family's output management (sway, Hyprland, river, labwc,
// Wayfire, ...): the manager announces one head per output and ends every
// burst of changes with "done" and a serial; a configuration made against
// that serial names every head, enabled or not, and is answered
// "succeeded", "failed" or "cancelled" (the layout changed meanwhile).
// Outputs without a mode list (headless, nested) show one made-up mode that
// stands for their current size; it is requested as a custom mode, since
// asking for the made-up mode itself gives such an output a default size.
#include <algorithm>
#include <list>

#include <wayland-client.h>

#include "platform/linux/wayland/OutputManagement.h"
#include "platform/linux/wayland/WaylandShownOutputs.h"
#include "wlr-output-management-unstable-v1-client-protocol.h"

namespace orvane::platform::linuxplatform {

namespace {

constexpr char kManagerInterface[] = "zwlr_output_manager_v1";

struct Mode {
    zwlr_output_mode_v1* proxy = nullptr;
    WaylandMode values;
    bool gone = false;
};

struct Head {
    zwlr_output_head_v1* proxy = nullptr;
    WaylandOutput values;
    std::list<Mode> modes;  // list: listeners keep pointers to the entries
    zwlr_output_mode_v1* current = nullptr;
    bool gone = false;

    ~Head()
    {
        for (auto& mode : modes)
            zwlr_output_mode_v1_destroy(mode.proxy);
        zwlr_output_head_v1_destroy(proxy);
    }
    bool OnlyMadeUpMode() const
    {
        return modes.size() == 1 && !modes.front().values.preferred;
    }
};

void ModeSize(void* data, zwlr_output_mode_v1*, std::int32_t width, std::int32_t height)
{
    static_cast<Mode*>(data)->values.width = width;
    static_cast<Mode*>(data)->values.height = height;
}
void ModeRefresh(void* data, zwlr_output_mode_v1*, std::int32_t refresh)
{
    static_cast<Mode*>(data)->values.refresh = refresh;
}
void ModePreferred(void* data, zwlr_output_mode_v1*)
{
    static_cast<Mode*>(data)->values.preferred = true;
}
void ModeFinished(void* data, zwlr_output_mode_v1*)
{
    static_cast<Mode*>(data)->gone = true;
}
const zwlr_output_mode_v1_listener kModeListener = {ModeSize, ModeRefresh, ModePreferred, ModeFinished};

void HeadName(void* data, zwlr_output_head_v1*, const char* name)
{
    static_cast<Head*>(data)->values.name = name ? name : "";
}
void HeadString(void*, zwlr_output_head_v1*, const char*) {}
void HeadPhysicalSize(void*, zwlr_output_head_v1*, std::int32_t, std::int32_t) {}
void HeadMode(void* data, zwlr_output_head_v1*, zwlr_output_mode_v1* proxy)
{
    auto* head = static_cast<Head*>(data);
    head->modes.push_back(Mode{proxy, {}, false});
    zwlr_output_mode_v1_add_listener(proxy, &kModeListener, &head->modes.back());
}
void HeadEnabled(void* data, zwlr_output_head_v1*, std::int32_t enabled)
{
    auto* head = static_cast<Head*>(data);
    head->values.enabled = enabled != 0;
    if (!enabled)
        head->current = nullptr;  // a disabled head has no current mode
}
void HeadCurrentMode(void* data, zwlr_output_head_v1*, zwlr_output_mode_v1* mode)
{
    static_cast<Head*>(data)->current = mode;
}
void HeadPosition(void* data, zwlr_output_head_v1*, std::int32_t x, std::int32_t y)
{
    static_cast<Head*>(data)->values.x = x;
    static_cast<Head*>(data)->values.y = y;
}
void HeadTransform(void* data, zwlr_output_head_v1*, std::int32_t transform)
{
    static_cast<Head*>(data)->values.transform = transform;
}
void HeadScale(void* data, zwlr_output_head_v1*, wl_fixed_t scale)
{
    static_cast<Head*>(data)->values.scale = wl_fixed_to_double(scale);
}
void HeadFinished(void* data, zwlr_output_head_v1*)
{
    static_cast<Head*>(data)->gone = true;
}
const zwlr_output_head_v1_listener kHeadListener = {
    HeadName,     HeadString,   HeadPhysicalSize, HeadMode,   HeadEnabled, HeadCurrentMode, HeadPosition,
    HeadTransform, HeadScale,   HeadFinished,     HeadString, HeadString,  HeadString};

struct Outcome {
    bool answered = false;
    bool succeeded = false;
    const char* why = "";
};
void Succeeded(void* data, zwlr_output_configuration_v1*)
{
    *static_cast<Outcome*>(data) = {true, true, ""};
}
void Failed(void* data, zwlr_output_configuration_v1*)
{
    *static_cast<Outcome*>(data) = {true, false, "the compositor refused the configuration"};
}
void Cancelled(void* data, zwlr_output_configuration_v1*)
{
    *static_cast<Outcome*>(data) = {true, false, "the outputs changed while the configuration was made"};
}
const zwlr_output_configuration_v1_listener kConfigurationListener = {Succeeded, Failed, Cancelled};

class WlrOutputManagement : public OutputManagement {
public:
    explicit WlrOutputManagement(std::unique_ptr<WaylandConnection> connection)
        : OutputManagement(std::move(connection))
    {
        const auto* global = m_connection->Find(kManagerInterface);
        m_manager = static_cast<zwlr_output_manager_v1*>(
            m_connection->Bind(*global, &zwlr_output_manager_v1_interface, 2));
        static const zwlr_output_manager_v1_listener listener = {OnHead, OnDone, OnFinished};
        zwlr_output_manager_v1_add_listener(m_manager, &listener, this);
        m_shown = std::make_unique<WaylandShownOutputs>(*m_connection, &m_updates);
        m_connection->DispatchUntil([this] { return m_serialKnown; }, kWaylandReadTimeoutMs);
        m_connection->Roundtrip(kWaylandReadTimeoutMs);
    }

    ~WlrOutputManagement() override
    {
        m_shown.reset();
        m_heads.clear();
        if (m_manager)
            zwlr_output_manager_v1_destroy(m_manager);
    }

    const char* Name() const override { return "wlroots output management"; }

    std::optional<WaylandLayout> Read() override
    {
        if (!m_connection->Roundtrip(kWaylandReadTimeoutMs) || !m_serialKnown)
            return std::nullopt;
        if (m_shown->Follow() && !m_connection->Roundtrip(kWaylandReadTimeoutMs))
            return std::nullopt;
        WaylandLayout layout;
        for (const auto& head : m_heads) {
            WaylandOutput output = head->values;
            int index = 0;
            for (const auto& mode : head->modes) {
                if (mode.proxy == head->current)
                    output.currentMode = index;
                output.modes.push_back(mode.values);
                ++index;
            }
            if (!output.enabled && head->OnlyMadeUpMode())
                TakeWhatIsShown(output);
            layout.outputs.push_back(std::move(output));
        }
        return layout;
    }

    bool Apply(const WaylandLayout& wanted, std::string* why) override
    {
        auto* configuration = zwlr_output_manager_v1_create_configuration(m_manager, m_serial);
        Outcome outcome;
        zwlr_output_configuration_v1_add_listener(configuration, &kConfigurationListener, &outcome);
        std::vector<zwlr_output_configuration_head_v1*> configured;
        for (const auto& head : m_heads) {
            const WaylandOutput* output = wanted.Output(head->values.name);
            if (!output || !output->enabled) {
                zwlr_output_configuration_v1_disable_head(configuration, head->proxy);
                continue;
            }
            auto* entry = zwlr_output_configuration_v1_enable_head(configuration, head->proxy);
            configured.push_back(entry);
            auto mode = head->modes.end();
            if (output->currentMode >= 0 && std::size_t(output->currentMode) < head->modes.size())
                mode = std::next(head->modes.begin(), output->currentMode);
            if (mode == head->modes.end() || head->OnlyMadeUpMode()) {
                const WaylandMode* size = output->Current();
                if (size)
                    zwlr_output_configuration_head_v1_set_custom_mode(entry, size->width, size->height,
                                                                      size->refresh);
            } else {
                zwlr_output_configuration_head_v1_set_mode(entry, mode->proxy);
            }
            zwlr_output_configuration_head_v1_set_position(entry, output->x, output->y);
            zwlr_output_configuration_head_v1_set_transform(entry, output->transform);
            zwlr_output_configuration_head_v1_set_scale(entry, wl_fixed_from_double(output->scale));
        }
        zwlr_output_configuration_v1_apply(configuration);
        const bool answered = m_connection->DispatchUntil([&] { return outcome.answered; }, kWaylandApplyTimeoutMs);
        for (auto* entry : configured)
            wl_proxy_destroy(reinterpret_cast<wl_proxy*>(entry));
        zwlr_output_configuration_v1_destroy(configuration);
        if (!answered || !outcome.succeeded) {
            if (why)
                *why = answered ? outcome.why : "no answer from the compositor in time";
            return false;
        }
        return true;
    }

private:
    // An output without a mode list that is reported disabled but shows the
    // desktop: its made-up mode, position and transform as shown.
    void TakeWhatIsShown(WaylandOutput& output) const
    {
        const WaylandShownOutputs::Output* shown = m_shown->Named(output.name);
        if (!shown || !shown->positioned)
            return;
        output.enabled = true;
        output.x = shown->x;
        output.y = shown->y;
        output.transform = shown->transform;
        output.modes = {WaylandMode{shown->width, shown->height, shown->refresh, false}};
        output.currentMode = 0;
    }

    static void OnHead(void* data, zwlr_output_manager_v1*, zwlr_output_head_v1* proxy)
    {
        auto* self = static_cast<WlrOutputManagement*>(data);
        auto head = std::make_unique<Head>();
        head->proxy = proxy;
        zwlr_output_head_v1_add_listener(proxy, &kHeadListener, head.get());
        self->m_heads.push_back(std::move(head));
    }

    static void OnDone(void* data, zwlr_output_manager_v1*, std::uint32_t serial)
    {
        auto* self = static_cast<WlrOutputManagement*>(data);
        self->m_serial = serial;
        self->m_serialKnown = true;
        // Heads and modes that went away are dropped once the burst is complete.
        auto& heads = self->m_heads;
        heads.erase(std::remove_if(heads.begin(), heads.end(), [](const auto& head) { return head->gone; }),
                    heads.end());
        for (auto& head : heads) {
            for (auto it = head->modes.begin(); it != head->modes.end();) {
                if (it->gone) {
                    if (head->current == it->proxy)
                        head->current = nullptr;
                    zwlr_output_mode_v1_destroy(it->proxy);
                    it = head->modes.erase(it);
                } else {
                    ++it;
                }
            }
        }
        ++self->m_updates;
    }

    static void OnFinished(void* data, zwlr_output_manager_v1*)
    {
        static_cast<WlrOutputManagement*>(data)->m_serialKnown = false;
    }

    zwlr_output_manager_v1* m_manager = nullptr;
    std::vector<std::unique_ptr<Head>> m_heads;
    std::unique_ptr<WaylandShownOutputs> m_shown;
    std::uint32_t m_serial = 0;
    bool m_serialKnown = false;
};

}  // namespace

std::unique_ptr<OutputManagement> CreateWlrOutputManagement(std::unique_ptr<WaylandConnection> connection)
{
    if (!connection || !connection->Find(kManagerInterface))
        return nullptr;
    return std::make_unique<WlrOutputManagement>(std::move(connection));
}

std::unique_ptr<OutputManagement> ConnectOutputManagement(const char* socket, std::string* why)
{
    auto connection = WaylandConnection::Connect(socket, why);
    if (!connection)
        return nullptr;
    if (connection->Find("kde_output_management_v2") && connection->Find("kde_output_device_v2"))
        return CreateKdeOutputManagement(std::move(connection));
    if (connection->Find(kManagerInterface))
        return CreateWlrOutputManagement(std::move(connection));
    if (why)
        *why = "the Wayland compositor offers no output configuration protocol (neither KDE's nor wlroots')";
    return nullptr;
}

}  // namespace orvane::platform::linuxplatform
