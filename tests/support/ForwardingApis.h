// Platform interfaces that pass every call on to another: a test derives
// from them and overrides only the calls it watches or answers itself.
#pragma once

#include <string>
#include <vector>

#include "platform/Platform.h"

namespace orvane::test {

class ForwardingSystem : public platform::SystemApi {
public:
    explicit ForwardingSystem(platform::SystemApi& inner) : m_inner(inner) {}
    std::string ModuleFileName() override { return m_inner.ModuleFileName(); }
    platform::InstanceLock AcquireSingleInstance(const std::string& name) override
    {
        return m_inner.AcquireSingleInstance(name);
    }
    bool IsRunAtStartup() override { return m_inner.IsRunAtStartup(); }
    bool StartElevated(const std::string& file, const std::vector<std::string>& args, int show) override
    {
        return m_inner.StartElevated(file, args, show);
    }
    bool SetFileLastWriteTime(const std::string& path, std::uint64_t time) override
    {
        return m_inner.SetFileLastWriteTime(path, time);
    }
    platform::VersionRead ReadFileVersion(const std::string& path, std::uint32_t& ms, std::uint32_t& ls) override
    {
        return m_inner.ReadFileVersion(path, ms, ls);
    }
    bool ShowDesktopNotification(const std::string& title, const std::string& text) override
    {
        return m_inner.ShowDesktopNotification(title, text);
    }

private:
    platform::SystemApi& m_inner;
};

class ForwardingMonitorConfig : public platform::MonitorConfigApi {
public:
    explicit ForwardingMonitorConfig(platform::MonitorConfigApi& inner) : m_inner(inner) {}
    bool GetNumberOfPhysicalMonitorsFromHMONITOR(platform::DisplayHandle display, std::uint32_t* count) override
    {
        return m_inner.GetNumberOfPhysicalMonitorsFromHMONITOR(display, count);
    }
    bool GetPhysicalMonitorsFromHMONITOR(platform::DisplayHandle display, std::uint32_t count,
                                         std::vector<platform::PhysicalMonitor>& out) override
    {
        return m_inner.GetPhysicalMonitorsFromHMONITOR(display, count, out);
    }
    int GetVCPFeatureAndVCPFeatureReply(platform::PhysicalMonitorHandle monitor, std::uint8_t code,
                                        std::uint32_t* codeType, std::uint32_t* current,
                                        std::uint32_t* maximum) override
    {
        return m_inner.GetVCPFeatureAndVCPFeatureReply(monitor, code, codeType, current, maximum);
    }
    int SetVCPFeature(platform::PhysicalMonitorHandle monitor, std::uint8_t code, std::uint32_t value) override
    {
        return m_inner.SetVCPFeature(monitor, code, value);
    }
    int GetCapabilitiesStringLength(platform::PhysicalMonitorHandle monitor, std::uint32_t* length) override
    {
        return m_inner.GetCapabilitiesStringLength(monitor, length);
    }
    platform::DdcAccessReport AccessReport() override { return m_inner.AccessReport(); }

private:
    platform::MonitorConfigApi& m_inner;
};

}  // namespace orvane::test
