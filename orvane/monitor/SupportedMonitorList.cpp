#include "orvane/monitor/SupportedMonitorList.h"

#include <QDebug>

#include "common/Log.h"
#include "orvane/monitor/DeviceName.h"
#include "orvane/monitor/MonitorInventory.h"
#include "orvane/monitor/VcpAccess.h"

namespace orvane {

namespace {
constexpr quint8 kOrientationCode = 0xAA;
constexpr quint8 kFirmwareCode = 0xC9;
constexpr quint8 kDisplayModeCode = 0xDC;
constexpr quint32 kNoValue = 0xFFFFFFFF;

VcpValueEntry Entry(quint32 code, std::initializer_list<quint8> values)
{
    VcpValueEntry entry;
    entry.code = code;
    for (quint8 value : values)
        entry.values.push_back({value, 1});
    entry.valid = true;
    return entry;
}
}  // namespace

std::array<VcpValueEntry, 2> DefaultVcpValueTable()
{
    return {Entry(kOrientationCode, {1, 2, 3, 4}),
            Entry(kDisplayModeCode, {0x00, 0x03, 0x04, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10, 0x11,
                                     0x12, 0x13, 0x20, 0x21, 0x22, 0x30, 0x31, 0x32, 0x33, 0x34,
                                     0x35, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x3B, 0x3C, 0x3D, 0x3E})};
}

SupportedMonitor::SupportedMonitor(MonitorInventory& inventory, VcpAccess& vcp)
    : valueTable(DefaultVcpValueTable()), m_pInventory(&inventory), m_pVcp(&vcp)
{
}

int SupportedMonitor::ReadGoodValue(quint8 code)
{
    quint32 current = kNoValue;
    quint32 maximum = kNoValue;
    const bool ok = m_pVcp->RunGetVcp(hPhysicalMonitor, code, current, maximum);
    if (!ok || current == kNoValue || maximum == kNoValue)
        return -1;
    return static_cast<int>(current);
}

int SupportedMonitor::ReadOrientation()
{
    return ReadGoodValue(kOrientationCode);
}

int SupportedMonitor::ReadFirmwareLevel()
{
    return ReadGoodValue(kFirmwareCode);
}

bool SupportedMonitor::SetVcp(quint8 code, quint32 value)
{
    return m_pVcp->RunSetVcp(hPhysicalMonitor, code, value);
}

SupportedMonitorList::SupportedMonitorList(MonitorInventory& inventory, VcpAccess& vcp, platform::Platform& platform)
    : m_inventory(inventory), m_vcp(vcp), m_platform(platform), m_absent(inventory, vcp)
{
    BuildSupportedList();
}

SupportedMonitor& SupportedMonitorList::operator[](int k)
{
    if (k < 0 || k >= Count()) {
        qCWarning(lcOrvane) << "SupportedMonitorList: no supported monitor" << k;
        m_absent = SupportedMonitor(m_inventory, m_vcp);
        return m_absent;
    }
    return m_monitors[static_cast<size_t>(k)];
}

void SupportedMonitorList::BuildSupportedList()
{
    // Entries of an earlier build would outlive the monitors they describe.
    if (m_inventory.m_TotalMonitor == 0 || m_inventory.m_nSupportedCount <= 0) {
        m_monitors.clear();
        return;
    }
    m_monitors.clear();
    for (const PhysicalMonitorInfo& record : m_inventory.Monitors()) {
        if (!record.supported)
            continue;
        SupportedMonitor entry(m_inventory, m_vcp);
        entry.identity = record.identity;
        entry.hPhysicalMonitor = record.hPhysicalMonitor;
        entry.deviceName = CutDeviceName(record.deviceName);
        entry.displayModes = LoadDisplayModes(entry.deviceName);
        entry.orientation = record.orientation;
        m_monitors.push_back(std::move(entry));
    }
    for (int k = 0; k < m_inventory.m_nSupportedCount && k < Count(); ++k) {
        SupportedMonitor& monitor = m_monitors[static_cast<size_t>(k)];
        monitor.firmwareLevel = monitor.ReadFirmwareLevel();
        qCDebug(lcOrvane) << "hMonitor " << reinterpret_cast<void*>(monitor.hPhysicalMonitor) << " Monitor "
                          << static_cast<quint32>(monitor.firmwareLevel);
    }
    GetCapabilites();
}

void SupportedMonitorList::GetCapabilites()
{
    for (int k = 0; k < m_inventory.m_nSupportedCount && k < Count(); ++k) {
        m_monitors[static_cast<size_t>(k)].capabilities = true;
        qCDebug(lcOrvane) << "Moinotr " << k << " GetCapabilites " << true;
    }
}

void SupportedMonitorList::ReloadMonitors()
{
    m_inventory.Reset();
    BuildSupportedList();
}

std::vector<DisplayModeInfo> SupportedMonitorList::LoadDisplayModes(const std::string& name)
{
    std::vector<DisplayModeInfo> modes;
    platform::DisplaySettings settings;
    for (std::int32_t i = 0; m_platform.Display().EnumDisplaySettings(name, i, settings); ++i) {
        modes.push_back({static_cast<int>(settings.pelsWidth), static_cast<int>(settings.pelsHeight),
                         static_cast<int>(settings.bitsPerPel), static_cast<int>(settings.displayFrequency),
                         static_cast<int>(settings.fixedOutput)});
        settings = platform::DisplaySettings();
    }
    return modes;
}

}  // namespace orvane
