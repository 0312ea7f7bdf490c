// KDE Plasma's output protocols: one kde_output_device_v2 global per
// output, describing it (modes with refresh rates, EDID, position,
// transform) and announcing every change with "done"; a configuration from
// kde_output_management_v2 changes several outputs at once and is answered
// "applied" or "failed". KWin applies it without a confirmation prompt.
#include <algorithm>
#include <list>

#include <QByteArray>
#include <wayland-client.h>

#include "kde-output-device-v2-client-protocol.h"
#include "kde-output-management-v2-client-protocol.h"
#include "platform/linux/wayland/OutputManagement.h"

namespace orvane::platform::linuxplatform {

namespace {

constexpr char kDeviceInterface[] = "kde_output_device_v2";
constexpr char kManagementInterface[] = "kde_output_management_v2";

struct Mode {
    kde_output_device_mode_v2* proxy = nullptr;
    WaylandMode values;
};

struct Device {
    std::uint32_t global = 0;
    kde_output_device_v2* proxy = nullptr;
    std::uint64_t* updates = nullptr;
    WaylandOutput values;
    std::string fallbackName;
    std::list<Mode> modes;  // list: listeners keep pointers to the entries
    kde_output_device_mode_v2* current = nullptr;

    ~Device()
    {
        for (auto& mode : modes)
            kde_output_device_mode_v2_destroy(mode.proxy);
        if (proxy)
            kde_output_device_v2_destroy(proxy);
    }
};

void ModeSize(void* data, kde_output_device_mode_v2*, std::int32_t width, std::int32_t height)
{
    static_cast<Mode*>(data)->values.width = width;
    static_cast<Mode*>(data)->values.height = height;
}
void ModeRefresh(void* data, kde_output_device_mode_v2*, std::int32_t refresh)
{
    static_cast<Mode*>(data)->values.refresh = refresh;
}
void ModePreferred(void* data, kde_output_device_mode_v2*)
{
    static_cast<Mode*>(data)->values.preferred = true;
}
void ModeRemoved(void* data, kde_output_device_mode_v2*)
{
    // Marked here, dropped by the device (the entry is this listener's data).
    static_cast<Mode*>(data)->values.width = -1;
}
const kde_output_device_mode_v2_listener kModeListener = {ModeSize, ModeRefresh, ModePreferred, ModeRemoved};

void Geometry(void* data, kde_output_device_v2*, std::int32_t x, std::int32_t y, std::int32_t, std::int32_t,
              std::int32_t, const char*, const char* model, std::int32_t transform)
{
    auto* device = static_cast<Device*>(data);
    device->values.x = x;
    device->values.y = y;
    device->values.transform = transform;
    if (model && *model)
        device->fallbackName = model;
}
void CurrentMode(void* data, kde_output_device_v2*, kde_output_device_mode_v2* mode)
{
    static_cast<Device*>(data)->current = mode;
}
void NewMode(void* data, kde_output_device_v2*, kde_output_device_mode_v2* proxy)
{
    auto* device = static_cast<Device*>(data);
    device->modes.push_back(Mode{proxy, {}});
    kde_output_device_mode_v2_add_listener(proxy, &kModeListener, &device->modes.back());
}
void Done(void* data, kde_output_device_v2*)
{
    auto* device = static_cast<Device*>(data);
    for (auto it = device->modes.begin(); it != device->modes.end();) {
        if (it->values.width < 0) {
            kde_output_device_mode_v2_destroy(it->proxy);
            it = device->modes.erase(it);
        } else {
            ++it;
        }
    }
    ++*device->updates;
}
void Scale(void* data, kde_output_device_v2*, wl_fixed_t factor)
{
    static_cast<Device*>(data)->values.scale = wl_fixed_to_double(factor);
}
void Edid(void* data, kde_output_device_v2*, const char* raw)
{
    const QByteArray bytes = QByteArray::fromBase64(QByteArray(raw ? raw : ""));
    static_cast<Device*>(data)->values.edid.assign(bytes.begin(), bytes.end());
}
void Enabled(void* data, kde_output_device_v2*, std::int32_t enabled)
{
    static_cast<Device*>(data)->values.enabled = enabled != 0;
}
void IgnoreString(void*, kde_output_device_v2*, const char*) {}
void IgnoreUint(void*, kde_output_device_v2*, std::uint32_t) {}
void Name(void* data, kde_output_device_v2*, const char* name)
{
    static_cast<Device*>(data)->values.name = name ? name : "";
}
const kde_output_device_v2_listener kDeviceListener = {
    Geometry,   CurrentMode,  NewMode,    Done,       Scale,      Edid,       Enabled, IgnoreString,
    IgnoreString, IgnoreString, IgnoreUint, IgnoreUint, IgnoreUint, IgnoreUint, Name};

struct Outcome {
    bool answered = false;
    bool applied = false;
};
void Applied(void* data, kde_output_configuration_v2*)
{
    *static_cast<Outcome*>(data) = {true, true};
}
void Failed(void* data, kde_output_configuration_v2*)
{
    *static_cast<Outcome*>(data) = {true, false};
}
const kde_output_configuration_v2_listener kConfigurationListener = {Applied, Failed};

class KdeOutputManagement : public OutputManagement {
public:
    explicit KdeOutputManagement(std::unique_ptr<WaylandConnection> connection)
        : OutputManagement(std::move(connection))
    {
        const auto* global = m_connection->Find(kManagementInterface);
        m_management = static_cast<kde_output_management_v2*>(
            m_connection->Bind(*global, &kde_output_management_v2_interface, 2));
        BindDevices();
        m_connection->Roundtrip(kWaylandReadTimeoutMs);
    }

