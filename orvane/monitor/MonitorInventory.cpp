#include "orvane/monitor/MonitorInventory.h"

#include <algorithm>

#include <QDebug>
#include <QFileInfo>
#include <QString>

#include "common/Settings.h"

#include "common/Log.h"
#include "orvane/monitor/DeviceName.h"
#include "orvane/monitor/SupportedModels.h"

namespace orvane {

namespace {
constexpr quint8 kProbeCode = 0x10;

platform::DisplayDevice NoDevice()
{
    return {};
}
}  // namespace

MonitorInventory::MonitorInventory(platform::Platform& platform, VcpAccess& vcp, const QString& programDir)
    : m_platform(platform), m_vcp(vcp)
{
    // Built before the application object exists: the settings are found
    // beside the executable the platform reports.
    const QString settingsDir = programDir.isEmpty()
        ? QFileInfo(QString::fromStdString(m_platform.System().ModuleFileName())).absolutePath()
        : programDir;
    m_extraModels = ParseModelCodes(ReadExtraModelEntries(settingsDir));
    Reset();
}

void MonitorInventory::Reset()
{
    m_TotalMonitor = 0;
    m_nSupportedCount = 0;
    m_nCurrentMonitor = 0;
    m_displays.clear();
    m_monitors.clear();
    m_modulePath = m_platform.System().ModuleFileName();
    EnumMonitors();
}

void MonitorInventory::AddDisplay(platform::DisplayHandle display)
{
    platform::DisplayInfo info;
    if (!m_platform.Display().GetMonitorInfo(display, info))
        return;
    DisplayMonitorInfo record;
    record.dwFlags = info.flags;
    record.height = info.monitor.bottom - info.monitor.top;
    record.width = info.monitor.right - info.monitor.left;
    record.rcMonitor = info.monitor;
    record.rcWork = info.work;
    record.deviceName = info.deviceName;
    m_displays.push_back(record);
}

int MonitorInventory::EnumMonitors()
{
    m_nSupportedCount = 0;
    m_displays.clear();
    m_monitors.clear();

    platform::DisplayApi& display = m_platform.Display();
    platform::MonitorConfigApi& config = m_platform.MonitorConfig();
    const bool listed = display.EnumDisplayMonitors([this](platform::DisplayHandle handle) {
        AddDisplay(handle);
        return true;
    });
    if (!listed) {
        m_displays.clear();
        return 0;
    }

    quint32 total = 0;
    for (DisplayMonitorInfo& record : m_displays) {
        platform::DisplaySettings settings;
        display.EnumDisplaySettings(record.deviceName, platform::ENUM_REGISTRY_SETTINGS, settings);
        record.orientation = static_cast<int>(settings.orientation);

        std::vector<platform::DisplayDevice> activeDevices;
        platform::DisplayDevice device;
        for (std::uint32_t k = 0; display.EnumDisplayDevices(&record.deviceName, k, device); ++k) {
            if (device.stateFlags & platform::DISPLAY_DEVICE_ACTIVE) {
                record.monitorDevice = device;
                activeDevices.push_back(device);
            }
            device = platform::DisplayDevice();
        }

        const platform::DisplayHandle hMonitor = display.MonitorFromPoint(
            (record.rcMonitor.left + record.rcMonitor.right) / 2, (record.rcMonitor.top + record.rcMonitor.bottom) / 2);
        std::uint32_t count = 0;
        config.GetNumberOfPhysicalMonitorsFromHMONITOR(hMonitor, &count);
        std::vector<platform::PhysicalMonitor> physical;
        if (count > 0 && !config.GetPhysicalMonitorsFromHMONITOR(hMonitor, count, physical))
            physical.clear();
        // Only entries the platform actually returned are used.
        if (physical.size() > count)
            physical.resize(count);

        for (size_t j = 0; j < physical.size(); ++j) {
            const platform::PhysicalMonitor& entry = physical[j];
            quint32 codeType = 0;
            quint32 current = 0;
            quint32 maximum = 0;
            config.GetVCPFeatureAndVCPFeatureReply(entry.handle, kProbeCode, &codeType, &current, &maximum);
            qCDebug(lcOrvane) << "Monitor " << static_cast<quint32>(m_monitors.size()) << " "
                              << static_cast<const void*>(entry.description.c_str()) << ": 0xAA ="
                              << QString::number(current)
                              << " Handle:" << reinterpret_cast<void*>(entry.handle);

            PhysicalMonitorInfo monitor;
            static_cast<DisplayMonitorInfo&>(monitor) = record;
            // A display may report fewer active monitor devices than physical
            // monitors; such a monitor gets no device and an empty identity.
            monitor.monitorDevice = j < activeDevices.size() ? activeDevices[j] : NoDevice();
            if (!monitor.monitorDevice.deviceId.empty())
                monitor.identity = MonitorIdentity(monitor.monitorDevice.deviceId, m_platform.Registry());
            monitor.supported = IsSupportedModel(monitor.identity);
            monitor.hPhysicalMonitor = entry.handle;
            qCDebug(lcOrvane) << "X " << monitor.identity.NativeWidth() << " Y" << monitor.identity.NativeHeight()
                              << ": SerialNumber =" << QString::fromLatin1(monitor.identity.SerialNumber());
            m_monitors.push_back(monitor);
            if (monitor.supported)
                ++m_nSupportedCount;
        }
        total += static_cast<quint32>(physical.size());
    }
    qCDebug(lcOrvane) << "Total Monitor:" << total;
    m_TotalMonitor = total;
    return static_cast<int>(m_monitors.size());
}

bool MonitorInventory::IsSupportedModel(const MonitorIdentity& identity) const
{
    const QByteArray& code = identity.ProductCode();
    if (code.size() < 2)
        return false;
    for (const ProductCodePair& pair : kSupportedModels) {
        if (static_cast<quint8>(code.at(0)) == pair.byte10 && static_cast<quint8>(code.at(1)) == pair.byte11)
            return true;
    }
    if (m_extraModels.empty())
        return false;
    const auto model = ModelCodeOfEdid(identity.Edid());
    return model && std::find(m_extraModels.begin(), m_extraModels.end(), *model) != m_extraModels.end();
}

int MonitorInventory::CheckMonitorNum()
{
    platform::DisplayApi& display = m_platform.Display();
    quint32 count = 0;
    platform::DisplayDevice adapter;
    for (std::uint32_t a = 0; display.EnumDisplayDevices(nullptr, a, adapter); ++a) {
        if (adapter.stateFlags & platform::DISPLAY_DEVICE_ATTACHED_TO_DESKTOP) {
            const std::string adapterName = CutDeviceName(adapter.deviceName);
            platform::DisplayDevice device;
            for (std::uint32_t m = 0; display.EnumDisplayDevices(&adapterName, m, device); ++m) {
                if (device.stateFlags & platform::DISPLAY_DEVICE_ACTIVE)
                    ++count;
                device = platform::DisplayDevice();
            }
        }
        adapter = platform::DisplayDevice();
    }
    if (count == m_TotalMonitor) {
        qCDebug(lcOrvane) << "CheckMonitorNum=" << count << " equal m_TotalMonitor" << m_TotalMonitor;
        return 0;
    }
    qCDebug(lcOrvane) << "CheckMonitorNum=" << count << " not equal m_TotalMonitor" << m_TotalMonitor;
    m_TotalMonitor = count;
    return 1;
}

int MonitorInventory::SelectMonitor(int n)
{
    int ordinal = -1;
    for (size_t index = 0; index < m_monitors.size(); ++index) {
        if (m_monitors[index].supported)
            ++ordinal;
        if (ordinal == n) {
            m_nCurrentMonitor = n;
            return static_cast<int>(index);
        }
    }
    m_nCurrentMonitor = ordinal;
    return ordinal;
}

}  // namespace orvane
