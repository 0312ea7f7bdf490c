#include <QJsonArray>

#include "platform/sim/SimParts.h"

namespace orvane::platform::sim {

namespace {
constexpr std::uint32_t kDisplayDeviceAttached = 0x00000002;
constexpr std::uint32_t kDisplayDevicePrimary = 0x00000004;

std::string DeviceKey(const std::string& deviceId)
{
    const auto classStart = deviceId.find('{');
    const std::string driver = classStart == std::string::npos ? std::string() : deviceId.substr(classStart);
    return "\\Registry\\Machine\\System\\CurrentControlSet\\Control\\Class\\" + driver;
}
}  // namespace

bool SimDisplayApi::EnumDisplayMonitors(const std::function<bool(DisplayHandle)>& callback)
{
    const auto state = m_store->Snapshot();
    if (state->failEnumDisplayMonitors)
        return false;
    for (const SimDisplay& display : state->displays) {
        if (display.present && !callback(display.handle))
            break;
    }
    return true;
}

bool SimDisplayApi::GetMonitorInfo(DisplayHandle handle, DisplayInfo& info)
{
    const auto state = m_store->Snapshot();
    const SimDisplay* display = state->FindDisplay(handle);
    if (!display || !display->present)
        return false;
    info.flags = display->primary ? MONITORINFOF_PRIMARY : 0;
    info.monitor = display->rect;
    info.work = display->work;
    info.deviceName = display->deviceName;
    return true;
}

DisplayHandle SimDisplayApi::MonitorFromPoint(std::int32_t x, std::int32_t y)
{
    const auto state = m_store->Snapshot();
    const SimDisplay* nearest = nullptr;
    std::uint64_t best = 0;
    for (const SimDisplay& display : state->displays) {
        if (!display.present)
            continue;
        const std::uint64_t distance = DistanceSquared(display.rect, x, y);
        if (!nearest || distance < best) {
            nearest = &display;
            best = distance;
        }
    }
    return nearest ? nearest->handle : 0;
}

bool SimDisplayApi::EnumDisplayDevices(const std::string* device, std::uint32_t index, DisplayDevice& out)
{
    const auto state = m_store->Snapshot();
    if (!device) {
        if (index >= state->displays.size())
            return false;
        const SimDisplay& display = state->displays[index];
        out = DisplayDevice();
        out.deviceName = display.deviceName;
        out.deviceString = "Simulated Display Adapter";
        if (display.present)
            out.stateFlags = DISPLAY_DEVICE_ATTACHED_TO_DESKTOP | (display.primary ? kDisplayDevicePrimary : 0);
        out.deviceId = "PCI\\VEN_0000&DEV_0000";
        return true;
    }
    const auto monitors = state->MonitorsOn(*device);
    if (index >= monitors.size())
        return false;
    const SimMonitor& monitor = *monitors[index];
    out = DisplayDevice();
    out.deviceName = *device + "\\Monitor" + std::to_string(index);
    out.deviceString = monitor.deviceString;
    out.stateFlags = kDisplayDeviceAttached | (monitor.active ? DISPLAY_DEVICE_ACTIVE : 0);
    out.deviceId = monitor.deviceId;
    out.deviceKey = DeviceKey(monitor.deviceId);
    return true;
}

bool SimDisplayApi::EnumDisplaySettings(const std::string& device, std::int32_t modeIndex, DisplaySettings& out)
{
    const auto state = m_store->Snapshot();
    const SimDisplay* display = state->FindDisplay(device);
    if (!display)
        return false;
    if (modeIndex == ENUM_REGISTRY_SETTINGS || modeIndex == ENUM_CURRENT_SETTINGS) {
        if (!display->settingsReadable)
            return false;
        out = display->stored;
        return true;
    }
    if (modeIndex < 0 || static_cast<size_t>(modeIndex) >= display->modes.size())
        return false;
    const SimMode& mode = display->modes[static_cast<size_t>(modeIndex)];
    out = DisplaySettings();
    out.pelsWidth = static_cast<std::uint32_t>(mode.width);
    out.pelsHeight = static_cast<std::uint32_t>(mode.height);
    out.bitsPerPel = static_cast<std::uint32_t>(mode.bitsPerPel);
    out.displayFrequency = static_cast<std::uint32_t>(mode.frequency);
    out.fixedOutput = static_cast<std::uint32_t>(mode.fixedOutput);
    out.orientation = display->stored.orientation;
    return true;
}

std::int32_t SimDisplayApi::ChangeDisplaySettingsEx(const std::string& device, const DisplaySettings& settings,
                                                     std::uint32_t flags)
{
    std::int32_t result = DISP_CHANGE_FAILED;
    const bool recorded = m_store->Mutate(
        [&](QJsonObject& root, std::string*) {
            QJsonArray displays = root.value("displays").toArray();
            for (int i = 0; i < displays.size(); ++i) {
                QJsonObject display = displays[i].toObject();
                if (display.value("deviceName").toString().toStdString() != device)
                    continue;
                result = display.value("acceptRotation").toBool(true) ? DISP_CHANGE_SUCCESSFUL : DISP_CHANGE_BADMODE;
                if (result == DISP_CHANGE_SUCCESSFUL) {
                    if (settings.fields & DM_DISPLAYORIENTATION)
                        display["orientation"] = static_cast<int>(settings.orientation);
                    if (settings.fields & DM_DISPLAYFREQUENCY)
                        display["frequency"] = static_cast<int>(settings.displayFrequency);
                    if (settings.fields & (DM_PELSWIDTH | DM_PELSHEIGHT)) {
                        const int width = static_cast<int>(settings.pelsWidth);
                        const int height = static_cast<int>(settings.pelsHeight);
                        display["width"] = width;
                        display["height"] = height;
                        // The desktop area follows the new size, keeping the
                        // work area's margins, worked out wider than int: a
                        // description may hold any corners, and an edge past
                        // int reads back as none.
                        QJsonArray rect = display.value("rect").toArray();
                        QJsonArray work = display.value("work").toArray();
                        if (rect.size() == 4) {
                            const qint64 left = rect[0].toInt();
                            const qint64 top = rect[1].toInt();
                            if (work.size() == 4) {
                                const qint64 rightMargin = qint64(rect[2].toInt()) - work[2].toInt();
                                const qint64 bottomMargin = qint64(rect[3].toInt()) - work[3].toInt();
                                work = QJsonArray{work[0], work[1], left + width - rightMargin,
                                                  top + height - bottomMargin};
                                display["work"] = work;
                            }
                            display["rect"] = QJsonArray{left, top, left + width, top + height};
                        }
                    }
                    displays[i] = display;
                }
                break;
            }
            root["displays"] = displays;
            AppendRecord(root, "rotations",
                         QJsonObject{{"display", QString::fromStdString(device)},
                                     {"orientation", static_cast<int>(settings.orientation)},
                                     {"width", static_cast<int>(settings.pelsWidth)},
                                     {"height", static_cast<int>(settings.pelsHeight)},
                                     {"frequency", static_cast<int>(settings.displayFrequency)},
                                     {"fields", static_cast<double>(settings.fields)},
                                     {"flags", static_cast<double>(flags)},
                                     {"result", result}});
            return true;
        },
        nullptr);
    return recorded ? result : DISP_CHANGE_FAILED;
}

}  // namespace orvane::platform::sim