    ~KdeOutputManagement() override
    {
        m_devices.clear();
        if (m_management)
            kde_output_management_v2_destroy(m_management);
    }

    const char* Name() const override { return "KDE output management"; }

    std::optional<WaylandLayout> Read() override
    {
        if (!m_connection->Roundtrip(kWaylandReadTimeoutMs))
            return std::nullopt;
        if (BindDevices() && !m_connection->Roundtrip(kWaylandReadTimeoutMs))
            return std::nullopt;
        WaylandLayout layout;
        for (const auto& device : m_devices) {
            WaylandOutput output = device->values;
            if (output.name.empty())
                output.name = device->fallbackName.empty() ? "output-" + std::to_string(device->global)
                                                           : device->fallbackName;
            int index = 0;
            for (const auto& mode : device->modes) {
                if (mode.proxy == device->current)
                    output.currentMode = index;
                output.modes.push_back(mode.values);
                ++index;
            }
            layout.outputs.push_back(std::move(output));
        }
        return layout;
    }

    bool Apply(const WaylandLayout& wanted, std::string* why) override
    {
        auto* configuration = kde_output_management_v2_create_configuration(m_management);
        Outcome outcome;
        kde_output_configuration_v2_add_listener(configuration, &kConfigurationListener, &outcome);
        for (const auto& output : wanted.outputs) {
            const Device* device = DeviceNamed(output.name);
            if (!device) {
                kde_output_configuration_v2_destroy(configuration);
                if (why)
                    *why = "output " + output.name + " is gone";
                return false;
            }
            const WaylandOutput& now = device->values;
            if (output.enabled != now.enabled)
                kde_output_configuration_v2_enable(configuration, device->proxy, output.enabled ? 1 : 0);
            if (!output.enabled)
                continue;
            if (const Mode* mode = ModeAt(*device, output.currentMode); mode && mode->proxy != device->current)
                kde_output_configuration_v2_mode(configuration, device->proxy, mode->proxy);
            if (output.transform != now.transform)
                kde_output_configuration_v2_transform(configuration, device->proxy, output.transform);
            if (output.x != now.x || output.y != now.y)
                kde_output_configuration_v2_position(configuration, device->proxy, output.x, output.y);
        }
        kde_output_configuration_v2_apply(configuration);
        const bool answered = m_connection->DispatchUntil([&] { return outcome.answered; }, kWaylandApplyTimeoutMs);
        kde_output_configuration_v2_destroy(configuration);
        if (!answered) {
            if (why)
                *why = "no answer from the compositor in time";
            return false;
        }
        if (!outcome.applied) {
            if (why)
                *why = "the compositor refused the configuration";
            return false;
        }
        return true;
    }

private:
    // Follows the outputs coming and going; true when new ones were bound.
    bool BindDevices()
    {
        const auto& globals = m_connection->Globals();
        m_devices.erase(std::remove_if(m_devices.begin(), m_devices.end(),
                                       [&](const std::unique_ptr<Device>& device) {
                                           return std::none_of(globals.begin(), globals.end(), [&](const auto& g) {
                                               return g.name == device->global;
                                           });
                                       }),
                        m_devices.end());
        bool added = false;
        for (const auto& global : globals) {
            if (global.interface != kDeviceInterface)
                continue;
            if (std::any_of(m_devices.begin(), m_devices.end(),
                            [&](const std::unique_ptr<Device>& d) { return d->global == global.name; }))
                continue;
            auto device = std::make_unique<Device>();
            device->global = global.name;
            device->updates = &m_updates;
            device->proxy = static_cast<kde_output_device_v2*>(
                m_connection->Bind(global, &kde_output_device_v2_interface, 2));
            kde_output_device_v2_add_listener(device->proxy, &kDeviceListener, device.get());
            m_devices.push_back(std::move(device));
            added = true;
        }
        return added;
    }

    const Device* DeviceNamed(const std::string& name) const
    {
        for (const auto& device : m_devices) {
            if (device->values.name == name ||
                (device->values.name.empty() && device->fallbackName == name))
                return device.get();
        }
        return nullptr;
    }

    static const Mode* ModeAt(const Device& device, int index)
    {
        if (index < 0)
            return nullptr;
        auto it = device.modes.begin();
        for (int i = 0; i < index && it != device.modes.end(); ++i)
            ++it;
        return it == device.modes.end() ? nullptr : &*it;
    }

    kde_output_management_v2* m_management = nullptr;
    std::vector<std::unique_ptr<Device>> m_devices;
};

}  // namespace

std::unique_ptr<OutputManagement> CreateKdeOutputManagement(std::unique_ptr<WaylandConnection> connection)
{
    if (!connection || !connection->Find(kManagementInterface))
        return nullptr;
    return std::make_unique<KdeOutputManagement>(std::move(connection));
}

}  // namespace orvane::platform::linuxplatform
