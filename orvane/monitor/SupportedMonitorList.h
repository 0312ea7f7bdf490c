// The working records of the supported monitors, indexed by the ordinal of
// MonitorInventory::m_nCurrentMonitor, and the per-monitor operations.
#pragma once

#include <QtGlobal>

#include <array>
#include <string>
#include <vector>

#include "orvane/monitor/MonitorIdentity.h"
#include "platform/Platform.h"

namespace orvane {

class MonitorInventory;
class VcpAccess;

struct DisplayModeInfo {
    int width = 0;
    int height = 0;
    int bitsPerPel = 0;
    int frequency = 0;
    int fixedOutput = 0;
};

struct VcpValuePair {
    quint8 value = 0;
    quint8 flag = 0;
};

struct VcpValueEntry {
    quint32 code = 0;
    std::vector<VcpValuePair> values;
    bool valid = false;
};

// The value table every entry starts with: 0xAA and 0xDC.
std::array<VcpValueEntry, 2> DefaultVcpValueTable();

class SupportedMonitor {
public:
    SupportedMonitor(MonitorInventory& inventory, VcpAccess& vcp);

    platform::PhysicalMonitorHandle hPhysicalMonitor = 0;
    // At most 31 characters, like the fixed buffer of the display device name.
    std::string deviceName;
    int orientation = -1;
    MonitorIdentity identity;
    int firmwareLevel = -1;
    bool capabilities = false;
    std::array<VcpValueEntry, 2> valueTable;
    std::vector<DisplayModeInfo> displayModes;

    // VCP 0xAA / 0xC9: the current value, or -1 when the read was not good.
    int ReadOrientation();
    int ReadFirmwareLevel();
    bool SetVcp(quint8 code, quint32 value);
    bool Rotate(int orientation);

private:
    int ReadGoodValue(quint8 code);

    MonitorInventory* m_pInventory;
    VcpAccess* m_pVcp;
};

class SupportedMonitorList {
public:
    SupportedMonitorList(MonitorInventory& inventory, VcpAccess& vcp, platform::Platform& platform);
    SupportedMonitorList(const SupportedMonitorList&) = delete;
    SupportedMonitorList& operator=(const SupportedMonitorList&) = delete;

    void BuildSupportedList();
    void ReloadMonitors();
    std::vector<DisplayModeInfo> LoadDisplayModes(const std::string& name);

    int Count() const { return static_cast<int>(m_monitors.size()); }
    // Out of range gives a detached record with no handle and no display, so
    // a stale ordinal can never touch memory it does not own.
    SupportedMonitor& operator[](int k);

private:
    void GetCapabilites();

    MonitorInventory& m_inventory;
    VcpAccess& m_vcp;
    platform::Platform& m_platform;
    std::vector<SupportedMonitor> m_monitors;
    SupportedMonitor m_absent;
};

}  // namespace orvane
