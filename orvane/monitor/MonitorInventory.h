// The displays of the desktop and the physical monitors behind them, which of
// those are supported models, and the monitor-count check of the polling.
#pragma once

#include <QString>
#include <QtGlobal>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "orvane/monitor/MonitorIdentity.h"
#include "orvane/monitor/ModelCode.h"
#include "platform/Platform.h"

namespace orvane {

class VcpAccess;

struct DisplayMonitorInfo {
    quint32 dwFlags = 0;
    int height = 0;
    int width = 0;
    platform::Rect rcMonitor;
    platform::Rect rcWork;
    std::string deviceName;
    int orientation = 0;
    // The last active monitor device of the display; empty when none.
    platform::DisplayDevice monitorDevice;
};

struct PhysicalMonitorInfo : DisplayMonitorInfo {
    MonitorIdentity identity;
    platform::PhysicalMonitorHandle hPhysicalMonitor = 0;
    bool supported = false;
};

class MonitorInventory {
public:
    // programDir: the folder whose RunInfo.ini lists extra models; empty
    // means the running program's own (a tool beside an installation names
    // the tray program's folder instead).
    MonitorInventory(platform::Platform& platform, VcpAccess& vcp, const QString& programDir = QString());
    MonitorInventory(const MonitorInventory&) = delete;
    MonitorInventory& operator=(const MonitorInventory&) = delete;

    quint32 m_TotalMonitor = 0;
    int m_nSupportedCount = 0;
    int m_nCurrentMonitor = 0;

    int EnumMonitors();
    int CheckMonitorNum();
    int SelectMonitor(int n);
    bool IsSupportedModel(const MonitorIdentity& identity) const;
    int RotateDesktop(const std::string& deviceName, int newOrientation, int width, int height, double frequency);

    std::string ModulePath() const { return m_modulePath; }
    const std::vector<DisplayMonitorInfo>& Displays() const { return m_displays; }
    const std::vector<PhysicalMonitorInfo>& Monitors() const { return m_monitors; }
    // Models the user added in the settings, read once when constructed.
    const std::vector<ModelCode>& ExtraModels() const { return m_extraModels; }

    // As if constructed afresh: module path re-read, lists emptied, counters
    // zeroed, EnumMonitors run. Handles of the previous enumeration stay open.
    void Reset();

private:
    void AddDisplay(platform::DisplayHandle display);
    // Logs a refused rotation the first time a display refuses it.
    void ReportRefusal(const std::string& deviceName, int orientation, const platform::DisplaySettings& settings,
                       std::int32_t result);

    platform::Platform& m_platform;
    VcpAccess& m_vcp;
    std::vector<DisplayMonitorInfo> m_displays;
    std::vector<PhysicalMonitorInfo> m_monitors;
    std::string m_modulePath;
    std::vector<ModelCode> m_extraModels;
    // Rotations refused and logged, per display and orientation; kept over
    // Reset (the polling asks again every tick) until the display changes.
    std::set<std::pair<std::string, int>> m_refusedRotations;
};

}  // namespace orvane
