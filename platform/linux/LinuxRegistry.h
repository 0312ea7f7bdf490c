// The registry-shaped view of the attached monitors. Each monitor a display
// output reports gets a device ID and registry entries laid out like the ones
// the identification code reads on the other platform:
//
//   device ID  MONITOR\<model>\{4d36e96e-e325-11ce-bfc1-08002be10318}\<NNNN>
//   key        HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Enum\DISPLAY\<model>\<connector>
//              value "driver" = {4d36e96e-...}\<NNNN>
//   key        ...\<connector>\Device Parameters, value "EDID" = the EDID bytes
//
// <model> is the EDID's maker ID and product code; <NNNN> is a number that
// stays with the connector for the life of the process.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/edid/Edid.h"

namespace orvane::platform::linuxplatform {

constexpr const char kMonitorClassGuid[] = "{4d36e96e-e325-11ce-bfc1-08002be10318}";
constexpr const char kDisplayEnumKey[] = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\DISPLAY";
// Model part of the device ID of a monitor without a readable EDID.
constexpr const char kUnknownModel[] = "Default_Monitor";

class LinuxRegistry : public DeviceRegistry {
public:
    // Records the monitor now on connector and returns its device ID. A
    // connector keeps its instance number when its monitor changes.
    std::string Record(const std::string& connector, const Edid& edid);

    // Device-class key of the monitor on connector ("...\Class\{guid}\NNNN").
    std::string DeviceKey(const std::string& connector);

    std::vector<std::string> ChildGroups(const std::string& keyPath) override;
    std::optional<std::string> StringValue(const std::string& keyPath, const std::string& name) override;
    std::optional<std::vector<std::uint8_t>> BinaryValue(const std::string& keyPath,
                                                         const std::string& name) override;

private:
    struct Entry {
        std::string model;
        std::string instance;  // "0003"
        Edid edid;
    };
    std::string InstanceOf(const std::string& connector);
    // The entry whose instance key followed by suffix is keyPath, if any.
    const Entry* Find(const std::string& keyPath, const std::string& suffix);

    std::mutex m_mutex;
    std::map<std::string, Entry> m_entries;        // by connector
    std::map<std::string, std::string> m_numbers;  // connector -> instance, never forgotten
};

}  // namespace orvane::platform::linuxplatform
